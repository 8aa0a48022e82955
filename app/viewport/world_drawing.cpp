#include "app/viewport/world_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zg::viewport {

namespace {

uint8_t ColorByte(float c) {
    return static_cast<uint8_t>(std::lround(std::clamp(std::isfinite(c) ? c : 0.0f, 0.0f, 1.0f) * 255.0f));
}

template <typename T>
bool SameRecords(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

void ColorBytes(const Rgb& color, uint8_t out[3]) {
    out[0] = ColorByte(color.r);
    out[1] = ColorByte(color.g);
    out[2] = ColorByte(color.b);
}

template <typename T>
bool WorldDrawing::Append(std::vector<T>& records, const T& record) {
    if (refused_ || !host::GrowWithin(budget_, records, 1)) {
        refused_ = true;
        return false;
    }
    records.push_back(record);
    return true;
}

bool WorldDrawing::AddLine(const WorldLine& line) { return Append(lines_, line); }

bool WorldDrawing::AddMarker(const WorldMarker& marker) { return Append(markers_, marker); }

bool WorldDrawing::SameAs(const WorldDrawing& other) const {
    return SameRecords(lines_, other.lines_) && SameRecords(markers_, other.markers_);
}

}  // namespace zg::viewport
