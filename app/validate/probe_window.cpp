#include "app/validate/probe_window.h"

#include <fmt/format.h>

#include <cmath>

namespace zg::validate {

namespace {

constexpr double kPixelsPerUnit = 50.0;
constexpr double kOriginX = 400.0;
constexpr double kOriginY = 300.0;

std::string Text(const host::Point3& p) { return fmt::format("({}, {}, {})", p.x, p.y, p.z); }

}  // namespace

void CheckingWindow::Reset(uint32_t limits, bool record) {
    Clear();
    SetLimits(limits);
    Keep(record ? viewport::kDrawingCalls : viewport::kNoCalls);
    problem_.clear();
}

void CheckingWindow::Broken(std::string problem) {
    if (problem_.empty()) problem_ = std::move(problem);
}

bool CheckingWindow::Receive(viewport::WindowCall call, uint32_t, const host::Point3* points, int count) {
    using viewport::WindowCall;
    const char* what = "";
    bool droppable = true;
    switch (call) {
        case WindowCall::SetTransform:
            what = "a transform";
            droppable = false;
            break;
        case WindowCall::SetColor:
            what = "a colour";
            droppable = false;
            break;
        case WindowCall::Polyline:
            if (count < 0 || (count > 0 && points == nullptr)) {
                Broken(fmt::format("a polyline of {} points at {}", count, static_cast<const void*>(points)));
                return false;
            }
            what = "a polyline";
            break;
        case WindowCall::Segment:
            if (points == nullptr) {
                Broken("a segment without points");
                return false;
            }
            what = "a segment";
            break;
        case WindowCall::Marker:
            if (points == nullptr) {
                Broken("a marker without a point");
                return false;
            }
            what = "a marker";
            break;
        default: return true;
    }
    for (int i = 0; i < count; ++i) {
        if (host::IsFinite(points[i])) continue;
        if (dropNonFinite_ && droppable) return false;
        Broken(count == 1 ? fmt::format("{} at {}, which is not finite", what, Text(points[i]))
                          : fmt::format("{} whose point {} is {}, which is not finite", what, i, Text(points[i])));
        break;
    }
    return true;
}

ProbeViewport::ProbeViewport() : RecordingViewport(window_) {
    SetAffineTM(host::Matrix3::RotateZ(-0.6f) * host::Matrix3::RotateX(-1.1f));
}

host::Point3 ProbeViewport::SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                                      uint32_t) {
    out = in;
    const host::Point3 local{static_cast<float>((in.x - kOriginX) / kPixelsPerUnit),
                             static_cast<float>((kOriginY - in.y) / kPixelsPerUnit), 0.0f};
    return plane != nullptr ? plane->PointTransform(local) : local;
}

}  // namespace zg::validate
