#include "app/web/page_assets.h"

#include <string>

namespace zg::web {
namespace {

// index.html as served: the file with a module preload link for every module of the
// page before its </head>, so that the browser asks for the whole module graph at once
// instead of one level of imports after another.
const EmbeddedFile& ServedIndex(const EmbeddedFile& index) {
    static const std::string text = [&index] {
        std::string links;
        for (const EmbeddedFile& file : PageFiles())
            if (file.name.ends_with(".mjs")) links += "<link rel=\"modulepreload\" href=\"/" + std::string(file.name) + "\">\n";
        std::string html(index.bytes);
        const std::size_t head = html.find("</head>");
        if (head != std::string::npos) html.insert(head, links);
        return html;
    }();
    static const EmbeddedFile served{index.name, text};
    return served;
}

}  // namespace

const EmbeddedFile* FindPageFile(std::string_view path) {
    if (path == "/") path = "/index.html";
    if (path.empty() || path.front() != '/') return nullptr;
    path.remove_prefix(1);
    for (const EmbeddedFile& file : PageFiles())
        if (file.name == path) return file.name == "index.html" ? &ServedIndex(file) : &file;
    return nullptr;
}

std::string_view ContentTypeOf(std::string_view name) {
    const auto ends = [name](std::string_view ext) { return name.ends_with(ext); };
    if (ends(".html")) return "text/html; charset=utf-8";
    if (ends(".js") || ends(".mjs")) return "text/javascript; charset=utf-8";
    if (ends(".css")) return "text/css; charset=utf-8";
    if (ends(".svg")) return "image/svg+xml";
    if (ends(".png")) return "image/png";
    return "application/octet-stream";
}

}  // namespace zg::web
