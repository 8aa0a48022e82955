// What the validator hands an object to draw in: a graphics window that records every
// call in the object's own space and notes the first thing that breaks the host's
// drawing contract (a point or transform that is not finite, a bad point count), and
// the viewport that hands it out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/graphics.h"
#include "host/viewport.h"

namespace zg::validate {

// Everything an object drew, in order: what two drawings are compared by.
struct Drawing {
    enum class Op : uint8_t { kTransform, kColor, kPolyline, kStartSegments, kSegment, kEndSegments, kMarker };
    struct Call {
        Op op;
        int flag;         // colour slot, closed, visible or marker code
        uint32_t first;   // its points in `points`
        uint32_t count;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    std::vector<host::Point3> points;  // a transform is its four rows, a colour one point
    bool truncated = false;            // recording stopped at kMaxRecordedPoints

    bool operator==(const Drawing&) const = default;
};

// Beyond this many points a window keeps checking but stops recording.
inline constexpr std::size_t kMaxRecordedPoints = std::size_t{1} << 24;

class CheckingWindow final : public host::GraphicsWindow {
public:
    // Starts a new drawing with `limits` as the render limits; `record` keeps the calls
    // for Recorded(), which checks that compare drawings need and others can spare.
    void Reset(uint32_t limits, bool record);
    const Drawing& Recorded() const { return drawing_; }
    // The first broken rule since Reset, in one line; "" when none.
    const std::string& Problem() const { return problem_; }
    // True while a batch opened by startSegments waits for its endSegments.
    bool BatchOpen() const { return batchOpen_; }
    // What checkHitCode answers; by default nothing is ever hit.
    void SetHitAnswer(std::function<int()> answer) { hitAnswer_ = std::move(answer); }
    // While on, a line or marker with a point that is not finite is dropped,
    // as the host's own window does, instead of breaking the contract: for objects fed
    // non-finite input, such as a field that answers NaN. Transforms and colours stay
    // checked. Off by default; Reset keeps it.
    void DropNonFinitePoints(bool on) { dropNonFinite_ = on; }

    void setTransform(const host::Matrix3& m) override;
    uint32_t getRndLimits() override { return limits_; }
    void setRndLimits(uint32_t limits) override { limits_ = limits; }
    void setColor(host::ColorType type, float r, float g, float b) override;
    void polyline(int count, const host::Point3* points, int closed) override;
    void startSegments() override;
    void segment(const host::Point3* points, int visible) override;
    void endSegments() override;
    void marker(const host::Point3* point, host::MarkerType type) override;
    void setHitRegion(const host::HitRegion* region) override;
    void clearHitCode() override {}
    int checkHitCode() override;

private:
    void Record(Drawing::Op op, int flag, const host::Point3* points, int count, const char* what);
    void Broken(std::string problem);

    Drawing drawing_;
    std::string problem_;
    uint32_t limits_ = 0;
    bool record_ = false;
    bool batchOpen_ = false;
    bool dropNonFinite_ = false;
    std::function<int()> hitAnswer_;
};

// A viewport looking at the world from above and aside. Its construction plane is the
// world XY plane, fifty pixels to the unit, with pixel (400, 300) over the origin;
// nothing snaps.
class ProbeViewport final : public host::ViewportContext {
public:
    CheckingWindow& Window() { return window_; }
    host::GraphicsWindow* GetGraphicsWindow() override { return &window_; }
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                           uint32_t flags = 0) override;
    void SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                     uint32_t flags = 0) override;
    void GetAffineTM(host::Matrix3& m) override;

private:
    CheckingWindow window_;
};

}  // namespace zg::validate
