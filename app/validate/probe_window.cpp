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
    drawing_ = Drawing();
    problem_.clear();
    limits_ = limits;
    record_ = record;
    batchOpen_ = false;
}

void CheckingWindow::Broken(std::string problem) {
    if (problem_.empty()) problem_ = std::move(problem);
}

void CheckingWindow::Record(Drawing::Op op, int flag, const host::Point3* points, int count, const char* what) {
    const bool droppable = op == Drawing::Op::kPolyline || op == Drawing::Op::kSegment || op == Drawing::Op::kMarker;
    for (int i = 0; i < count; ++i) {
        if (host::IsFinite(points[i])) continue;
        if (dropNonFinite_ && droppable) return;
        Broken(count == 1 ? fmt::format("{} at {}, which is not finite", what, Text(points[i]))
                          : fmt::format("{} whose point {} is {}, which is not finite", what, i, Text(points[i])));
        break;
    }
    if (!record_) return;
    Drawing::Call call{op, flag, static_cast<uint32_t>(drawing_.points.size()), 0};
    if (drawing_.points.size() + static_cast<std::size_t>(count) > kMaxRecordedPoints) {
        drawing_.truncated = true;
        return;
    }
    drawing_.points.insert(drawing_.points.end(), points, points + count);
    call.count = static_cast<uint32_t>(count);
    drawing_.calls.push_back(call);
}

void CheckingWindow::setTransform(const host::Matrix3& m) {
    const host::Point3 rows[4] = {m.GetRow(0), m.GetRow(1), m.GetRow(2), m.GetRow(3)};
    Record(Drawing::Op::kTransform, 0, rows, 4, "a transform");
}

void CheckingWindow::setColor(host::ColorType type, float r, float g, float b) {
    const host::Point3 color{r, g, b};
    Record(Drawing::Op::kColor, type, &color, 1, "a colour");
}

void CheckingWindow::polyline(int count, const host::Point3* points, int closed) {
    if (count < 0 || (count > 0 && points == nullptr)) {
        Broken(fmt::format("a polyline of {} points at {}", count, static_cast<const void*>(points)));
        return;
    }
    Record(Drawing::Op::kPolyline, closed, points, count, "a polyline");
}

void CheckingWindow::startSegments() {
    batchOpen_ = true;
    Record(Drawing::Op::kStartSegments, 0, nullptr, 0, "");
}

void CheckingWindow::segment(const host::Point3* points, int visible) {
    if (points == nullptr) {
        Broken("a segment without points");
        return;
    }
    Record(Drawing::Op::kSegment, visible, points, 2, "a segment");
}

void CheckingWindow::endSegments() {
    batchOpen_ = false;
    Record(Drawing::Op::kEndSegments, 0, nullptr, 0, "");
}

void CheckingWindow::marker(const host::Point3* point, host::MarkerType type) {
    if (point == nullptr) {
        Broken("a marker without a point");
        return;
    }
    Record(Drawing::Op::kMarker, type, point, 1, "a marker");
}

void CheckingWindow::setHitRegion(const host::HitRegion*) {}

int CheckingWindow::checkHitCode() { return hitAnswer_ ? hitAnswer_() : 0; }

host::Point3 ProbeViewport::SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                                      uint32_t) {
    out = in;
    const host::Point3 local{static_cast<float>((in.x - kOriginX) / kPixelsPerUnit),
                             static_cast<float>((kOriginY - in.y) / kPixelsPerUnit), 0.0f};
    return plane != nullptr ? plane->PointTransform(local) : local;
}

void ProbeViewport::SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3*, uint32_t) {
    out = in;
}

void ProbeViewport::GetAffineTM(host::Matrix3& m) { m = host::Matrix3::RotateZ(-0.6f) * host::Matrix3::RotateX(-1.1f); }

}  // namespace zg::validate
