#include "app/text/one_line.h"

#include <fmt/format.h>

namespace zg::text {

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            line += c;
            continue;
        }
        switch (c) {
            case '\n': line += "\\n"; break;
            case '\r': line += "\\r"; break;
            case '\t': line += "\\t"; break;
            default: line += fmt::format("\\x{:02x}", byte); break;
        }
    }
    return line;
}

}  // namespace zg::text
