// SegmentWindow: a recording window that keeps the segments an object draws exactly as
// they were given, in the object's own space, batch by batch, and nothing else.
//
// The host reads a field viewer's samples this way: through the object's own drawing
// calls, never by reaching into the object. What it keeps is held within the memory
// budget; segments the budget has no room for are dropped and Refused() tells.
#pragma once

#include <cstdint>
#include <vector>

#include "app/viewport/call_recording.h"
#include "host/graphics.h"
#include "host/heap.h"

namespace zg::samples {

// One segment as drawn: from `start` to `end`, in the space of the window's transform.
struct RecordedSegment {
    host::Point3 start;
    host::Point3 end;
};

class SegmentWindow final : public viewport::RecordingWindow {
public:
    SegmentWindow() : RecordingWindow(viewport::kNoCalls, host::kRndWireframe | host::kRndZBuffer) {}

    // Segment batches in drawing order, each with its visible segments; a segment outside
    // a batch opens one of its own, which the next polyline or marker closes.
    const std::vector<std::vector<RecordedSegment>>& Batches() const { return batches_; }
    // True once the memory budget refused room for a segment.
    bool Refused() const { return refused_; }

protected:
    bool Receive(viewport::WindowCall call, uint32_t value, const host::Point3* points, int count) override;

private:
    void OpenBatch();

    std::vector<std::vector<RecordedSegment>> batches_;
    bool inBatch_ = false;
    bool implicitBatch_ = false;  // opened by a segment outside start/end
    host::BudgetShare budget_;
    bool refused_ = false;
};

}  // namespace zg::samples
