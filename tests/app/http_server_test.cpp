// The HTTP and WebSocket server: pages that do not read are dropped at their bound, and
// a handler that throws is answered with 500, its detail kept back.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/web/http_server.h"
#include "tests/app/eventually.h"

namespace webtest {
namespace {

// A handler whose every answer throws.
class ThrowingHandler : public zg::web::ServerHandler {
public:
    zg::web::HttpAnswer Answer(const zg::web::HttpQuestion&) override { throw std::runtime_error("secret detail"); }
    void Opened(zg::web::ClientId) override {}
    bool Received(zg::web::ClientId, std::string, bool) override { return true; }
    void Closed(zg::web::ClientId) override {}
};

// Sends `request` to the port and answers what came back, up to the connection's end.
std::string Exchange(uint16_t port, const std::string& request) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) reply.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return reply;
}

// A handler that counts the pages that opened and closed.
class CountingHandler : public zg::web::ServerHandler {
public:
    zg::web::HttpAnswer Answer(const zg::web::HttpQuestion&) override { return {}; }
    void Opened(zg::web::ClientId) override { ++opened; }
    bool Received(zg::web::ClientId, std::string, bool) override { return true; }
    void Closed(zg::web::ClientId) override { ++closed; }
    std::atomic<int> opened{0}, closed{0};
};

TEST(HttpServerTest, PagesThatDoNotReadAreDroppedAtTheirBoundAndWhatWaitsForAllIsBounded) {
    CountingHandler handler;
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    zg::web::HttpServer server({.token = "t", .maxQueuedBytes = 4 * kMiB, .maxTotalQueuedBytes = 6 * kMiB}, handler);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    // Two pages that open their sockets and then read nothing, with small receive buffers.
    boost::asio::io_context io;
    std::vector<std::unique_ptr<boost::beast::websocket::stream<boost::asio::ip::tcp::socket>>> pages;
    for (int i = 0; i < 2; ++i) {
        auto ws = std::make_unique<boost::beast::websocket::stream<boost::asio::ip::tcp::socket>>(io);
        ws->next_layer().open(boost::asio::ip::tcp::v4());
        ws->next_layer().set_option(boost::asio::socket_base::receive_buffer_size(64 * 1024));
        ws->next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), server.Port()});
        ws->set_option(boost::beast::websocket::stream_base::decorator([&](boost::beast::websocket::request_type& req) {
            req.set(boost::beast::http::field::origin, "http://" + host);
            req.set(boost::beast::http::field::authorization, "Bearer t");
        }));
        ws->handshake(host, "/ws");
        pages.push_back(std::move(ws));
    }
    ASSERT_TRUE(Eventually([&] { return handler.opened == 2; }));
    std::size_t most = 0;
    for (int i = 0; i < 64; ++i) {
        for (zg::web::ClientId page : {1, 2}) server.Send(page, std::string(kMiB, 'x'), true);
        most = std::max(most, server.QueuedBytes());
    }
    EXPECT_LE(most, 6 * kMiB);
    EXPECT_TRUE(Eventually([&] { return handler.closed == 2 && server.QueuedBytes() == 0; }))
        << handler.closed << " closed, " << server.QueuedBytes() << " bytes waiting";
    server.Stop();
}

TEST(HttpServerTest, AnswersAThrowingHandlerWith500WithoutItsDetailAndRedirectsOnlyToItsOwnPaths) {
    ThrowingHandler handler;
    zg::web::HttpServer server({.token = "t"}, handler);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    const std::string reply =
        Exchange(server.Port(), "GET / HTTP/1.1\r\nHost: " + host + "\r\nAuthorization: Bearer t\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(reply.rfind("HTTP/1.1 500", 0), 0u) << reply;
    EXPECT_EQ(reply.find("secret"), std::string::npos);
    // The token's redirect goes to a path of this server only.
    for (const auto& [target, location] : std::vector<std::pair<std::string, std::string>>{
             {"/app.js?token=t", "Location: /app.js\r\n"}, {"//other.example/?token=t", "Location: /\r\n"}}) {
        const std::string redirect = Exchange(
            server.Port(), "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n");
        EXPECT_NE(redirect.find(location), std::string::npos) << redirect;
    }
    server.Stop();
}

}  // namespace
}  // namespace webtest
