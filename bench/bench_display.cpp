// What the field viewer's Display and HitTest cost for the default viewer (51 x 51
// samples, one field) with markers and lattice on, at a cached time and after a
// change, into the host's own viewport window. The baseline is the drawing alone: the
// same window calls, recorded from one Display and replayed on the same kind of window.
// The field counts its Force calls: a Display at a cached time makes none.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/viewport/camera.h"
#include "app/viewport/display_list.h"
#include "app/viewport/viewport.h"
#include "bench/support/bench_scene.h"
#include "bench/support/target_table.h"
#include "host/forcefield.h"

namespace {

constexpr int kPixels = 800;
// The cached Display's target against the drawing alone.
constexpr double kDisplayLimit = 1.1;

long g_forceCalls = 0;

// A space warp whose fields count their calls and push along +X.
class CountingWarp final : public host::WSMObject {
public:
    host::Class_ID ClassID() override { return host::Class_ID(0x2B0E5C01, 0x2B0E5C02); }
    host::ForceField* GetForceField(host::SceneNode*) override { return new (std::nothrow) Field(); }

private:
    class Field final : public host::ForceField {
    public:
        host::Point3 Force(host::TimeValue, const host::Point3&, const host::Point3&, int) override {
            ++g_forceCalls;
            return {host::kForceUnit, 0.0f, 0.0f};
        }
    };
};

// Keeps every call an object makes on a graphics window, to make them again on another.
class CallRecorder final : public host::GraphicsWindow {
public:
    void setTransform(const host::Matrix3& m) override { Push(Op::kTransform).transform = m; }
    uint32_t getRndLimits() override { return limits_; }
    void setRndLimits(uint32_t limits) override {
        limits_ = limits;
        Push(Op::kLimits, limits);
    }
    void setColor(host::ColorType type, float r, float g, float b) override {
        Push(Op::kColor, static_cast<uint32_t>(type)).color = {r, g, b};
    }
    void polyline(int count, const host::Point3* points, int closed) override {
        Push(Op::kPolyline, static_cast<uint32_t>(closed), points, count);
    }
    void startSegments() override { Push(Op::kStart); }
    void segment(const host::Point3* points, int visible) override {
        Push(Op::kSegment, static_cast<uint32_t>(visible), points, 2);
    }
    void endSegments() override { Push(Op::kEnd); }
    void marker(const host::Point3* point, host::MarkerType type) override {
        Push(Op::kMarker, static_cast<uint32_t>(type), point, 1);
    }
    void setHitRegion(const host::HitRegion*) override {}
    void clearHitCode() override {}
    int checkHitCode() override { return 0; }

    // Makes every recorded call again on `gw`, in order.
    void Replay(host::GraphicsWindow& gw) const {
        for (const Call& c : calls_) {
            const host::Point3* p = points_.data() + c.first;
            switch (c.op) {
                case Op::kTransform: gw.setTransform(c.transform); break;
                case Op::kLimits: gw.setRndLimits(c.value); break;
                case Op::kColor:
                    gw.setColor(static_cast<host::ColorType>(c.value), c.color.x, c.color.y, c.color.z);
                    break;
                case Op::kPolyline: gw.polyline(c.count, p, static_cast<int>(c.value)); break;
                case Op::kStart: gw.startSegments(); break;
                case Op::kSegment: gw.segment(p, static_cast<int>(c.value)); break;
                case Op::kEnd: gw.endSegments(); break;
                case Op::kMarker: gw.marker(p, static_cast<host::MarkerType>(c.value)); break;
            }
        }
    }

private:
    enum class Op { kTransform, kLimits, kColor, kPolyline, kStart, kSegment, kEnd, kMarker };
    struct Call {
        Op op = Op::kEnd;
        host::Matrix3 transform;
        uint32_t value = 0;  // limits, colour slot, closed, visible or marker type
        host::Point3 color;
        std::size_t first = 0;  // into points_
        int count = 0;
    };
    Call& Push(Op op, uint32_t value = 0, const host::Point3* points = nullptr, int count = 0) {
        Call& call = calls_.emplace_back();
        call.op = op;
        call.value = value;
        call.first = points_.size();
        call.count = count;
        if (points != nullptr) points_.insert(points_.end(), points, points + count);
        return call;
    }
    uint32_t limits_ = zg::viewport::kDefaultRndLimits;
    std::vector<Call> calls_;
    std::vector<host::Point3> points_;
};

class RecordingViewport final : public host::ViewportContext {
public:
    explicit RecordingViewport(host::ViewportContext& view) : view_(view) {}
    host::GraphicsWindow* GetGraphicsWindow() override { return &recorder; }
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                           uint32_t flags) override {
        return view_.SnapPoint(in, out, plane, flags);
    }
    void SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                     uint32_t flags) override {
        view_.SnapPreview(in, out, plane, flags);
    }
    void GetAffineTM(host::Matrix3& m) override { view_.GetAffineTM(m); }

    CallRecorder recorder;

