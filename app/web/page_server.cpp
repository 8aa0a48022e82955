#include "app/web/page_server.h"

#include "app/web/page_assets.h"

#include <vector>

namespace zg::web {

PageServer::PageServer(UiThread& ui, session::EditSession& session, ServerOptions options,
                       std::filesystem::path saveFolder, bool offline)
    : ui_(ui),
      host_(
          session,
          [this](ClientId client, std::string message, bool binary) { Deliver(client, std::move(message), binary); },
          std::move(saveFolder), {}, options.maxQueuedBytes / 2),
      dialogs_([this](ClientId client, std::string message,
                      bool binary) { Deliver(client, std::move(message), binary); },
               [this] { return host_.CurrentPage(); }, offline, &ui),
      server_(std::move(options), *this) {
    host::InstallShellService(&dialogs_);
    host::InstallMessageBoxService(&dialogs_);
}

PageServer::~PageServer() {
    Stop();
    host::InstallShellService(nullptr);
    host::InstallMessageBoxService(nullptr);
}

void PageServer::StopOnSignals(std::function<void()> onSignal) {
    server_.StopOnSignals([this, onSignal = std::move(onSignal)] {
        dialogs_.Stop();
        onSignal();
    });
}

void PageServer::Stop() {
    dialogs_.Stop();
    server_.Stop();
}

HttpAnswer PageServer::Answer(const HttpQuestion& question) {
    if (question.method != "GET" && question.method != "HEAD") return {405, "text/plain; charset=utf-8", "method not allowed\n"};
    const EmbeddedFile* file = FindPageFile(question.path);
    if (file == nullptr) return {404, "text/plain; charset=utf-8", "not found\n"};
    return {200, std::string(ContentTypeOf(file->name)), std::string(file->bytes)};
}

bool PageServer::ChargeQueued(std::size_t extra) {
    const std::size_t wanted = server_.QueuedBytes() + extra;
    if (wanted <= sendShare_.Bytes()) {
        sendShare_.Give(sendShare_.Bytes() - wanted);
        return true;
    }
    return sendShare_.Take(wanted - sendShare_.Bytes());
}

void PageServer::Deliver(ClientId client, std::string message, bool binary) {
    if (!ChargeQueued(message.size())) {
        server_.Close(client, "the server's memory budget cannot hold what this page is sent; reload it to continue");
        return;
    }
    server_.Send(client, std::move(message), binary);
}

void PageServer::Done(ClientId client) {
    ChargeQueued(0);
    std::vector<ClientId> resume;
    {
        std::lock_guard lock(waitingMutex_);
        const auto it = waiting_.find(client);
        if (it != waiting_.end() && it->second > 0) {
            --it->second;
            --totalWaiting_;
        }
        if (totalWaiting_ >= kMaxWaiting) return;
        for (auto h = held_.begin(); h != held_.end();) {
            if (waiting_[h->first] < kMaxWaitingPerPage) {
                resume.push_back(h->first);
                h = held_.erase(h);
            } else {
                ++h;
            }
        }
    }
    for (ClientId page : resume) server_.Resume(page);
}

void PageServer::Opened(ClientId client) {
    {
        std::lock_guard lock(waitingMutex_);
        waiting_[client] = 0;
    }
    ui_.Post([this, client] { host_.Opened(client); });
}

bool PageServer::Received(ClientId client, std::string message, bool binary) {
    if (binary) message = "binary message";  // the page speaks JSON text only; this fails to parse
    // Read here, once: an answer to a message box cannot wait for the UI thread, which
    // waits for it.
    ReadMessage read = ReadPageMessage(message);
    if (read.message) {
        if (const auto* reply = std::get_if<command::DialogReply>(&read.message->command)) {
            dialogs_.Reply(client, reply->id, reply->button);
            return true;
        }
    }
    std::lock_guard lock(waitingMutex_);
    ++waiting_[client];
    ++totalWaiting_;
    ui_.Post(
        [this, client, read = std::move(read)] {
            host_.Received(client, read);
            Done(client);
        },
        client);
    const bool room = waiting_[client] < kMaxWaitingPerPage && totalWaiting_ < kMaxWaiting;
    if (!room) held_[client] = true;
    return room;
}

void PageServer::Closed(ClientId client) {
    {
        // What the page left waiting is not done after it has gone.
        std::lock_guard lock(waitingMutex_);
        ui_.Drop(client);
        totalWaiting_ -= waiting_[client];
        waiting_.erase(client);
        held_.erase(client);
    }
    dialogs_.PageClosed(client);
    // Its own: not run while a box of the page is open further up the UI thread.
    ui_.Post([this, client] { host_.Closed(client); }, client);
}

}  // namespace zg::web
