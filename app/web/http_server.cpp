#include "app/web/http_server.h"

#include <fmt/format.h>

#include <atomic>
#include <boost/asio/dispatch.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <deque>
#include <exception>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/web/access.h"
#include "app/web/listen_address.h"

namespace zg::web {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

// How long a connection may take to send one request.
constexpr std::chrono::seconds kRequestTimeout{30};
// How long Stop lets WebSockets say goodbye before the threads end.
constexpr std::chrono::milliseconds kCloseGrace{200};
// How long a page that is being closed has to take the last message and the goodbye.
constexpr std::chrono::seconds kDropGrace{2};
// How long the listener waits when no file descriptor is left for a new connection.
constexpr std::chrono::milliseconds kAcceptPause{100};

constexpr const char* kUnauthorizedPage =
    "<!doctype html><meta charset=utf-8><title>Zentrograph</title>"
    "<p>This Zentrograph server needs its access token. Open the address that "
    "<code>zentrograph serve</code> printed when it started.</p>";

}  // namespace

class SocketSession;

// The server's state. The io_context comes first so that it is destroyed last: its
// destruction destroys the handlers still queued, and with them the sessions, while
// everything else of the server is gone already and no session touches it any more.
struct HttpServer::Impl {
    Impl(ServerOptions o, ServerHandler& h) : options(std::move(o)), handler(h) {
        policy.token = options.token;
        if (options.address != "127.0.0.1") policy.extraHost = UrlHost(options.address);
    }

    void Accept();
    void Shutdown();
    std::shared_ptr<SocketSession> Find(ClientId id);
    void Register(ClientId id, const std::shared_ptr<SocketSession>& session);
    void Unregister(ClientId id);
    ClientId NextId() { return nextId.fetch_add(1); }

    net::io_context ioc;
    ServerOptions options;
    ServerHandler& handler;
    AccessPolicy policy;
    net::executor_work_guard<net::io_context::executor_type> work = net::make_work_guard(ioc);
    tcp::acceptor acceptor{ioc};
    net::signal_set signals{ioc};
    std::function<void()> onSignal;
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::map<ClientId, std::weak_ptr<SocketSession>> sockets;
    std::atomic<ClientId> nextId{1};
    std::atomic<bool> stopping{false};
    std::shared_ptr<std::atomic<std::size_t>> queued = std::make_shared<std::atomic<std::size_t>>(0);
    // Waits before accepting again when the process has no descriptor to spare.
    net::steady_timer acceptPause{ioc};
};

namespace {

// The headers every answer carries: nothing cached, nothing framed, nothing loaded
// from elsewhere, no address passed on.
template <class Body>
void Harden(http::response<Body>& res) {
    res.set(http::field::server, "zentrograph");
    res.set(http::field::cache_control, "no-store");
    res.set("X-Content-Type-Options", "nosniff");
    res.set("X-Frame-Options", "DENY");
    res.set("Referrer-Policy", "no-referrer");
    res.set("Content-Security-Policy",
            "default-src 'self'; connect-src 'self'; img-src 'self' data:; style-src 'self'; script-src 'self'; "
            "frame-ancestors 'none'; base-uri 'none'; form-action 'none'");
}

http::response<http::string_body> MakeResponse(http::status status, unsigned version, bool keepAlive,
                                               std::string contentType, std::string body) {
    http::response<http::string_body> res{status, version};
    Harden(res);
    res.set(http::field::content_type, contentType);
    res.keep_alive(keepAlive);
    res.body() = std::move(body);
    res.prepare_payload();
    return res;
}

http::response<http::string_body> Plain(http::status status, unsigned version, std::string text) {
    return MakeResponse(status, version, false, "text/plain; charset=utf-8", std::move(text) + "\n");
}

}  // namespace

// One open WebSocket: reads the page's messages one after another (pausing while the
// handler asks it to) and writes what is queued for it in order. What waits for it is
// counted here and in the server's total, from Send until it is written or dropped.
class SocketSession : public std::enable_shared_from_this<SocketSession> {
public:
    SocketSession(tcp::socket&& socket, HttpServer::Impl* server)
        : ws_(std::move(socket)), server_(server), total_(server->queued), id_(server_->NextId()) {}
    ~SocketSession() { *total_ -= queued_.load(); }

