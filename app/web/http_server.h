// HttpServer: the interactive host's HTTP and WebSocket server on the loopback
// interface. It checks every request against its AccessPolicy (app/web/access.h),
// refuses headers, bodies and messages over their limits before reading them, answers
// plain requests through its handler, and keeps one WebSocket per open page.
//
// The server runs its own network threads. They never call plug-ins or touch the scene:
// the handler hears of requests and messages on a network thread and passes the work
// to the UI thread (app/web/ui_thread.h); answers go back through Send, which any
// thread may call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zg::web {

// One open WebSocket, numbered from 1 in the order they opened.
using ClientId = uint64_t;

// A plain request that passed the access checks.
struct HttpQuestion {
    std::string method;
    std::string path;  // the target without its query
};

struct HttpAnswer {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
};

// What the application does with requests and messages. Every call comes on a network
// thread; Answer may throw (the client then gets a bare 500).
class ServerHandler {
public:
    virtual ~ServerHandler() = default;
    virtual HttpAnswer Answer(const HttpQuestion& question) = 0;
    virtual void Opened(ClientId client) = 0;
    // True to read the page's next message at once; false to read nothing more of it
    // until HttpServer::Resume: the page is sending faster than its work is done.
    virtual bool Received(ClientId client, std::string message, bool binary) = 0;
    virtual void Closed(ClientId client) = 0;
};

// The close code a page hears when the server drops it for a reason it gives (the
// WebSocket "policy violation"): the page shows the reason and does not connect again.
inline constexpr int kPolicyCloseCode = 1008;

struct ServerOptions {
    // Where to listen. Anything but the loopback address is reachable from other
    // machines: the command line asks for it explicitly and warns.
    std::string address = "127.0.0.1";
    uint16_t port = 0;  // 0: a free port chosen by the system
    std::string token;  // the per-run access token (app/web/access.h)
    std::size_t maxHeaderBytes = 8 * 1024;
    std::size_t maxBodyBytes = 64 * 1024;
    std::size_t maxMessageBytes = 64 * 1024;
    // A page that does not read what it is sent is dropped beyond this much waiting for
    // it, or when what waits for all pages together would pass the second bound.
    std::size_t maxQueuedBytes = std::size_t{128} << 20;
    std::size_t maxTotalQueuedBytes = std::size_t{512} << 20;
    int threads = 1;
};

class HttpServer {
public:
    HttpServer(ServerOptions options, ServerHandler& handler);
    // Stops the server and joins its threads.
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds, listens and starts the network threads. False, with a one-line reason
    // (the address is taken, cannot be bound), when it cannot.
    bool Start(std::string& error);
    // The port listened on, once started.
    uint16_t Port() const;
    // Calls `onSignal` once, on a network thread, when the process receives SIGINT or
    // SIGTERM; the server itself stops right after. Call before Start.
    void StopOnSignals(std::function<void()> onSignal);

    // Queues a message for one page; dropped when that page is gone. A page that would
    // hold more than its bound waiting (or all pages more than theirs) is closed with a
    // reason instead. Any thread.
    void Send(ClientId client, std::string message, bool binary);
    // Closes one page's socket with `reason` (kPolicyCloseCode). Any thread.
    void Close(ClientId client, std::string reason);
    // Reads a page's messages again after its handler held them. Any thread.
    void Resume(ClientId client);
    // Bytes queued for all pages and not yet written. Any thread.
    std::size_t QueuedBytes() const;
    // Closes every WebSocket and the listener, and ends the network threads. Any thread
    // but a network thread; idempotent.
    void Stop();

    // The server's state, defined with the network code; named here so that the
    // connections it runs can refer to it.
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace zg::web
