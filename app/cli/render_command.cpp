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
#include "app/files/input_file.h"
#include "app/files/output_file.h"
#include "app/render/demo_scene.h"
#include "app/render/image_painter.h"
#include "app/render/scene_render.h"
#include "app/scene/scene_file.h"

namespace zg::cli {

namespace {

struct RenderOptions {
    std::string scene;   // empty: the demo scene
    std::string output;  // empty: <scene>.png, demo.png for the demo; "-": standard output
    std::string format;  // empty: from the output's extension, png for standard output
    std::string view;
    std::optional<double> frame;
    std::string frames;  // "A:B"
    std::string size = "1280x720";
};

// "A:B" with whole frames; the range itself is checked against the scene.
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
    if (!ok) error = fmt::format("--frames {}: expected FIRST:LAST in whole frames, such as 0:24", text);
    return ok;
}

std::optional<render::OutputKind> ChosenKind(const RenderOptions& options, const std::filesystem::path& output,
                                             std::string& error) {
    if (!options.format.empty()) {
        const auto kind = render::OutputKindNamed(options.format);
        if (!kind) error = fmt::format("--format {}: expected png, svg or json", options.format);
        return kind;
    }
    if (output == files::kStandardStream) return render::OutputKind::kPng;
    const auto kind = render::OutputKindOf(output, error);
    if (!kind) error = "-o: " + error;
    return kind;
}

// Every file the command would write: one, or one per frame of the sequence.
std::vector<std::filesystem::path> Outputs(const std::filesystem::path& output, bool sequence, int first, int last) {
    if (!sequence) return {output};
    std::vector<std::filesystem::path> paths;
    for (long long f = first; f <= last; ++f) paths.push_back(render::NumberedPath(output, static_cast<int>(f)));
    return paths;
}

int Render(CommandContext& ctx, const RenderOptions& options) {
    std::string error;
    const auto fail = [&](const std::string& message) { return PrintError(ctx, "render", message); };
    const auto size = render::ParseImageSize(options.size, error);
    if (!size) return fail("--size: " + error);
    int first = 0;
    int last = 0;
    const bool sequence = !options.frames.empty();
    if (sequence && !ParseFrameRange(options.frames, first, last, error)) return fail(error);
    std::filesystem::path output = options.output;
    if (output.empty()) {
        const bool named = !options.scene.empty() && options.scene != files::kStandardStream;
        output = named ? std::filesystem::path(options.scene).stem().concat(".png") : std::filesystem::path("demo.png");
    }
    const auto kind = ChosenKind(options, output, error);
    if (!kind) return fail(error);
    if (sequence && output == files::kStandardStream) return fail("--frames: a sequence cannot go to standard output");

    // Images write text: their fonts are found while the plug-ins and the scene load.
    if (*kind != render::OutputKind::kJson) render::PreloadFonts();
    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::unique_ptr<scene::Scene> scene;
    render::RenderRequest request;
    if (options.scene.empty()) {
        scene = scene::ReadScene(render::DemoSceneText(), render::kDemoSceneName, ResolverFor(directory), error);
        if (!scene) return fail(fmt::format("{} (is the Zentrograph plug-in in {}?)", error, ctx.pluginDir.string()));
        request.title = "Zentrograph  \u00b7  demo: vortex, spherical gravity and turbulent wind";
    } else {
        scene = LoadSceneForCommand(ctx, directory, options.scene);
        if (!scene) return 1;
        request.title = fmt::format("Zentrograph  \u00b7  {}", files::InputName(options.scene));
    }
    request.view = options.view;
    request.width = size->first;
    request.height = size->second;
    request.frame = options.frame.value_or(scene->StartFrame());

    // Every value is checked before the first file is written.
    if (sequence && !render::CheckFrameRange(*scene, first, last, error))
        return fail(fmt::format("--frames {}: {}", options.frames, error));
    if (!sequence && !scene->Rate().FrameToTicks(request.frame, error)) return fail("--frame: " + error);
    const auto inputs = CommandInputs(directory, options.scene);
    for (const auto& path : Outputs(output, sequence, first, last)) {
        if (const auto overwritten = files::FindOverwrittenInput(path, inputs)) return fail(*overwritten);
    }

    std::vector<std::string> warnings;
    if (!sequence) {
        const bool written = files::WriteOutput(
            output, *ctx.out,
            [&](files::ByteSink& out, std::string& why) {
                return render::RenderToOutput(*scene, request, *kind, out, warnings, why);
            },
            error);
        PrintWarnings(ctx, "render", warnings);
        if (!written) return fail(error);
        if (output != files::kStandardStream) fmt::print(*ctx.out, "{}\n", output.string());
        return 0;
    }
    // Progress goes to a terminal only, on one line rewritten in place.
    const bool showProgress = ctx.err == &std::cerr && isatty(STDERR_FILENO) != 0;
    const auto progress = [&](int done, int total) {
        if (showProgress) fmt::print(*ctx.err, "\rrendering frame {} of {}{}", done, total, done == total ? "\n" : "");
    };
    const bool written = render::RenderSequence(*scene, request, *kind, first, last, output, progress, warnings, error);
    if (!written && showProgress) fmt::print(*ctx.err, "\n");
    PrintWarnings(ctx, "render", warnings);
    if (!written) return fail(error);
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
                        "Output file: .png, .svg or .json (display list of one view), or - for standard output; "
                        "default: SCENE's name with .png, or demo.png")
        ->type_name("FILE");
    command->add_option("--format", options->format,
                        "png, svg or json; default: from -o's extension, png for standard output")
        ->type_name("png|svg|json");
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
