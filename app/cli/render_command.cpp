// `zentrograph render`: a scene (or the demo scene) drawn to PNG, SVG or a display
// list.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>
#include <unistd.h>

#include <charconv>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/scene_loading.h"
#include "app/render/demo_scene.h"
#include "app/render/scene_render.h"
#include "app/scene/scene_file.h"

namespace zg::cli {

namespace {

struct RenderOptions {
    std::string scene;   // empty: the demo scene
    std::string output;  // empty: <scene>.png, demo.png for the demo
    std::string view;
    std::optional<double> frame;
    std::string frames;  // "A:B"
    std::string size = "1280x720";
};

// "A:B" with whole frames A <= B.
bool ParseFrameRange(const std::string& text, int& first, int& last, std::string& error) {
    const auto colon = text.find(':');
    bool ok = colon != std::string::npos;
    if (ok) {
        const char* s = text.data();
        const auto a = std::from_chars(s, s + colon, first);
        const auto b = std::from_chars(s + colon + 1, s + text.size(), last);
        ok = colon > 0 && a.ec == std::errc() && a.ptr == s + colon && b.ec == std::errc() &&
             b.ptr == s + text.size();
    }
    if (!ok) {
        error = fmt::format("--frames {}: expected FIRST:LAST in whole frames, such as 0:24", text);
        return false;
    }
    if (first > last) {
        error = fmt::format("--frames {}: the first frame comes after the last", text);
        return false;
    }
    return true;
}

int Render(CommandContext& ctx, const RenderOptions& options) {
    std::string error;
    const auto size = render::ParseImageSize(options.size, error);
    if (!size) {
        fmt::print(*ctx.err, "render: --size: {}\n", error);
        return 1;
    }
    int first = 0;
    int last = 0;
    const bool sequence = !options.frames.empty();
    if (sequence && !ParseFrameRange(options.frames, first, last, error)) {
        fmt::print(*ctx.err, "render: {}\n", error);
        return 1;
    }
    std::filesystem::path output = options.output;
    if (output.empty()) {
        output = options.scene.empty() ? std::filesystem::path("demo.png")
                                       : std::filesystem::path(options.scene).stem().concat(".png");
    }
    if (!render::OutputKindOf(output, error)) {
        fmt::print(*ctx.err, "render: -o: {}\n", error);
        return 1;
    }

    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::unique_ptr<scene::Scene> scene;
    render::RenderRequest request;
    if (options.scene.empty()) {
        scene = scene::ReadScene(render::DemoSceneText(), render::kDemoSceneName, ResolverFor(directory), error);
        if (!scene) {
            fmt::print(*ctx.err, "render: {} (is the Zentrograph plug-in in {}?)\n", error, ctx.pluginDir.string());
            return 1;
        }
        request.title = "Zentrograph  \u00b7  demo: vortex, spherical gravity and turbulent wind";
    } else {
        scene = LoadSceneForCommand(ctx, directory, options.scene);
        if (!scene) return 1;
        const std::string fileName = std::filesystem::path(options.scene).filename().string();
        request.title = fmt::format("Zentrograph  \u00b7  {}", fileName);
    }
    request.view = options.view;
    request.width = size->first;
    request.height = size->second;
    request.frame = options.frame.value_or(scene->StartFrame());

    if (!sequence) {
        if (!render::RenderToFile(*scene, request, output, error)) {
            fmt::print(*ctx.err, "render: {}\n", error);
            return 1;
        }
        fmt::print(*ctx.out, "{}\n", output.string());
        return 0;
    }
    // Progress goes to a terminal only, on one line rewritten in place.
    const bool showProgress = ctx.err == &std::cerr && isatty(STDERR_FILENO) != 0;
    const auto progress = [&](int done, int total) {
        if (showProgress) fmt::print(*ctx.err, "\rrendering frame {} of {}{}", done, total, done == total ? "\n" : "");
    };
    if (!render::RenderSequence(*scene, request, first, last, output, progress, error)) {
        if (showProgress) fmt::print(*ctx.err, "\n");
        fmt::print(*ctx.err, "render: {}\n", error);
        return 1;
    }
    for (int f = first; f <= last; ++f) fmt::print(*ctx.out, "{}\n", render::NumberedPath(output, f).string());
    return 0;
}

}  // namespace

void AddRenderCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command = app.add_subcommand(
        "render", "Draw a scene (or the built-in demo) to PNG or SVG, or one view's display list to JSON");
    auto options = std::make_shared<RenderOptions>();
    command->add_option("SCENE", options->scene, "Scene file (.json); default: the built-in demo scene");
    command->add_option("-o,--output", options->output,
                        "Output file: .png, .svg or .json (display list of one view); default: SCENE's name with "
                        ".png, or demo.png")
        ->type_name("FILE");
    command->add_option("--view", options->view,
                        "The view to draw, by name, or 'quad' for every view (up to four) side by side; default: "
                        "every view for an image, the first view for a display list")
        ->type_name("NAME|quad");
    auto frameValue = std::make_shared<double>(0.0);
    CLI::Option* frame =
        command->add_option("--frame", *frameValue, "Frame to draw (default: the scene's first frame)")->type_name("F");
    CLI::Option* frames =
        command->add_option("--frames", options->frames,
                            "Draw frames A to B into numbered files (OUT_0000.png, ...), with progress on a terminal")
            ->type_name("A:B");
    frame->excludes(frames);
    command->add_option("--size", options->size, "Image size in pixels")->type_name("WxH")->capture_default_str();
    command->callback([&ctx, options, frame, frameValue] {
        if (frame->count() > 0) options->frame = *frameValue;
        ctx.exitCode = Render(ctx, *options);
    });
}

}  // namespace zg::cli
