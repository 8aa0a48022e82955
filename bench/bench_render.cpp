// What a picture costs: drawing every node of the demo scene into a display list,
// picking one pixel, and rendering a 51 x 51 field viewer with its lattice into an
// 800 x 800 image, as PNG and as SVG, beside Cairo stroking and encoding the same
// primitives directly. The PNG encoder is measured against Cairo's own on the same
// frame: time and file size.
#include <benchmark/benchmark.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>

#include "app/plugins/class_directory.h"
#include "app/render/demo_scene.h"
#include "app/render/png_writer.h"
#include "app/render/scene_render.h"
#include "app/scene/scene_file.h"
#include "app/viewport/marker_shape.h"
#include "app/viewport/scene_view.h"
#include "app/warps/builtin_classes.h"
#include "bench/support/target_table.h"

namespace {

// The PNG encoder's targets against Cairo's: a third of the time at most, a file at
// most half as large again.
constexpr double kEncodeTimeLimit = 1.0 / 3.0;
constexpr double kEncodeSizeLimit = 1.5;
constexpr int kLatticePixels = 800;

// A scene read through the build's plug-in folder and the built-in classes.
class LoadedScene {
public:
    explicit LoadedScene(std::string_view text) {
        directory_.LoadFolder(ZENTROGRAPH_PLUGIN_DIR);
        zg::warps::ListBuiltinClasses(directory_);
        zg::scene::ClassResolver resolver;
        resolver.byName = [this](std::string_view name) -> host::ClassDesc2* {
            const auto* entry = directory_.Find(name);
            return entry != nullptr ? entry->desc : nullptr;
        };
        std::string error;
        scene_ = zg::scene::ReadScene(text, "scene", resolver, error);
        if (!scene_) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
    }
    ~LoadedScene() { scene_.reset(); }  // the module's objects go before the module

