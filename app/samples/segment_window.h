// RecordingWindow: a graphics window that keeps what an object draws exactly as it was
// given, in the object's own space, with no camera and no projection; and the
// viewport that hands it out, whose camera is the identity.
//
// The host reads a field viewer's samples this way: through the object's own drawing
// calls, never by reaching into the object. What it records is held within the
// memory budget; segments the budget has no room for are dropped and Refused() tells.
#pragma once

#include <vector>

#include "host/graphics.h"
#include "host/heap.h"
#include "host/viewport.h"

namespace zg::samples {

// One segment as drawn: from `start` to `end`, in the space of the window's transform.
struct RecordedSegment {
    host::Point3 start;
    host::Point3 end;
};

class RecordingWindow final : public host::GraphicsWindow {
public:
    // Segment batches in drawing order; a segment outside a batch opens one of its own.
    const std::vector<std::vector<RecordedSegment>>& Batches() const { return batches_; }
    int PolylineCount() const { return polylines_; }
    int MarkerCount() const { return markers_; }
    // True once the memory budget refused room for a segment.
    bool Refused() const { return refused_; }
    const host::Matrix3& Transform() const { return transform_; }

    void setTransform(const host::Matrix3& m) override { transform_ = m; }
    uint32_t getRndLimits() override { return limits_; }
    void setRndLimits(uint32_t limits) override { limits_ = limits; }
    void setColor(host::ColorType, float, float, float) override {}
    void polyline(int count, const host::Point3* points, int) override;
    void startSegments() override;
    void segment(const host::Point3* points, int visible) override;
    void endSegments() override { inBatch_ = implicitBatch_ = false; }
    void marker(const host::Point3* point, host::MarkerType) override;
    void setHitRegion(const host::HitRegion*) override {}
    void clearHitCode() override {}
    int checkHitCode() override { return 0; }

private:
    host::Matrix3 transform_;
    uint32_t limits_ = host::kRndWireframe | host::kRndZBuffer;
    std::vector<std::vector<RecordedSegment>> batches_;
    bool inBatch_ = false;
    bool implicitBatch_ = false;  // opened by a segment outside start/end
    int polylines_ = 0;
    int markers_ = 0;
    host::BudgetShare budget_;
    bool refused_ = false;
};

// A viewport whose world-to-view transform is the identity and whose window records.
class RecordingViewport final : public host::ViewportContext {
public:
    RecordingWindow& Window() { return window_; }
    host::GraphicsWindow* GetGraphicsWindow() override { return &window_; }
    // The screen point (x, y) is the world point (x, y, 0); nothing snaps.
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3*, uint32_t) override;
    void SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3*, uint32_t) override { out = in; }
    void GetAffineTM(host::Matrix3& m) override { m = host::Matrix3(); }

private:
    RecordingWindow window_;
};

}  // namespace zg::samples
