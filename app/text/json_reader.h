// Strict reading of JSON from outside: files, the page's messages, caches. A document
// is refused when it is not JSON, holds a NUL byte, nests deeper than its reader allows
// or repeats a key within one object (one of the two values would silently be lost).
// Field readers then name each value by its JSON path ("nodes[2].position") and refuse
// keys they do not know. Any thread; no state.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "app/text/json.h"

namespace zg::text {

// Why a text is not a document, with where it went wrong.
struct JsonTextError {
    enum class Kind {
        kSyntax,        // `detail`: the parser's words
        kNulByte,       // a NUL byte at `offset`
        kTooDeep,       // the bracket at `offset` opens a level past the limit
        kDuplicateKey,  // `detail`: the key; `path`: the object holding it twice
        kNoMemory,
    };
    Kind kind = Kind::kSyntax;
    std::size_t offset = 0;  // 0-based byte offset into the text
    std::string path;
    std::string detail;
};

// The document in `text`, nested at most `maxNesting` objects and arrays deep; none,
// with `error` set, when it is refused.
std::optional<Json> ReadJsonText(std::string_view text, std::size_t maxNesting, JsonTextError& error);

// "line:column" (both from 1) of the byte at 0-based index `offset` of `text`; an
// offset past the end names the end.
std::string LineColumn(std::string_view text, std::size_t offset);

// ---- Fields -------------------------------------------------------------------------

// JSON paths: "" is the document itself; members join with '.', elements with [i].
std::string JsonMember(std::string_view base, std::string_view key);
std::string JsonElement(std::string_view base, std::size_t index);
// "path: message", or the message alone for the document itself.
std::string AtJsonPath(std::string_view path, std::string_view message);

// A refused value: its path and what is wrong with it. Field readers throw it; the
// reader of the whole document catches it and turns it into its one-line error.
struct JsonFieldError {
    std::string path;
    std::string message;
};
[[noreturn]] void FailField(std::string path, std::string message);
// "expected <expected>, got <the value's JSON type>".
[[noreturn]] void FailFieldType(std::string path, std::string_view expected, const Json& got);

// Refuses, as "unknown key" at its path, the first key of `object` that is in neither
// list (`common`: keys every object of the kind may hold).
void CheckJsonKeys(const Json& object, std::string_view path, std::initializer_list<std::string_view> allowed,
                   std::initializer_list<std::string_view> common = {});

}  // namespace zg::text