    void Run(http::request<http::string_body> req) {
        // Small messages go out at once: waiting to fill a packet meets the page's
        // delayed acknowledgements in a stall of tens of milliseconds on every answer.
        beast::error_code ec;
        beast::get_lowest_layer(ws_).socket().set_option(tcp::no_delay(true), ec);
        ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
        ws_.read_message_max(server_->options.maxMessageBytes);
        // Each message goes out as one frame: cut into frames of the stream's 4 KB write
        // buffer, a drawing part of a megabyte took 256 writes to the socket.
        ws_.auto_fragment(false);
        ws_.set_option(websocket::stream_base::decorator(
            [](websocket::response_type& res) { res.set(http::field::server, "zentrograph"); }));
        ws_.async_accept(req, [self = shared_from_this()](beast::error_code ec) { self->OnAccept(ec); });
    }

    // Counts `bytes` as waiting for this page; false, counting nothing, when that would
    // pass the page's bound or the server's. Any thread.
    bool Charge(std::size_t bytes) {
        const std::size_t mine = queued_.fetch_add(bytes) + bytes;
        const std::size_t all = total_->fetch_add(bytes) + bytes;
        if (mine <= server_->options.maxQueuedBytes && all <= server_->options.maxTotalQueuedBytes) return true;
        queued_ -= bytes;
        *total_ -= bytes;
        return false;
    }

    // On the session's strand, the message charged already.
    void Send(std::shared_ptr<const std::string> message, bool binary) {
        if (closed_) {
            Discharge(message->size());
            return;
        }
        queue_.emplace_back(std::move(message), binary);
        if (queue_.size() == 1) Write();
    }

    // On the session's strand. Messages not yet started are dropped; one being written
    // is let finish first (a WebSocket writes one frame at a time), for a while.
    void Close(websocket::close_code code, std::string reason = {}) {
        if (closed_) return;
        closed_ = true;
        closeReason_ = websocket::close_reason(code, reason);
        while (queue_.size() > (writing_ ? 1u : 0u)) {
            Discharge(queue_.back().first->size());
            queue_.pop_back();
        }
        if (!writing_) SayGoodbye();
        // A page that reads nothing neither lets a write end nor answers the goodbye:
        // its connection goes after a while.
        auto timer = std::make_shared<net::steady_timer>(ws_.get_executor(), kDropGrace);
        timer->async_wait([self = shared_from_this(), timer](beast::error_code) {
            if (self->readEnded_) return;
            beast::error_code ec;
            beast::get_lowest_layer(self->ws_).socket().close(ec);
        });
    }

    // On the session's strand.
    void Resume() {
        if (!paused_ || readEnded_) return;
        paused_ = false;
        Read();
    }

    auto Executor() { return ws_.get_executor(); }

private:
    void OnAccept(beast::error_code ec) {
        if (ec) return;
        server_->Register(id_, shared_from_this());
        server_->handler.Opened(id_);
        Read();
    }

    void Read() {
        ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
    }

    void OnRead(beast::error_code ec) {
        if (ec) {
            readEnded_ = true;
            closed_ = true;
            server_->Unregister(id_);
            server_->handler.Closed(id_);
            return;
        }
        std::string message = beast::buffers_to_string(buffer_.data());
        buffer_.consume(buffer_.size());
        if (server_->handler.Received(id_, std::move(message), ws_.got_binary()))
            Read();
        else
            paused_ = true;
    }

    void Write() {
        writing_ = true;
        ws_.binary(queue_.front().second);
        ws_.async_write(net::buffer(*queue_.front().first),
                        [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnWrite(ec); });
    }

    void OnWrite(beast::error_code ec) {
        writing_ = false;
        Discharge(queue_.front().first->size());
        queue_.pop_front();
        if (ec) {  // the reader hears of the failure and closes
            while (!queue_.empty()) {
                Discharge(queue_.front().first->size());
                queue_.pop_front();
            }
            return;
        }
        if (closed_) return SayGoodbye();
        if (!queue_.empty()) Write();
    }

    void SayGoodbye() {
        ws_.async_close(closeReason_, [self = shared_from_this()](beast::error_code) {});
    }

    void Discharge(std::size_t bytes) {
        queued_ -= bytes;
        *total_ -= bytes;
    }

    websocket::stream<beast::tcp_stream> ws_;
    HttpServer::Impl* server_;
    // The server's count, shared: a session may outlive the rest of the server.
    std::shared_ptr<std::atomic<std::size_t>> total_;
    ClientId id_;
    beast::flat_buffer buffer_;
    std::deque<std::pair<std::shared_ptr<const std::string>, bool>> queue_;
    std::atomic<std::size_t> queued_{0};
    websocket::close_reason closeReason_;
    bool closed_ = false;
    bool writing_ = false;
    bool paused_ = false;
    bool readEnded_ = false;
};

namespace {

// One HTTP connection: reads requests one after another with their limits, judges
// each, answers it or hands the connection over to a WebSocket.
class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
    HttpSession(tcp::socket&& socket, HttpServer::Impl* server)
        : stream_(std::move(socket)), server_(server) {}

