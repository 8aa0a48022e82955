#include "app/text/one_line.h"

#include <fmt/format.h>

namespace zg::text {

namespace {

// The length of the well-formed UTF-8 sequence that starts `text` at `i`; 0 when the
// bytes there are not one (a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a code point beyond U+10FFFF).
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size() || at(i + 1) < low || at(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const std::size_t length = SequenceLength(text, i);
            // C1 control characters (U+0080 to U+009F) are controls too.
            if (length == 0 || (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
                line += fmt::format("\\x{:02x}", byte);
                continue;
            }
            line.append(text.substr(i, length));
            i += length - 1;
            continue;
        }
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
