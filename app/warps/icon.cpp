#include "app/warps/icon.h"

#include <cmath>
#include <numbers>

#include "host/graphics.h"

namespace zg::warps {

void Icon::Line(const host::Point3& a, const host::Point3& b) { Polyline({a, b}); }

void Icon::Polyline(std::vector<host::Point3> points, bool closed) {
    if (points.size() < 2) return;
    lines_.push_back(std::move(points));
    closed_.push_back(closed);
}

void Icon::Circle(const host::Point3& center, float radius, const host::Point3& u, const host::Point3& v,
                  int segments) {
    if (segments < 3) segments = 3;
    std::vector<host::Point3> points;
    points.reserve(static_cast<std::size_t>(segments));
    for (int i = 0; i < segments; ++i) {
        const double a = 2.0 * std::numbers::pi * i / segments;
        points.push_back(center + u * static_cast<float>(radius * std::cos(a)) +
                         v * static_cast<float>(radius * std::sin(a)));
    }
    Polyline(std::move(points), true);
}

void Icon::Arrow(const host::Point3& from, const host::Point3& to, float head) {
    Line(from, to);
    const host::Point3 dir = host::Normalize(to - from);
    if (host::LengthSquared(dir) == 0.0f) return;
    // Two directions across the shaft: any axis not parallel to it gives the first.
    const host::Point3 helper = std::fabs(dir.z) < 0.9f ? host::Point3::ZAxis : host::Point3::XAxis;
    const host::Point3 side1 = host::Normalize(host::CrossProd(dir, helper));
    const host::Point3 side2 = host::CrossProd(dir, side1);
    const host::Point3 base = to - dir * head;
    const float spread = head * 0.4f;
    for (const host::Point3& side : {side1, -side1, side2, -side2}) Line(to, base + side * spread);
}

void Icon::SquareXY(float side) {
    const float h = side * 0.5f;
    Polyline({{-h, -h, 0.0f}, {h, -h, 0.0f}, {h, h, 0.0f}, {-h, h, 0.0f}}, true);
}

void Icon::Cube(float side) {
    const float h = side * 0.5f;
    Polyline({{-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h}}, true);
    Polyline({{-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h}}, true);
    for (const auto& [x, y] : {std::pair{-h, -h}, {h, -h}, {h, h}, {-h, h}}) Line({x, y, -h}, {x, y, h});
}

void Icon::Box(const host::Box3& box) {
    if (box.IsEmpty()) return;
    host::Point3 c[8];
    for (int i = 0; i < 8; ++i) c[i] = box[i];
    Polyline({c[0], c[1], c[3], c[2]}, true);
    Polyline({c[4], c[5], c[7], c[6]}, true);
    for (int i = 0; i < 4; ++i) Line(c[i], c[i + 4]);
}

host::Box3 Icon::Bounds() const {
    host::Box3 box;
    for (const auto& line : lines_)
        for (const host::Point3& p : line) box += p;
    return box;
}

namespace {

// Draws the icon's lines, or the box around them when the saved limits ask for boxes.
void DrawLines(const Icon& icon, host::GraphicsWindow* gw, uint32_t savedLimits) {
    if ((savedLimits & host::kRndBoxOnly) != 0) {
        Icon box;
        box.Box(icon.Bounds());
        DrawLines(box, gw, 0);
        return;
    }
    const auto& lines = icon.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i)
        gw->polyline(static_cast<int>(lines[i].size()), lines[i].data(), icon.Closed()[i] ? 1 : 0);
}

}  // namespace

int DisplayIcon(const Icon& icon, const host::Matrix3& iconTM, host::SceneNode* node, host::ViewportContext* vpt) {
    host::GraphicsWindow* gw = vpt != nullptr ? vpt->GetGraphicsWindow() : nullptr;
    if (gw == nullptr || node == nullptr) return 0;
    gw->setTransform(iconTM);
    const host::RenderLimitsScope limits(*gw);
    const uint32_t saved = limits.Saved();
    gw->setRndLimits((saved & host::kRndZBuffer) | host::kRndWireframe);
    host::Point3 rgb;
    if (node->IsSelected()) {
        rgb = host::GetUIColor(host::COLOR_SELECTION);
    } else if (node->IsFrozen()) {
        rgb = host::GetUIColor(host::COLOR_FREEZE);
    } else {
        const uint32_t w = node->GetWireColor();
        rgb = {static_cast<float>((w & 0xFF) / 255.0), static_cast<float>(((w >> 8) & 0xFF) / 255.0),
               static_cast<float>(((w >> 16) & 0xFF) / 255.0)};
    }
    gw->setColor(host::LINE_COLOR, rgb.x, rgb.y, rgb.z);
    DrawLines(icon, gw, saved);
    return 0;
}

int HitTestIcon(const Icon& icon, const host::Matrix3& iconTM, int type, int crossing, host::IPoint2* p,
                host::ViewportContext* vpt) {
    host::GraphicsWindow* gw = vpt != nullptr ? vpt->GetGraphicsWindow() : nullptr;
    if (gw == nullptr || p == nullptr) return 0;
    gw->setTransform(iconTM);
    const host::RenderLimitsScope limits(*gw);
    const uint32_t saved = limits.Saved();
    constexpr uint32_t kShading = host::kRndIllum | host::kRndFlat | host::kRndSpecular | host::kRndTexture;
    gw->setRndLimits((saved & ~kShading) | host::kRndWireframe | host::kRndPicking);
    host::HitRegion region;
    host::MakeHitRegion(region, type, crossing, 4, p);
    gw->setHitRegion(&region);
    gw->clearHitCode();
    DrawLines(icon, gw, saved);
    const int hit = gw->checkHitCode() != 0 ? 1 : 0;
    return hit;
}

}  // namespace zg::warps