    void Run() {
        net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->Read(); });
    }

private:
    void Read() {
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(server_->options.maxHeaderBytes));
        parser_->body_limit(server_->options.maxBodyBytes);
        stream_.expires_after(kRequestTimeout);
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
    }

    void OnRead(beast::error_code ec) {
        // Over a limit: answered without reading further, then the connection closes.
        if (ec == http::error::body_limit) return Refuse(http::status::payload_too_large, "request body too large");
        if (ec == http::error::header_limit)
            return Refuse(http::status::request_header_fields_too_large, "request headers too large");
        if (ec) {
            stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
            return;
        }
        http::request<http::string_body> req = parser_->release();
        const auto header = [&req](http::field f) {
            const auto it = req.find(f);
            return it == req.end() ? std::string_view() : std::string_view(it->value().data(), it->value().size());
        };
        const bool upgrade = websocket::is_upgrade(req);
        const std::string_view target(req.target().data(), req.target().size());
        const std::string_view method(req.method_string().data(), req.method_string().size());
        RequestFacts facts{method,
                           target,
                           header(http::field::host),
                           header(http::field::origin),
                           header(http::field::cookie),
                           header(http::field::authorization),
                           upgrade};
        switch (server_->policy.Judge(facts)) {
            case Verdict::kForbidden:
                return Reply(Plain(http::status::forbidden, req.version(), "forbidden"));
            case Verdict::kUnauthorized: {
                auto res = MakeResponse(http::status::unauthorized, req.version(), false, "text/html; charset=utf-8",
                                        kUnauthorizedPage);
                return Reply(std::move(res));
            }
            case Verdict::kAllowAndKeepToken: {
                auto res = MakeResponse(http::status::see_other, req.version(), req.keep_alive(),
                                        "text/plain; charset=utf-8", "");
                // Only ever to a path of this server: "//name/" would lead to another host.
                std::string path(AccessPolicy::PathOf(target));
                if (path.empty() || path[0] != '/' || path.rfind("//", 0) == 0 || path.find('\\') != std::string::npos)
                    path = "/";
                res.set(http::field::location, path);
                res.set(http::field::set_cookie, fmt::format("{}={}; Path=/; HttpOnly; SameSite=Strict",
                                                             CookieName(server_->policy.port), server_->policy.token));
                return Reply(std::move(res));
            }
            case Verdict::kAllow:
                break;
        }
        if (upgrade) {
            stream_.expires_never();
            std::make_shared<SocketSession>(stream_.release_socket(), server_)->Run(std::move(req));
            return;
        }
        HttpAnswer answer;
        try {
            answer = server_->handler.Answer({std::string(method), std::string(AccessPolicy::PathOf(target))});
        } catch (const std::exception& e) {
            // The reason stays in the server's log; the client learns nothing of it.
            std::cerr << "zentrograph serve: request " << AccessPolicy::PathOf(target) << " failed: " << e.what()
                      << "\n";
            return Reply(Plain(http::status::internal_server_error, req.version(), "internal server error"));
        } catch (...) {
            return Reply(Plain(http::status::internal_server_error, req.version(), "internal server error"));
        }
        auto res = MakeResponse(static_cast<http::status>(answer.status), req.version(), req.keep_alive(),
                                answer.contentType, std::move(answer.body));
        if (req.method() == http::verb::head) {
            const auto length = res.body().size();
            res.body().clear();
            res.content_length(length);
        }
        Reply(std::move(res));
    }

    void Refuse(http::status status, const char* why) { Reply(Plain(status, 11, why)); }

    void Reply(http::response<http::string_body>&& res) {
        auto shared = std::make_shared<http::response<http::string_body>>(std::move(res));
        http::async_write(stream_, *shared,
                          [self = shared_from_this(), shared](beast::error_code ec, std::size_t) {
                              if (!ec && shared->keep_alive()) return self->Read();
                              self->stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
                          });
    }

    beast::tcp_stream stream_;
    HttpServer::Impl* server_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
};

}  // namespace

void HttpServer::Impl::Accept() {
    acceptor.async_accept(net::make_strand(ioc), [self = this](beast::error_code ec, tcp::socket socket) {
        if (!self->acceptor.is_open()) return;
        if (ec == net::error::no_descriptors || ec == boost::system::errc::too_many_files_open_in_system) {
            // Accepting again at once would fail again at once: a core spent for nothing.
            self->acceptPause.expires_after(kAcceptPause);
            self->acceptPause.async_wait([self](beast::error_code waited) {
                if (!waited && self->acceptor.is_open()) self->Accept();
            });
            return;
        }
        if (!ec) std::make_shared<HttpSession>(std::move(socket), self)->Run();
        self->Accept();
    });
}

