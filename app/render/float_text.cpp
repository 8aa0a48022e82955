#include "app/render/float_text.h"

#include <charconv>
#include <cmath>

namespace zg::render {

void AppendFloat(std::string& out, float v) {
    if (std::isnan(v)) {
        out += "nan";
        return;
    }
    if (std::isinf(v)) {
        out += v > 0 ? "inf" : "-inf";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, result.ptr);
}

void AppendJsonFloat(std::string& out, float v) {
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    AppendFloat(out, v);
}

std::string FloatText(float v) {
    std::string s;
    AppendFloat(s, v);
    return s;
}

std::string FrameText(double frame) {
    if (!std::isfinite(frame)) return "null";
    if (frame == std::floor(frame) && std::fabs(frame) < 1e15) return std::to_string(static_cast<long long>(frame));
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, frame);
    return std::string(buffer, result.ptr);
}

}  // namespace zg::render
