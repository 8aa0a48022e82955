// What the validator hands an object to draw in: a recording window that keeps what the
// object draws in its own space and notes the first thing that breaks the host's
// drawing contract (a point or transform that is not finite, a bad point count), and
// the viewport that hands it out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "app/viewport/call_recording.h"
#include "host/graphics.h"
#include "host/viewport.h"

namespace zg::validate {

// Everything an object drew, in order: what two drawings are compared by.
using Drawing = viewport::CallRecord;

class CheckingWindow final : public viewport::RecordingWindow {
public:
    CheckingWindow() : RecordingWindow(viewport::kNoCalls) {}

    // Starts a new drawing with `limits` as the render limits; `record` keeps the calls
    // for Recorded(), which checks that compare drawings need and others can spare.
    void Reset(uint32_t limits, bool record);
    const Drawing& Recorded() const { return Record(); }
    // The first broken rule since Reset, in one line; "" when none.
    const std::string& Problem() const { return problem_; }
    // What checkHitCode answers; by default nothing is ever hit.
    void SetHitAnswer(std::function<int()> answer) { hitAnswer_ = std::move(answer); }
    // While on, a line or marker with a point that is not finite is dropped,
    // as the host's own window does, instead of breaking the contract: for objects fed
    // non-finite input, such as a field that answers NaN. Transforms and colours stay
    // checked. Off by default; Reset keeps it.
    void DropNonFinitePoints(bool on) { dropNonFinite_ = on; }

protected:
    bool Receive(viewport::WindowCall call, uint32_t value, const host::Point3* points, int count) override;
    int HitAnswer() override { return hitAnswer_ ? hitAnswer_() : 0; }

private:
    void Broken(std::string problem);

    std::string problem_;
    bool dropNonFinite_ = false;
    std::function<int()> hitAnswer_;
};

// A viewport looking at the world from above and aside. Its construction plane is the
// world XY plane, fifty pixels to the unit, with pixel (400, 300) over the origin;
// nothing snaps.
class ProbeViewport final : public viewport::RecordingViewport {
public:
    ProbeViewport();

    CheckingWindow& Window() { return window_; }
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                           uint32_t flags = 0) override;

private:
    CheckingWindow window_;
};

}  // namespace zg::validate
