// The call-recording window: what it keeps of each kind of call, and a record made
// again on another window.
#include <gtest/gtest.h>

#include <vector>

#include "app/viewport/call_recording.h"
#include "host/graphics.h"

namespace {

using namespace zg::viewport;
using host::Point3;

// One call of every kind, as an object and a hit test would make them.
void CallEveryKind(host::GraphicsWindow& gw) {
    const Point3 line[3] = {{0, 0, 0}, {1, 0, 0}, {1, 2, 3}};
    host::HitRegion region;
    region.epsilon = 4;
    gw.setTransform(host::Matrix3::Translation({5, 6, 7}));
    gw.setRndLimits(gw.getRndLimits() | host::kRndPicking);
    gw.setColor(host::FILL_COLOR, 0.25f, 0.5f, 1.0f);
    gw.polyline(3, line, 1);
    gw.startSegments();
    gw.segment(line + 1, 0);
    gw.endSegments();
    gw.marker(line + 2, host::kMarkerRing);
    gw.setHitRegion(&region);
    gw.clearHitCode();
    gw.checkHitCode();
}

TEST(CallRecordingTest, KeepsTheKindsAskedForAndReplaysThem) {
    const struct {
        WindowCalls keep;
        std::vector<WindowCall> kept;
    } cases[] = {
        {kEveryCall,
         {WindowCall::SetTransform, WindowCall::GetRndLimits, WindowCall::SetRndLimits, WindowCall::SetColor,
          WindowCall::Polyline, WindowCall::StartSegments, WindowCall::Segment, WindowCall::EndSegments,
          WindowCall::Marker, WindowCall::SetHitRegion, WindowCall::ClearHitCode, WindowCall::CheckHitCode}},
        {kDrawingCalls,
         {WindowCall::SetTransform, WindowCall::SetColor, WindowCall::Polyline, WindowCall::StartSegments,
          WindowCall::Segment, WindowCall::EndSegments, WindowCall::Marker}},
        {kNoCalls, {}},
    };
    for (const auto& c : cases) {
        RecordingWindow first(c.keep, host::kRndWireframe);
        CallEveryKind(first);
        std::vector<WindowCall> kept;
        for (const CallRecord::Call& call : first.Record().calls) kept.push_back(call.op);
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(first.Limits(), host::kRndWireframe | host::kRndPicking);

        RecordingWindow again(c.keep, host::kRndWireframe);
        first.Record().Replay(again);
        EXPECT_TRUE(again.Record() == first.Record()) << c.kept.size() << " kinds kept";
    }
    RecordingWindow gw;
    CallEveryKind(gw);
    const CallRecord& record = gw.Record();
    EXPECT_EQ(record.Transform(record.calls[0]), host::Matrix3::Translation({5, 6, 7}));
    EXPECT_EQ(record.Region(record.calls[9])->epsilon, 4);
    EXPECT_EQ(std::vector<Point3>(record.Points(record.calls[3]).begin(), record.Points(record.calls[3]).end()),
              (std::vector<Point3>{{0.25f, 0.5f, 1.0f}}));
}

}  // namespace
