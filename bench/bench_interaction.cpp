// What the browser host costs per pointer event: one move of a creation drag handled
// by the page host (the plug-in's creation callback, two views drawn into display
// lists and packed into frames), beside Cairo stroking the same two display lists; and
// the bytes of a frame of the default field viewer in two views.
#include <benchmark/benchmark.h>

#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/plugins/class_directory.h"
#include "app/render/image_painter.h"
#include "app/session/edit_session.h"
#include "app/warps/builtin_classes.h"
#include "app/web/page_host.h"
#include "bench/support/target_table.h"

namespace {

// One pointer event may cost the server this share of Cairo stroking its frame; a
// frame of the default viewer in two views goes to the page in at most this many bytes.
constexpr double kEventLimit = 0.25;
constexpr double kFrameBytesLimit = 150.0 * 1024.0;

constexpr int kViewWidth = 640;
constexpr int kViewHeight = 480;
constexpr const char* kHello =
    R"({"type": "hello", "views": [{"width": 640, "height": 480}, {"width": 640, "height": 480}]})";

// A page host over an empty scene with the build's plug-in, its page's messages
// answered into nothing but a count of the frame bytes.
class Host {
public:
    Host() {
        directory_.LoadFolder(ZENTROGRAPH_PLUGIN_DIR);
        zg::warps::ListBuiltinClasses(directory_);
        session_ = std::make_unique<zg::session::EditSession>(directory_, nullptr, std::filesystem::path());
        pages_ = std::make_unique<zg::web::PageHost>(
            *session_, [this](zg::web::ClientId, std::string m, bool binary) { sent_ += binary ? m.size() : 0; }, ".");
        pages_->Opened(1);
        pages_->Received(1, kHello);
    }
    ~Host() {
        pages_.reset();
        session_.reset();
    }
    void Send(const std::string& message) { pages_->Received(1, message); }
    zg::session::EditSession& Session() { return *session_; }
    std::size_t FrameBytes() const { return pages_->LastFrameBytes(); }

private:
    zg::plugins::ClassDirectory directory_;
    std::unique_ptr<zg::session::EditSession> session_;
    std::unique_ptr<zg::web::PageHost> pages_;
    std::size_t sent_ = 0;
};

std::string Pointer(const char* phase, int x, int y) {
    return std::string(R"({"type": "pointer", "view": 1, "phase": ")") + phase + R"(", "x": )" + std::to_string(x) +
           R"(, "y": )" + std::to_string(y) + "}";
}

// A creation of a default field viewer under way in the top view.
void StartDrag(Host& host) {
    host.Send(R"({"type": "create", "class": "Zentrograph"})");
    host.Send(Pointer("down", 320, 240));
    host.Send(Pointer("move", 420, 240));
}

void CreationDragEvent(benchmark::State& state) {
    Host host;
    StartDrag(host);
    int x = 420;
    for (auto _ : state) {
        x = x == 420 ? 421 : 420;  // every event changes the size, so every view redraws
        host.Send(Pointer("move", x, 240));
    }
    state.counters["frame_bytes"] = static_cast<double>(host.FrameBytes());
}
BENCHMARK(CreationDragEvent)->Unit(benchmark::kMicrosecond);

// Cairo stroking the display lists of the same two views, the drawing a page does.
void CairoStrokesTheDragFrame(benchmark::State& state) {
    Host host;
    StartDrag(host);
    const zg::viewport::DisplayList views[2] = {host.Session().Draw(0, kViewWidth, kViewHeight),
                                                host.Session().Draw(1, kViewWidth, kViewHeight)};
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kViewWidth, kViewHeight);
    for (auto _ : state) {
        for (const zg::viewport::DisplayList& list : views) {
            cairo_t* cr = cairo_create(surface);
            const std::vector<zg::render::ViewPanel> panels{{"View", "top", &list, 0, 0, {}}};
            zg::render::PaintImage(cr, kViewWidth, kViewHeight, panels, {});
            cairo_destroy(cr);
        }
        cairo_surface_flush(surface);
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(CairoStrokesTheDragFrame)->Unit(benchmark::kMicrosecond);

// The bytes of both views' frames of a default field viewer, its lattice off.
void DefaultViewerFrame(benchmark::State& state) {
    Host host;
    StartDrag(host);
    host.Send(Pointer("up", 420, 240));
    host.Send(R"({"type": "selectMode"})");
    std::size_t bytes = 0;
    for (auto _ : state) {
        host.Send(R"({"type": "frame", "frame": 1})");
        bytes = host.FrameBytes();
        host.Send(R"({"type": "frame", "frame": 0})");
    }
    state.counters["frame_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(DefaultViewerFrame)->Unit(benchmark::kMicrosecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    const std::string targets = zbench::Initialize(argc, argv);
    zbench::RunKeeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    zbench::ReportTargets(
        targets,
        {{zbench::Section::kBrowser, "one pointer event of a creation drag", "Cairo stroking the same frame",
          keeper.Time("CreationDragEvent") / keeper.Time("CairoStrokesTheDragFrame"), kEventLimit,
          zbench::AtMost(kEventLimit)},
         {zbench::Section::kBrowser, "a frame of the default viewer, two views", "150 KB",
          keeper.Counter("DefaultViewerFrame", "frame_bytes") / kFrameBytesLimit, 1.0, zbench::AtMost(1.0)}});
    benchmark::Shutdown();
    return 0;
}
