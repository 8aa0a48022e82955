#include "app/samples/recording_window.h"

namespace zg::samples {

void RecordingWindow::polyline(int count, const host::Point3* points, int) {
    if (implicitBatch_) inBatch_ = implicitBatch_ = false;
    if (count >= 2 && points != nullptr) ++polylines_;
}

void RecordingWindow::startSegments() {
    if (!host::GrowWithin(budget_, batches_, 1)) {
        refused_ = true;
        inBatch_ = false;
        return;
    }
    batches_.emplace_back();
    inBatch_ = true;
    implicitBatch_ = false;
}

void RecordingWindow::segment(const host::Point3* points, int visible) {
    if (!inBatch_) {
        startSegments();
        implicitBatch_ = true;
    }
    if (points == nullptr || visible == 0 || !inBatch_) return;
    if (!host::GrowWithin(budget_, batches_.back(), 1)) {
        refused_ = true;
        return;
    }
    batches_.back().push_back({points[0], points[1]});
}

void RecordingWindow::marker(const host::Point3* point, host::MarkerType) {
    if (implicitBatch_) inBatch_ = implicitBatch_ = false;
    if (point != nullptr) ++markers_;
}

host::Point3 RecordingViewport::SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3*,
                                          uint32_t) {
    out = in;
    return {static_cast<float>(in.x), static_cast<float>(in.y), 0.0f};
}

}  // namespace zg::samples
