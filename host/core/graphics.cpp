#include "host/graphics.h"

#include <algorithm>
#include <map>

namespace host {
namespace {

constexpr Point3 kNeutralGrey{0.5f, 0.5f, 0.5f};

// Interface colours set by the application; every other index shows the defaults.
std::map<int, Point3>& UIColorOverrides() {
    static std::map<int, Point3> overrides;
    return overrides;
}

Point3 DefaultUIColor(int index) {
    switch (index) {
        case COLOR_SELECTION: return {1.0f, 1.0f, 1.0f};
        case COLOR_FREEZE: return {0.55f, 0.55f, 0.6f};
        default: return kNeutralGrey;
    }
}

}  // namespace

void MakeHitRegion(HitRegion& region, int type, int crossing, int epsilon, const IPoint2* p) {
    region.type = type;
    region.crossing = crossing;
    region.epsilon = std::max(epsilon, 0);
    if (p == nullptr) return;
    if (type == RECT_RGN) {
        region.left = std::min(p[0].x, p[1].x);
        region.right = std::max(p[0].x, p[1].x);
        region.top = std::min(p[0].y, p[1].y);
        region.bottom = std::max(p[0].y, p[1].y);
        region.point = p[0];
    } else {
        region.point = p[0];
        region.left = region.right = p[0].x;
        region.top = region.bottom = p[0].y;
    }
}

Point3 GetUIColor(int index) {
    const auto& overrides = UIColorOverrides();
    if (auto it = overrides.find(index); it != overrides.end()) return it->second;
    return DefaultUIColor(index);
}

void SetUIColor(int index, const Point3& rgb) {
    if (std::isnan(rgb.x) || std::isnan(rgb.y) || std::isnan(rgb.z)) return;
    Point3 c;
    for (int i = 0; i < 3; ++i) c[i] = std::clamp(rgb[i], 0.0f, 1.0f);
    UIColorOverrides()[index] = c;
}

GraphicsWindow::~GraphicsWindow() = default;

}  // namespace host
