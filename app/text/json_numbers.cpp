#include "app/text/json_numbers.h"


#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zg::text {

double FloatForJson(float f) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof(buf) - 1, f);
    *result.ptr = '\0';
    return std::strtod(buf, nullptr);
}

std::optional<float> JsonToFloat(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    constexpr double kMax = std::numeric_limits<float>::max();
    // Half a unit in the last place above the largest float: anything below it rounds
    // to the largest float rather than to infinity.
    const double limit = kMax + std::ldexp(1.0, 103);
    if (std::fabs(v) >= limit) return std::nullopt;
    if (std::fabs(v) > kMax) return static_cast<float>(std::copysign(kMax, v));
    return static_cast<float>(v);
}

}  // namespace zg::text
