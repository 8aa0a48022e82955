#include "app/samples/segment_window.h"

namespace zg::samples {

void SegmentWindow::OpenBatch() {
    if (!host::GrowWithin(budget_, batches_, 1)) {
        refused_ = true;
        inBatch_ = false;
        return;
    }
    batches_.emplace_back();
    inBatch_ = true;
    implicitBatch_ = false;
}

bool SegmentWindow::Receive(viewport::WindowCall call, uint32_t value, const host::Point3* points, int) {
    switch (call) {
        case viewport::WindowCall::StartSegments: OpenBatch(); break;
        case viewport::WindowCall::Segment:
            if (!inBatch_) {
                OpenBatch();
                implicitBatch_ = true;
            }
            if (points == nullptr || value == 0 || !inBatch_) break;
            if (!host::GrowWithin(budget_, batches_.back(), 1)) {
                refused_ = true;
                break;
            }
            batches_.back().push_back({points[0], points[1]});
            break;
        case viewport::WindowCall::EndSegments: inBatch_ = implicitBatch_ = false; break;
        case viewport::WindowCall::Polyline:
        case viewport::WindowCall::Marker:
            if (implicitBatch_) inBatch_ = implicitBatch_ = false;
            break;
        default: break;
    }
    return false;
}

}  // namespace zg::samples
