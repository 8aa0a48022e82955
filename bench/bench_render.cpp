// What a viewport redraw of the demo scene costs: drawing every node into a display
// list (the plug-in's Display, projection, near-plane cutting), painting the display
// lists with Cairo and encoding the PNG, and picking one pixel.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/plugins/class_directory.h"
#include "app/render/demo_scene.h"
#include "app/render/scene_render.h"
#include "app/scene/scene_file.h"
#include "app/viewport/scene_view.h"
#include "app/warps/builtin_classes.h"

namespace {

// The demo scene read through the build's plug-in folder and the built-in classes.
class DemoScene {
public:
    DemoScene() {
        directory_.LoadFolder(ZENTROGRAPH_PLUGIN_DIR);
        for (host::ClassDesc2* desc : zg::warps::BuiltinClasses()) directory_.AddBuiltin(desc);
        zg::scene::ClassResolver resolver;
        resolver.byName = [this](std::string_view name) -> host::ClassDesc2* {
            const auto* entry = directory_.Find(name);
            return entry != nullptr ? entry->desc : nullptr;
        };
        std::string error;
        scene_ = zg::scene::ReadScene(zg::render::DemoSceneText(), "demo", resolver, error);
        if (!scene_) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
    }
    ~DemoScene() { scene_.reset(); }  // the module's objects go before the module

    zg::scene::Scene& Get() { return *scene_; }

private:
    zg::plugins::ClassDirectory directory_;
    std::unique_ptr<zg::scene::Scene> scene_;
};

DemoScene& Demo() {
    static DemoScene demo;
    return demo;
}

zg::scene::ViewDefinition TopView() { return Demo().Get().Views()[1]; }

void BM_DrawTopView(benchmark::State& state) {
    zg::scene::Scene& scene = Demo().Get();
    const zg::scene::ViewDefinition view = TopView();
    const host::Box3 bounds = zg::viewport::SceneBounds(scene, 0);
    std::size_t items = 0;
    for (auto _ : state) {
        const zg::viewport::DisplayList list = zg::viewport::DrawSceneView(scene, view, 0, 1280, 720, bounds);
        items = list.Items().size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_DrawTopView)->Unit(benchmark::kMillisecond);

void BM_RenderDemoPng(benchmark::State& state) {
    zg::render::RenderRequest request;
    request.title = "Zentrograph";
    for (auto _ : state) {
        std::string error;
        const auto frame = zg::render::RenderScene(Demo().Get(), request, false, error);
        std::string bytes;
        if (!frame || !zg::render::EncodeFrame(*frame, zg::render::OutputKind::kPng, bytes, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_RenderDemoPng)->Unit(benchmark::kMillisecond);

void BM_PickMiss(benchmark::State& state) {
    zg::scene::Scene& scene = Demo().Get();
    const zg::scene::ViewDefinition view = TopView();
    for (auto _ : state) {
        // A corner of the view where nothing is drawn: every object tests everything.
        const auto hits = zg::viewport::PickNodes(scene, view, 0, 1280, 720, {2, 2});
        benchmark::DoNotOptimize(hits.size());
    }
}
BENCHMARK(BM_PickMiss)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
