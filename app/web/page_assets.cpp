#include "app/web/page_assets.h"

namespace zg::web {

const EmbeddedFile* FindPageFile(std::string_view path) {
    if (path == "/") path = "/index.html";
    if (path.empty() || path.front() != '/') return nullptr;
    path.remove_prefix(1);
    for (const EmbeddedFile& file : PageFiles())
        if (file.name == path) return &file;
    return nullptr;
}

std::string_view ContentTypeOf(std::string_view name) {
    const auto ends = [name](std::string_view ext) {
        return name.size() >= ext.size() && name.substr(name.size() - ext.size()) == ext;
    };
    if (ends(".html")) return "text/html; charset=utf-8";
    if (ends(".js") || ends(".mjs")) return "text/javascript; charset=utf-8";
    if (ends(".css")) return "text/css; charset=utf-8";
    if (ends(".svg")) return "image/svg+xml";
    if (ends(".png")) return "image/png";
    return "application/octet-stream";
}

}  // namespace zg::web
