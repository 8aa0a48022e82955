// Load: several pages at once on a real `zentrograph serve --demo --port 0` over the
// loopback interface, each sending pointer and orbit messages and waiting for each
// acknowledgement while every other page's changes stream in. Every message must be
// acknowledged without an error; latency is reported, not judged. Then pages that
// misbehave: one flooding the server with messages and one reading nothing must not
// stop another from being answered nor grow the server's memory without bound, and a
// server out of file descriptors must wait for them, not spin.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/support/temp_folder.h"

namespace {

namespace net = boost::asio;
namespace websocket = boost::beast::websocket;
using Clock = std::chrono::steady_clock;
using nlohmann::json;

constexpr int kClients = 4;
constexpr int kMessagesPerClient = 100;
constexpr auto kStartLimit = std::chrono::seconds(30);

// `zentrograph serve --demo --port 0` in a process of its own, stopped with SIGINT.
class ServeProcess {
public:
    // `fileLimit`: the most file descriptors the server may hold (0: as the test's).
    explicit ServeProcess(rlim_t fileLimit = 0) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            // Its recovery copy of the changed demo goes to a folder of its own.
            if (chdir(folder_.Path().c_str()) != 0) _exit(126);
            if (fileLimit != 0) {
                const rlimit limit{fileLimit, fileLimit};
                setrlimit(RLIMIT_NOFILE, &limit);
            }
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(ZENTROGRAPH_BIN_DIR "/zentrograph", "zentrograph", "serve", "--demo", "--port", "0",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string printed;
        const std::regex address(R"(http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+))");
        std::smatch match;
        const auto deadline = Clock::now() + kStartLimit;
        while (!std::regex_search(printed, match, address) && Clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            char buffer[512];
            if (poll(&p, 1, 1000) <= 0) continue;
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            printed.append(buffer, static_cast<std::size_t>(n));
        }
        out_ = out[0];
        if (match.empty()) return;
        port_ = static_cast<uint16_t>(std::stoi(match[1]));
        token_ = match[2];
    }
    ~ServeProcess() {
        Stop();
        close(out_);
    }
    // SIGINT, then the exit status.
    int Stop() {
        if (pid_ <= 0) return exitCode_;
        kill(pid_, SIGINT);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exitCode_;
    }
    uint16_t Port() const { return port_; }
    const std::string& Token() const { return token_; }
    pid_t Pid() const { return pid_; }

private:
    testsupport::TempFolder folder_;
    pid_t pid_ = -1;
    int out_ = -1;
    int exitCode_ = -1;
    uint16_t port_ = 0;
    std::string token_;
};

struct ClientFigures {
    int acknowledged = 0;
    int errors = 0;
    std::string firstError;
    std::vector<double> latencies;  // milliseconds, message sent to its acknowledgement
};

// One page: the hello, then pointer drags in the top view and orbits of the perspective
// view, each message waiting for its acknowledgement.
void RunPage(uint16_t port, const std::string& token, int page, ClientFigures& figures) {
    const std::string host = "127.0.0.1:" + std::to_string(port);
    try {
        net::io_context io;
        websocket::stream<net::ip::tcp::socket> ws(io);
        net::ip::tcp::resolver resolver(io);
        net::connect(ws.next_layer(), resolver.resolve("127.0.0.1", std::to_string(port)));
        ws.set_option(websocket::stream_base::decorator([&](websocket::request_type& req) {
            req.set(boost::beast::http::field::origin, "http://" + host);
            req.set(boost::beast::http::field::authorization, "Bearer " + token);
        }));
        ws.handshake(host, "/ws");
        int64_t seq = 0;
        auto exchange = [&](json message) {
            message["seq"] = ++seq;
            const Clock::time_point sent = Clock::now();
            ws.write(net::buffer(message.dump()));
            for (;;) {
                boost::beast::flat_buffer buffer;
                ws.read(buffer);
                if (!ws.got_text()) continue;
                const json reply = json::parse(boost::beast::buffers_to_string(buffer.data()), nullptr, false);
                if (!reply.is_object() || reply.value("type", "") != "ack" || reply.value("seq", int64_t{-1}) != seq) continue;
                figures.latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
                ++figures.acknowledged;
                if (reply.contains("error")) {
                    ++figures.errors;
                    if (figures.firstError.empty()) figures.firstError = reply["error"].get<std::string>();
                }
                return;
            }
        };
        exchange({{"type", "hello"}, {"views", {{{"width", 320}, {"height", 200}}, {{"width", 320}, {"height", 200}}}}});
        const char* phases[] = {"down", "move", "up"};
        for (int i = 0; i < kMessagesPerClient; ++i) {
            if (i % 4 == 3) {
                exchange({{"type", "orbit"}, {"view", 0}, {"dx", 3 + page}, {"dy", -2}});
            } else {
                const int x = 40 + (page * 70 + i * 13) % 240;
                const int y = 30 + (page * 40 + i * 7) % 140;
                exchange({{"type", "pointer"}, {"view", 1}, {"phase", phases[i % 4]}, {"x", x}, {"y", y}});
            }
        }
        ws.close(websocket::close_code::normal);
    } catch (const std::exception& e) {
        ++figures.errors;
        if (figures.firstError.empty()) figures.firstError = e.what();
    }
}

using Socket = websocket::stream<net::ip::tcp::socket>;

// A page's socket, open and past its hello; `receiveBuffer` bytes of socket buffer
// when given.
std::unique_ptr<Socket> OpenPage(net::io_context& io, uint16_t port, const std::string& token, int receiveBuffer = 0) {
    const std::string host = "127.0.0.1:" + std::to_string(port);
    auto ws = std::make_unique<Socket>(io);
    ws->next_layer().open(net::ip::tcp::v4());
    if (receiveBuffer != 0) ws->next_layer().set_option(net::socket_base::receive_buffer_size(receiveBuffer));
    ws->next_layer().connect({net::ip::make_address("127.0.0.1"), port});
    ws->set_option(websocket::stream_base::decorator([host, token](websocket::request_type& req) {
        req.set(boost::beast::http::field::origin, "http://" + host);
        req.set(boost::beast::http::field::authorization, "Bearer " + token);
    }));
    ws->handshake(host, "/ws");
    ws->write(net::buffer(json{{"type", "hello"}, {"views", {{{"width", 320}, {"height", 200}}}}}.dump()));
    return ws;
}

// A number of the process's /proc/PID/status, in kB, such as "VmRSS".
long StatusKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

// The processor time the process used so far, user and system, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14) ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

TEST(ServeLoadTest, SeveralPagesAtOnceGetEveryMessageAcknowledgedWithoutError) {
    ServeProcess server;
    ASSERT_NE(server.Port(), 0) << "serve printed no address";
    std::vector<ClientFigures> figures(kClients);
    std::vector<std::thread> pages;
    for (int i = 0; i < kClients; ++i)
        pages.emplace_back(RunPage, server.Port(), server.Token(), i, std::ref(figures[static_cast<std::size_t>(i)]));
    for (std::thread& page : pages) page.join();
    EXPECT_EQ(server.Stop(), 0);

    int acknowledged = 0;
    int errors = 0;
    std::vector<double> latencies;
    for (const ClientFigures& f : figures) {
        acknowledged += f.acknowledged;
        errors += f.errors;
        latencies.insert(latencies.end(), f.latencies.begin(), f.latencies.end());
        EXPECT_EQ(f.errors, 0) << f.firstError;
    }
    std::cout << "load: " << kClients << " pages, " << acknowledged << " messages acknowledged, " << errors
              << " errors; latency ms p50 " << Percentile(latencies, 0.5) << ", p95 " << Percentile(latencies, 0.95)
              << ", max " << Percentile(latencies, 1.0) << "\n";
    RecordProperty("messages", acknowledged);
    RecordProperty("errors", errors);
    EXPECT_EQ(acknowledged, kClients * (kMessagesPerClient + 1));
}

}  // namespace

