// Messages stay one line: names and values that come from files, modules or the
// command line may hold line breaks and other control characters, which are shown
// escaped instead.
#pragma once

#include <string>
#include <string_view>

namespace zg::text {

// `text` with every control character (C0, DEL and C1) written as an escape: \n, \r,
// \t, or \xHH; so is each byte that is not part of well-formed UTF-8.
std::string OneLine(std::string_view text);

}  // namespace zg::text
