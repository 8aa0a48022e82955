#include "app/web/page_server.h"

#include "app/web/page_assets.h"

namespace zg::web {

PageServer::PageServer(UiThread& ui, session::EditSession& session, ServerOptions options,
                       std::filesystem::path saveFolder, bool offline)
    : ui_(ui),
      host_(
          session,
          [this](ClientId client, std::string message, bool binary) { server_.Send(client, std::move(message), binary); },
          std::move(saveFolder)),
      dialogs_([this](ClientId client, std::string message,
                      bool binary) { server_.Send(client, std::move(message), binary); },
               [this] { return host_.CurrentPage(); }, offline),
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

void PageServer::Opened(ClientId client) {
    ui_.Post([this, client] { host_.Opened(client); });
}

void PageServer::Received(ClientId client, std::string message, bool binary) {
    if (binary) message = "binary message";  // the page speaks JSON text only; this fails to parse
    // Read here, once: an answer to a message box cannot wait for the UI thread, which
    // waits for it.
    ReadMessage read = ReadPageMessage(message);
    if (read.message) {
        if (const auto* reply = std::get_if<command::DialogReply>(&read.message->command)) {
            dialogs_.Reply(reply->id, reply->button);
            return;
        }
    }
    ui_.Post([this, client, read = std::move(read)] { host_.Received(client, read); });
}

void PageServer::Closed(ClientId client) {
    dialogs_.PageClosed(client);
    ui_.Post([this, client] { host_.Closed(client); });
}

}  // namespace zg::web
