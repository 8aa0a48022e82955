// Numbers in scene files: single-precision values written so that they read back to
// the same float, and JSON positions turned into line:column.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zg::text {

// The double whose shortest decimal form is the shortest form that reads back as `f`:
// 0.1f is written 0.1, not 0.10000000149011612. `f` must be finite.
double FloatForJson(float f);

// `v` rounded to single precision; none when it is not finite or lies beyond the
// float range (values that round to the largest float are accepted).
std::optional<float> JsonToFloat(double v);

// "line:column" (both from 1) of the byte at 0-based index `offset` of `text`; an
// offset past the end names the end.
std::string LineColumn(std::string_view text, std::size_t offset);

}  // namespace zg::text