    zg::scene::Scene& Get() { return *scene_; }

private:
    zg::plugins::ClassDirectory directory_;
    std::unique_ptr<zg::scene::Scene> scene_;
};

LoadedScene& Demo() {
    static LoadedScene demo(zg::render::DemoSceneText());
    return demo;
}

// The viewer of bench/scenes/lattice_51.json: 51 x 51 samples, lattice on, one vortex.
LoadedScene& Lattice() {
    static LoadedScene lattice([] {
        std::ifstream in(ZENTROGRAPH_SOURCE_DIR "/bench/scenes/lattice_51.json");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }());
    return lattice;
}

zg::scene::ViewDefinition TopView() { return Demo().Get().Views()[1]; }

zg::render::RenderRequest LatticeRequest() {
    zg::render::RenderRequest request;
    request.title = "Zentrograph";
    request.width = kLatticePixels;
    request.height = kLatticePixels;
    return request;
}

zg::render::RenderedFrame LatticeFrame() {
    std::string error;
    auto frame = zg::render::RenderScene(Lattice().Get(), LatticeRequest(), false, error);
    if (!frame) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    return std::move(*frame);
}

void DrawTopView(benchmark::State& state) {
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

void RenderDemoPng(benchmark::State& state) {
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

void PickMiss(benchmark::State& state) {
    zg::scene::Scene& scene = Demo().Get();
    const zg::scene::ViewDefinition view = TopView();
    for (auto _ : state) {
        // A corner of the view where nothing is drawn: every object tests everything.
        const auto hits = zg::viewport::PickNodes(scene, view, 0, 1280, 720, {2, 2});
        benchmark::DoNotOptimize(hits.size());
    }
}

// The lattice scene drawn and encoded, as the render command does.
void RenderLattice(benchmark::State& state, zg::render::OutputKind kind) {
    for (auto _ : state) {
        std::string error;
        const auto frame = zg::render::RenderScene(Lattice().Get(), LatticeRequest(), false, error);
        std::string bytes;
        if (!frame || !zg::render::EncodeFrame(*frame, kind, bytes, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(bytes.data());
    }
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Every item of the frame's display lists stroked or filled with plain Cairo calls.
void StrokeDirectly(cairo_t* cr, const zg::render::RenderedFrame& frame) {
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
    cairo_paint(cr);
    for (const zg::render::RenderedView& view : frame.views) {
        for (const zg::viewport::DisplayItem& item : view.list.Items()) {
            if (item.points.empty()) continue;
            cairo_set_source_rgb(cr, item.color.r, item.color.g, item.color.b);
            if (item.kind == zg::viewport::DisplayItemKind::kMarker) {
                const double r = zg::viewport::MarkerRadius(item.markerCode);
                cairo_arc(cr, view.x + item.points[0].x, view.y + item.points[0].y, r, 0.0, 2.0 * std::numbers::pi);
                cairo_fill(cr);
                continue;
            }
            const bool pairs = item.kind == zg::viewport::DisplayItemKind::kSegments;
            for (std::size_t i = 0; i < item.points.size(); ++i) {
                const double x = view.x + item.points[i].x;
                const double y = view.y + item.points[i].y;
                if (i == 0 || (pairs && i % 2 == 0))
                    cairo_move_to(cr, x, y);
                else
                    cairo_line_to(cr, x, y);
            }
            if (item.closed) cairo_close_path(cr);
            cairo_stroke(cr);
        }
    }
}

void CairoDirectPng(benchmark::State& state) {
    const zg::render::RenderedFrame frame = LatticeFrame();
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frame.width, frame.height);
        cairo_t* cr = cairo_create(surface);
        StrokeDirectly(cr, frame);
        cairo_destroy(cr);
        std::string bytes;
        cairo_surface_write_to_png_stream(surface, AppendBytes, &bytes);
        cairo_surface_destroy(surface);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void CairoDirectSvg(benchmark::State& state) {
    const zg::render::RenderedFrame frame = LatticeFrame();
    for (auto _ : state) {
        std::string bytes;
        cairo_surface_t* surface = cairo_svg_surface_create_for_stream(AppendBytes, &bytes, frame.width, frame.height);
        cairo_t* cr = cairo_create(surface);
        StrokeDirectly(cr, frame);
        cairo_destroy(cr);
        cairo_surface_finish(surface);
        cairo_surface_destroy(surface);
        benchmark::DoNotOptimize(bytes.data());
    }
}

struct PngSource {
    const std::string* bytes;
    std::size_t at;
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) {
    auto* source = static_cast<PngSource*>(closure);
    if (source->at + length > source->bytes->size()) return CAIRO_STATUS_READ_ERROR;
    source->bytes->copy(reinterpret_cast<char*>(data), length, source->at);
    source->at += length;
    return CAIRO_STATUS_SUCCESS;
}

// The lattice frame as the renderer paints it, on a 32-bit surface with alpha.
cairo_surface_t* PaintedLatticeFrame() {
    static cairo_surface_t* painted = [] {
        std::string png;
        std::string error;
        if (!zg::render::EncodeFrame(LatticeFrame(), zg::render::OutputKind::kPng, png, error)) std::abort();
        PngSource source{&png, 0};
        cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(ReadPng, &source);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kLatticePixels, kLatticePixels);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_surface(cr, decoded, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(decoded);
        return surface;
    }();
    return painted;
}

// Both encoders start each time from a fresh copy of the painted frame: ours spends
// the image it encodes.
cairo_surface_t* CopyOfFrame(cairo_surface_t* scratch) {
    cairo_surface_t* frame = PaintedLatticeFrame();
    cairo_surface_flush(scratch);
    std::memcpy(cairo_image_surface_get_data(scratch), cairo_image_surface_get_data(frame),
                static_cast<std::size_t>(cairo_image_surface_get_stride(frame)) * kLatticePixels);
    cairo_surface_mark_dirty(scratch);
    return scratch;
}

void Encode(benchmark::State& state, bool ours) {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kLatticePixels, kLatticePixels);
    std::size_t size = 0;
    for (auto _ : state) {
        std::string error;
        zg::files::StringSink png;
        if (ours && !zg::render::WritePng(CopyOfFrame(scratch), png, error)) std::abort();
        std::string bytes;
        if (!ours) cairo_surface_write_to_png_stream(CopyOfFrame(scratch), AppendBytes, &bytes);
        size = ours ? png.Text().size() : bytes.size();
    }
    cairo_surface_destroy(scratch);
    state.counters["bytes"] = static_cast<double>(size);
}

}  // namespace

BENCHMARK(DrawTopView)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderDemoPng)->Unit(benchmark::kMillisecond);
BENCHMARK(PickMiss)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderLattice, png, zg::render::OutputKind::kPng)->Unit(benchmark::kMillisecond);
BENCHMARK(CairoDirectPng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderLattice, svg, zg::render::OutputKind::kSvg)->Unit(benchmark::kMillisecond);
BENCHMARK(CairoDirectSvg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, ours, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, cairo, false)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    const std::string targets = zbench::Initialize(argc, argv);
    zbench::RunKeeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    std::printf("\nrender / Cairo directly, the same primitives: PNG %.2fx, SVG %.2fx\n",
                keeper.Time("RenderLattice/png") / keeper.Time("CairoDirectPng"),
                keeper.Time("RenderLattice/svg") / keeper.Time("CairoDirectSvg"));
    zbench::ReportTargets(
        targets,
        {{zbench::Section::kRender, "PNG encoding time, 800x800 lattice frame", "Cairo's PNG writer, same frame",
          keeper.Time("Encode/ours") / keeper.Time("Encode/cairo"), kEncodeTimeLimit, zbench::AtMost(kEncodeTimeLimit)},
         {zbench::Section::kRender, "PNG file size, 800x800 lattice frame", "Cairo's PNG writer, same frame",
          keeper.Counter("Encode/ours", "bytes") / keeper.Counter("Encode/cairo", "bytes"), kEncodeSizeLimit,
          zbench::AtMost(kEncodeSizeLimit)}});
    benchmark::Shutdown();
    return 0;
}
