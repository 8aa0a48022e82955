// The page's files (HTML, its script's ES modules, style sheet, icon), built into the
// program so that the server never reads a file to answer a request.
#pragma once

#include <span>
#include <string_view>

namespace zg::web {

struct EmbeddedFile {
    std::string_view name;   // "index.html", "main.mjs", ...
    std::string_view bytes;
};

// Every file of app/web/page/, in name order.
std::span<const EmbeddedFile> PageFiles();

// The file served at `path` ("/" is index.html), or none; only the page's own names are
// ever found. index.html comes with a module preload link for each of the page's
// modules. Any thread.
const EmbeddedFile* FindPageFile(std::string_view path);
// The Content-Type of a page file, from its extension.
std::string_view ContentTypeOf(std::string_view name);

}  // namespace zg::web