std::shared_ptr<SocketSession> HttpServer::Impl::Find(ClientId id) {
    std::lock_guard lock(mutex);
    const auto it = sockets.find(id);
    return it != sockets.end() ? it->second.lock() : nullptr;
}

void HttpServer::Impl::Register(ClientId id, const std::shared_ptr<SocketSession>& session) {
    std::lock_guard lock(mutex);
    sockets[id] = session;
}

void HttpServer::Impl::Unregister(ClientId id) {
    std::lock_guard lock(mutex);
    sockets.erase(id);
}

void HttpServer::Impl::Shutdown() {
    if (stopping.exchange(true)) return;
    beast::error_code ec;
    acceptor.close(ec);
    acceptPause.cancel();
    signals.cancel(ec);
    std::vector<std::shared_ptr<SocketSession>> open;
    {
        std::lock_guard lock(mutex);
        for (auto& [id, weak] : sockets)
            if (auto s = weak.lock()) open.push_back(std::move(s));
    }
    for (auto& s : open)
        net::post(s->Executor(), [s] { s->Close(websocket::close_code::going_away); });
    work.reset();
    auto timer = std::make_shared<net::steady_timer>(ioc, kCloseGrace);
    timer->async_wait([self = this, timer](beast::error_code) { self->ioc.stop(); });
}

HttpServer::HttpServer(ServerOptions options, ServerHandler& handler)
    : impl_(std::make_unique<Impl>(std::move(options), handler)) {}

HttpServer::~HttpServer() { Stop(); }

bool HttpServer::Start(std::string& error) {
    beast::error_code ec;
    const net::ip::address address = net::ip::make_address(impl_->options.address, ec);
    if (ec) {
        error = fmt::format("{}: not an IP address", impl_->options.address);
        return false;
    }
    const tcp::endpoint endpoint{address, impl_->options.port};
    impl_->acceptor.open(endpoint.protocol(), ec);
    if (!ec) impl_->acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec) impl_->acceptor.bind(endpoint, ec);
    if (!ec) impl_->acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) {
        error = fmt::format("cannot listen on {}:{}: {}", impl_->options.address, impl_->options.port, ec.message());
        return false;
    }
    impl_->policy.port = impl_->acceptor.local_endpoint().port();
    if (impl_->onSignal) {
        impl_->signals.add(SIGINT);
        impl_->signals.add(SIGTERM);
        impl_->signals.async_wait([self = impl_.get()](beast::error_code ec2, int) {
            if (ec2) return;
            self->onSignal();
            self->Shutdown();
        });
    }
    impl_->Accept();
    for (int i = 0; i < std::max(1, impl_->options.threads); ++i)
        impl_->threads.emplace_back([self = impl_.get()] { self->ioc.run(); });
    return true;
}

uint16_t HttpServer::Port() const { return impl_->policy.port; }

void HttpServer::StopOnSignals(std::function<void()> onSignal) { impl_->onSignal = std::move(onSignal); }

void HttpServer::Send(ClientId client, std::string message, bool binary) {
    std::shared_ptr<SocketSession> session = impl_->Find(client);
    if (!session) return;
    if (!session->Charge(message.size())) {
        const bool alone = message.size() + impl_->queued->load() <= impl_->options.maxTotalQueuedBytes;
        Close(client, alone ? "this page did not read what it was sent in time; reload it to continue"
                            : "the server is holding too much for its pages; reload this page to continue");
        return;
    }
    auto shared = std::make_shared<const std::string>(std::move(message));
    net::post(session->Executor(), [session, shared, binary] { session->Send(shared, binary); });
}

void HttpServer::Close(ClientId client, std::string reason) {
    std::shared_ptr<SocketSession> session = impl_->Find(client);
    if (!session) return;
    net::post(session->Executor(), [session, reason = std::move(reason)]() mutable {
        session->Close(static_cast<websocket::close_code>(kPolicyCloseCode), std::move(reason));
    });
}

void HttpServer::Resume(ClientId client) {
    std::shared_ptr<SocketSession> session = impl_->Find(client);
    if (session) net::post(session->Executor(), [session] { session->Resume(); });
}

std::size_t HttpServer::QueuedBytes() const { return impl_->queued->load(); }

void HttpServer::Stop() {
    if (impl_->threads.empty()) return;
    net::post(impl_->ioc, [self = impl_.get()] { self->Shutdown(); });
    for (std::thread& t : impl_->threads)
        if (t.joinable()) t.join();
    impl_->threads.clear();
}

}  // namespace zg::web
