// Numbers in scene files: single-precision values written so that they read back to
// the same float, and read back within the float range.
#pragma once

#include <optional>

namespace zg::text {

// The double whose shortest decimal form is the shortest form that reads back as `f`:
// 0.1f is written 0.1, not 0.10000000149011612. `f` must be finite.
double FloatForJson(float f);

// `v` rounded to single precision; none when it is not finite or lies beyond the
// float range (values that round to the largest float are accepted).
std::optional<float> JsonToFloat(double v);

}  // namespace zg::text