private:
    host::ViewportContext& view_;
};

// The default viewer with markers and lattice on over one counting field, seen from
// the top in an 800 x 800 viewport.
class DisplayScene {
public:
    DisplayScene() : scene_(51, 51, 1) {
        scene_.AddForceNode(new CountingWarp());
        scene_.Block()->SetInt(scene_.Param("displayVectorBases"), 0, 1);
        scene_.Block()->SetInt(scene_.Param("displayLattice"), 0, 1);
    }

    // Draws into a fresh display list, as a viewport redraw does.
    void Display() {
        zg::viewport::DisplayList list(kPixels, kPixels);
        view_.Window().SetDrawSink(&list);
        scene_.Viewer()->Display(0, scene_.ViewerNode(), &view_, 0);
        benchmark::DoNotOptimize(list.Items().data());
    }
    int HitTest() {
        host::IPoint2 corner(2, 2);  // nothing is drawn there: every element is tested
        return scene_.Viewer()->HitTest(0, scene_.ViewerNode(), host::POINT_RGN, host::kHitCrossing, 0, &corner,
                                        &view_);
    }
    void Replay(const CallRecorder& calls) {
        zg::viewport::DisplayList list(kPixels, kPixels);
        view_.Window().SetDrawSink(&list);
        calls.Replay(view_.Window());
        benchmark::DoNotOptimize(list.Items().data());
    }
    // What one Display at time 0 asks of the window.
    void Record(RecordingViewport& recording) {
        scene_.Viewer()->Display(0, scene_.ViewerNode(), &recording, 0);
    }
    void Change() { scene_.Viewer()->WSStateInvalidate(); }
    host::ViewportContext& View() { return view_; }

private:
    zbench::ViewerScene scene_;
    zg::viewport::Viewport view_{"Top",
                                 zg::viewport::Camera::Orthographic({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 4.0, kPixels,
                                                                    kPixels)};
};

DisplayScene& Scene() {
    static DisplayScene scene;
    return scene;
}

void CachedDisplay(benchmark::State& state) {
    Scene().Display();
    const long before = g_forceCalls;
    for (auto _ : state) Scene().Display();
    state.counters["force_calls"] = static_cast<double>(g_forceCalls - before);
}

void DisplayAfterChange(benchmark::State& state) {
    for (auto _ : state) {
        Scene().Change();
        Scene().Display();
    }
}

void DrawingAlone(benchmark::State& state) {
    RecordingViewport recording(Scene().View());
    Scene().Record(recording);
    for (auto _ : state) Scene().Replay(recording.recorder);
}

void CachedHitTest(benchmark::State& state) {
    Scene().HitTest();
    for (auto _ : state) benchmark::DoNotOptimize(Scene().HitTest());
}

void HitTestAfterChange(benchmark::State& state) {
    for (auto _ : state) {
        Scene().Change();
        benchmark::DoNotOptimize(Scene().HitTest());
    }
}

}  // namespace

BENCHMARK(DrawingAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(CachedDisplay)->Unit(benchmark::kMicrosecond);
BENCHMARK(DisplayAfterChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(CachedHitTest)->Unit(benchmark::kMicrosecond);
BENCHMARK(HitTestAfterChange)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    const std::string targets = zbench::Initialize(argc, argv);
    // The allocator settles its thresholds on the first display lists; none of the
    // measured runs should pay for that.
    for (int i = 0; i < 20; ++i) Scene().Display();
    zbench::RunKeeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    zbench::ReportTargets(
        targets, {{zbench::Section::kDisplay, "Display 51x51, markers and lattice, cached", "the drawing alone",
                   keeper.Time("CachedDisplay") / keeper.Time("DrawingAlone"), kDisplayLimit,
                   zbench::AtMost(kDisplayLimit)},
                  {zbench::Section::kDisplay, "Force calls of a cached Display", "none",
                   static_cast<double>(keeper.Counter("CachedDisplay", "force_calls")), 0.0, "= 0"}});
    benchmark::Shutdown();
    return 0;
}
