// What the field viewer's Display and HitTest cost for the default viewer (51 x 51
// samples, one field) with markers and lattice on, at a cached time and after a
// change, into the host's own viewport window. The baseline is the drawing alone: the
// same window calls, recorded from one Display and replayed on the same kind of window.
// The field counts its Force calls: a Display at a cached time makes none.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <string>

#include "app/viewport/call_recording.h"
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
    void Replay(const zg::viewport::CallRecord& calls) {
        zg::viewport::DisplayList list(kPixels, kPixels);
        view_.Window().SetDrawSink(&list);
        calls.Replay(view_.Window());
        benchmark::DoNotOptimize(list.Items().data());
    }
    // What one Display at time 0 asks of the window.
    void Record(zg::viewport::RecordingViewport& recording) {
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
    // The calls a Display makes that draw or set the render limits, to be made again.
    zg::viewport::RecordingWindow recorder(
        zg::viewport::kDrawingCalls | zg::viewport::CallBit(zg::viewport::WindowCall::SetRndLimits),
        zg::viewport::kDefaultRndLimits);
    zg::viewport::RecordingViewport recording(recorder, &Scene().View());
    Scene().Record(recording);
    for (auto _ : state) Scene().Replay(recorder.Record());
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
    // Display lists come from the heap, never from fresh mappings whose page faults
    // would fall on some repetitions and not others; and the allocator settles on the
    // first lists, which no measured run should pay for.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
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
