// Load: several pages at once on a real `zentrograph serve --demo --port 0` over the
// loopback interface, each sending pointer and orbit messages and waiting for each
// acknowledgement while every other page's changes stream in. Every message must be
// acknowledged without an error; latency is reported, not judged.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <regex>
#include <thread>

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
    ServeProcess() {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
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

private:
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
