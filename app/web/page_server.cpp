#include "app/web/page_server.h"

#include "app/web/page_assets.h"

namespace zg::web {

PageServer::PageServer(UiThread& ui, session::EditSession& session, ServerOptions options,
                       std::filesystem::path saveFolder)
    : ui_(ui),
      host_(
          session,
          [this](ClientId client, std::string message, bool binary) { server_.Send(client, std::move(message), binary); },
          std::move(saveFolder)),
      server_(std::move(options), *this) {}

PageServer::~PageServer() { server_.Stop(); }

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
    ui_.Post([this, client, message = std::move(message)] { host_.Received(client, message); });
}

void PageServer::Closed(ClientId client) {
    ui_.Post([this, client] { host_.Closed(client); });
}

}  // namespace zg::web