namespace {

TEST(ServeLoadTest, AFloodingPageAndOneThatNeverReadsLeaveTheOthersAnsweredAndMemoryBounded) {
    constexpr auto kFlood = std::chrono::seconds(5);
    constexpr auto kAnswerLimit = std::chrono::seconds(30);  // liveness, not speed
    constexpr long kGrowthLimitKb = 400 * 1024;               // two pages' send bounds and room
    ServeProcess server;
    ASSERT_NE(server.Port(), 0) << "serve printed no address";
    net::io_context io;
    auto sleeper = OpenPage(io, server.Port(), server.Token(), 16 * 1024);
    auto flooder = OpenPage(io, server.Port(), server.Token(), 16 * 1024);
    auto answered = OpenPage(io, server.Port(), server.Token());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const long before = StatusKb(server.Pid(), "VmRSS");

    // Frames that change the drawing, as fast as the socket takes them, never reading.
    std::atomic<bool> flooding{true};
    std::atomic<long> flooded{0};
    std::thread flood([&] {
        boost::beast::error_code ec;
        for (int i = 0; flooding && !ec; ++i) {
            flooder->write(net::buffer(json{{"type", "frame"}, {"frame", i % 40}}.dump()), ec);
            if (!ec) ++flooded;
        }
    });
    long peak = before;
    std::vector<double> latencies;
    int late = 0;
    int64_t seq = 0;
    const auto end = Clock::now() + kFlood;
    std::string failure;
    try {
    while (Clock::now() < end) {
        const json message{{"type", "orbit"}, {"view", 0}, {"dx", 2}, {"dy", 1}, {"seq", ++seq}};
        const Clock::time_point sent = Clock::now();
        answered->write(net::buffer(message.dump()));
        bool acknowledged = false;
        while (!acknowledged && Clock::now() - sent < kAnswerLimit) {
            boost::beast::flat_buffer buffer;
            answered->read(buffer);
            if (!answered->got_text()) continue;
            const json reply = json::parse(boost::beast::buffers_to_string(buffer.data()), nullptr, false);
            acknowledged = reply.is_object() && reply.value("type", "") == "ack" && reply["seq"].is_number_integer() &&
                           reply["seq"].get<int64_t>() == seq;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        latencies.push_back(ms);
        if (!acknowledged) ++late;
        peak = std::max(peak, StatusKb(server.Pid(), "VmRSS"));
    }
    } catch (const std::exception& e) {
        failure = e.what();
    }
    EXPECT_EQ(failure, "");
    flooding = false;
    shutdown(flooder->next_layer().native_handle(), SHUT_RDWR);  // ends a write the server holds
    flood.join();
    peak = std::max(peak, StatusKb(server.Pid(), "VmRSS"));
    std::cout << "flood: " << flooded << " messages flooded in " << kFlood.count() << " s; server RSS " << before / 1024
              << " MiB before, peak " << peak / 1024 << " MiB; the other page's " << latencies.size()
              << " answers took ms p50 " << Percentile(latencies, 0.5) << ", max " << Percentile(latencies, 1.0) << "\n";
    EXPECT_EQ(late, 0);
    EXPECT_GE(latencies.size(), 2u);
    EXPECT_LT(peak - before, kGrowthLimitKb);
    EXPECT_EQ(server.Stop(), 0);
}

TEST(ServeLoadTest, AServerOutOfFileDescriptorsWaitsForThemAndThenAnswersAgain) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' own checks open descriptors (to test memory before reading it),
    // so a sanitized server out of them fails those checks instead of running on.
    GTEST_SKIP() << "a sanitized server cannot run out of descriptors";
#endif
    ServeProcess server(64);
    ASSERT_NE(server.Port(), 0) << "serve printed no address";
    // Connections that hold every descriptor the server has left, and more waiting.
    std::vector<int> held;
    for (int i = 0; i < 100; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(server.Port());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) held.push_back(fd);
        else close(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double start = CpuSeconds(server.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double used = CpuSeconds(server.Pid()) - start;
    std::cout << "out of descriptors: " << held.size() << " connections held, " << used
              << " s of processor time in 2 s\n";
    EXPECT_LT(used, 0.2);  // a listener that spins takes a core's worth
    for (int fd : held) close(fd);
    net::io_context io;
    EXPECT_NO_THROW(OpenPage(io, server.Port(), server.Token()));  // accepting again
    EXPECT_EQ(server.Stop(), 0);
}

}  // namespace
