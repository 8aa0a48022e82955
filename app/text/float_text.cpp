#include "app/text/float_text.h"

#include <charconv>
#include <cmath>

#include "app/text/json_numbers.h"

namespace zg::text {

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

Json JsonFloat(float v) {
    if (!std::isfinite(v)) return Json(nullptr);
    // Whole values print without the library's ".0"; -0 keeps its sign as a float.
    if (v == std::trunc(v) && std::fabs(v) < 1e15f && !(v == 0.0f && std::signbit(v)))
        return Json(static_cast<long long>(v));
    return Json(FloatForJson(v));
}

Json FrameJson(double frame) {
    if (!std::isfinite(frame)) return Json(nullptr);
    if (frame == std::floor(frame) && std::fabs(frame) < 1e15) return Json(static_cast<long long>(frame));
    return Json(frame);
}

std::string DumpJson(const Json& doc) { return doc.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string DumpOpenedJson(const Json& doc) {
    std::string text = DumpJson(doc);
    text.pop_back();
    return text;
}

}  // namespace zg::text
