// Recording what an object asks of a graphics window: CallRecord keeps the calls with
// their arguments, in order and unprojected; RecordingWindow is the graphics window
// that fills one, keeping the kinds of call its user asks for; RecordingViewport is a
// viewport that hands such a window out.
//
// What the host records an object's drawing with: to compare two drawings, to read a
// field viewer's samples from its own drawing calls, to replay a drawing on another
// window, or to see in a test what an object asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <vector>

#include "host/graphics.h"
#include "host/viewport.h"

namespace zg::viewport {

// The calls of a graphics window, one for each of its methods.
enum class WindowCall : uint8_t {
    SetTransform,
    GetRndLimits,
    SetRndLimits,
    SetColor,
    Polyline,
    StartSegments,
    Segment,
    EndSegments,
    Marker,
    SetHitRegion,
    ClearHitCode,
    CheckHitCode,
};

// The method's name, as the graphics window spells it.
const char* WindowCallName(WindowCall call);
std::ostream& operator<<(std::ostream& out, WindowCall call);

// A set of kinds of call, one bit each.
using WindowCalls = uint32_t;
constexpr WindowCalls CallBit(WindowCall call) { return WindowCalls{1} << static_cast<unsigned>(call); }
inline constexpr WindowCalls kNoCalls = 0;
// What an object draws, and the transform and colours it draws in.
inline constexpr WindowCalls kDrawingCalls =
    CallBit(WindowCall::SetTransform) | CallBit(WindowCall::SetColor) | CallBit(WindowCall::Polyline) |
    CallBit(WindowCall::StartSegments) | CallBit(WindowCall::Segment) | CallBit(WindowCall::EndSegments) |
    CallBit(WindowCall::Marker);
inline constexpr WindowCalls kEveryCall = (CallBit(WindowCall::CheckHitCode) << 1) - 1;

// Beyond this many points a record keeps no more calls and says it was truncated.
inline constexpr std::size_t kMaxRecordedPoints = std::size_t{1} << 24;

// The calls a graphics window received, in order.
struct CallRecord {
    struct Call {
        WindowCall op;
        // The colour slot, closed, visible or marker code; the render limits given or
        // answered; the hit code answered.
        uint32_t value;
        uint32_t first;  // its points in `points`; a hit region: its index in `regions`
        uint32_t count;  // how many points (a hit region: 1, or 0 when none was given)
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    // The points of the calls: a transform is its four rows, a colour one point of red,
    // green and blue.
    std::vector<host::Point3> points;
    std::vector<host::HitRegion> regions;
    bool truncated = false;  // calls were left out at kMaxRecordedPoints

    std::span<const host::Point3> Points(const Call& call) const { return {points.data() + call.first, call.count}; }
    // The matrix of a SetTransform call.
    host::Matrix3 Transform(const Call& call) const;
    // The region of a SetHitRegion call; none when it was given none.
    const host::HitRegion* Region(const Call& call) const;

    // Makes every recorded call again on `gw`, in order.
    void Replay(host::GraphicsWindow& gw) const;

    bool operator==(const CallRecord& other) const;
};

// A graphics window that records the calls it receives into a CallRecord, keeping
// those of the kinds it is told to keep. It draws nothing and projects nothing: points
// are kept as given, in the space of the transform. Its render limits start at a chosen
// value and follow setRndLimits; checkHitCode answers HitAnswer().
//
// A subclass sees every call first through Receive, to check it or to keep it in a
// form of its own, and may drop it from the record.
class RecordingWindow : public host::GraphicsWindow {
public:
    explicit RecordingWindow(WindowCalls keep = kEveryCall, uint32_t limits = 0) : keep_(keep), limits_(limits) {}

    const CallRecord& Record() const { return record_; }
    // Forgets what was recorded and any open segment batch.
    void Clear();
    // The kinds of call kept from now on.
    void Keep(WindowCalls kinds) { keep_ = kinds; }
    // The render limits, set or read without a call being recorded.
    void SetLimits(uint32_t limits) { limits_ = limits; }
    uint32_t Limits() const { return limits_; }
    // True while a batch opened by startSegments waits for its endSegments.
    bool BatchOpen() const { return batchOpen_; }

    void setTransform(const host::Matrix3& m) override;
    uint32_t getRndLimits() override;
    void setRndLimits(uint32_t limits) override;
    void setColor(host::ColorType type, float r, float g, float b) override;
    void polyline(int count, const host::Point3* points, int closed) override;
    void startSegments() override;
    void segment(const host::Point3* points, int visible) override;
    void endSegments() override;
    void marker(const host::Point3* point, host::MarkerType type) override;
    void setHitRegion(const host::HitRegion* region) override;
    void clearHitCode() override;
    int checkHitCode() override;

protected:
    // Every call, before it is recorded, with its value (see CallRecord::Call) and its
    // points as given: `count` is a polyline's as given, 2 for a segment, 1 for a
    // marker, 4 rows for a transform, 1 for a colour, 0 otherwise; `points` may be
    // none. False leaves the call out of the record.
    virtual bool Receive(WindowCall call, uint32_t value, const host::Point3* points, int count);
    // What checkHitCode answers; nothing is hit unless a subclass says so.
    virtual int HitAnswer() { return 0; }

private:
    // Receives a call and records it when kept; false when it was not recorded.
    bool Take(WindowCall call, uint32_t value, const host::Point3* points, int count);

    CallRecord record_;
    WindowCalls keep_;
    uint32_t limits_;
    bool batchOpen_ = false;
};

// A viewport that hands out a RecordingWindow, which must outlive it. It looks and
// snaps as `looks` does when given one; otherwise its world-to-view transform is the
// identity (or what SetAffineTM gave) and the screen point (x, y) is the world point
// (x, y, 0), nothing snapping.
class RecordingViewport : public host::ViewportContext {
public:
    explicit RecordingViewport(RecordingWindow& window, host::ViewportContext* looks = nullptr)
        : window_(window), looks_(looks) {}

    RecordingWindow& Window() { return window_; }
    void SetAffineTM(const host::Matrix3& m) { affine_ = m; }

    host::GraphicsWindow* GetGraphicsWindow() override { return &window_; }
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                           uint32_t flags = 0) override;
    void SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                     uint32_t flags = 0) override;
    void GetAffineTM(host::Matrix3& m) override;

private:
    RecordingWindow& window_;
    host::ViewportContext* looks_;
    host::Matrix3 affine_;
};

}  // namespace zg::viewport
