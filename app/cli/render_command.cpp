// `zentrograph render`: a scene (or the demo scene) drawn to PNG, SVG or a display
// list.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/frame_options.h"
#include "app/cli/scene_loading.h"
#include "app/files/input_file.h"
#include "app/files/output_file.h"
#include "app/render/frame_jobs.h"
#include "app/render/image_painter.h"
#include "app/render/scene_render.h"
#include "app/scene/demo_scene.h"
#include "app/scene/frame_list.h"
#include "app/scene/scene_file.h"

namespace zg::cli {

namespace {

struct RenderOptions {
    std::string scene;   // empty: the demo scene
    std::string output;  // empty: <scene>.png, demo.png for the demo; "-": standard output
    std::string format;  // empty: from the output's extension, png for standard output
    std::string view;
    std::optional<double> frame;
    std::string frames;  // a frame list (app/scene/frame_list.h)
    std::string chunk;   // "K/N"
    int jobs = 1;
    std::optional<double> orbit;
    std::string size = "1280x720";
};

// What the command writes: one file of `kind` per frame, or one animated file.
struct ChosenOutput {
    render::OutputKind kind = render::OutputKind::kPng;
    std::optional<render::AnimationFormat> animation;
};

std::string LowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext.size() > 1 ? ext.substr(1) : std::string();
}

std::optional<ChosenOutput> ChooseOutput(const RenderOptions& options, const std::filesystem::path& output,
                                         std::string& error) {
    const std::string name = !options.format.empty() ? options.format : LowerExtension(output);
    if (const auto animation = render::AnimationFormatNamed(name)) return ChosenOutput{render::OutputKind::kPng, animation};
    if (!options.format.empty()) {
        const auto kind = render::OutputKindNamed(options.format);
        if (!kind) error = fmt::format("--format {}: expected png, svg, json, webp, gif or mp4", options.format);
        return kind ? std::optional(ChosenOutput{*kind, std::nullopt}) : std::nullopt;
    }
    if (output == files::kStandardStream) return ChosenOutput{render::OutputKind::kPng, std::nullopt};
    const auto kind = render::OutputKindOf(output, error);
    if (!kind) error = "-o: " + error;
    return kind ? std::optional(ChosenOutput{*kind, std::nullopt}) : std::nullopt;
}

std::filesystem::path DefaultOutput(const RenderOptions& options) {
    const std::string ext = options.format.empty() || !render::AnimationFormatNamed(options.format)
                                ? std::string(".png")
                                : "." + options.format;
    const bool named = !options.scene.empty() && options.scene != files::kStandardStream;
    return named ? std::filesystem::path(options.scene).stem().concat(ext) : std::filesystem::path("demo" + ext);
}

// Every value the command line gives that can be checked before a scene is read.
bool CheckOptions(const RenderOptions& options, const ChosenOutput& chosen, const std::filesystem::path& output,
                  std::string& error) {
    const bool sequence = !options.frames.empty();
    if (chosen.animation && !sequence) {
        error = fmt::format("{}: an animated {} file needs --frames",
                            options.format.empty() ? output.string() : "--format " + options.format,
                            render::AnimationFormatName(*chosen.animation));
    } else if (sequence && !chosen.animation && output == files::kStandardStream) {
        error = "--frames: a sequence of numbered files cannot go to standard output";
    } else if (options.jobs > 1 && chosen.animation) {
        error = "--jobs: one animated file is written by one process; render numbered frames to share the work";
    } else if (options.orbit && !std::isfinite(*options.orbit)) {
        error = "--orbit: expected a finite number of degrees";
    } else if (options.orbit && !sequence) {
        error = "--orbit turns the view over --frames; give a frame list";
    }
    return error.empty();
}

int Render(CommandContext& ctx, const RenderOptions& options) {
    std::string error;
    const auto fail = [&](const std::string& message) { return PrintError(ctx, "render", message); };
    const auto size = render::ParseImageSize(options.size, error);
    if (!size) return fail("--size: " + error);
    const auto list = ChooseFrames(options.frames, options.chunk, error);
    if (!list) return fail(error);
    const std::vector<int>* frames = &list->part;
    const bool sequence = !frames->empty();
    const std::filesystem::path output =
        options.output.empty() ? DefaultOutput(options) : std::filesystem::path(options.output);
    const auto chosen = ChooseOutput(options, output, error);
    if (!chosen || !CheckOptions(options, *chosen, output, error)) return fail(error);
    if (chosen->animation && !render::AnimationFile::CheckSize(*chosen->animation, size->first, size->second, error))
        return fail("--size: " + error);

    // Images write text: their fonts are found while the plug-ins and the scene load,
    // unless the work is forked, which must happen before any thread starts.
    if (chosen->kind != render::OutputKind::kJson && options.jobs <= 1) render::PreloadFonts();
    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::unique_ptr<scene::Scene> scene;
    render::RenderRequest request;
    if (options.scene.empty()) {
        scene = scene::ReadScene(scene::DemoSceneText(), scene::kDemoSceneName, ResolverFor(directory), error);
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
    if (sequence && !scene::CheckFramesInTime(*scene, *frames, error))
        return fail(fmt::format("--frames {}: {}", options.frames, error));
    if (!sequence && !scene->Rate().FrameToTicks(request.frame, error)) return fail("--frame: " + error);
    const auto inputs = CommandInputs(directory, options.scene);
    std::vector<std::filesystem::path> outputs;
    if (sequence && !chosen->animation) {
        for (const int f : *frames) outputs.push_back(render::NumberedPath(output, f));
    } else {
        outputs.push_back(output);
    }
    for (const auto& path : outputs) {
        if (const auto overwritten = files::FindOverwrittenInput(path, inputs)) return fail(*overwritten);
    }
    if (options.orbit && !render::DrawsPerspectiveView(*scene, request, error)) return fail("--orbit: " + error);

    std::vector<std::string> warnings;
    if (!sequence) {
        const bool written = files::WriteOutput(
            output, *ctx.out,
            [&](files::ByteSink& out, std::string& why) {
                return render::RenderToOutput(*scene, request, chosen->kind, out, warnings, why);
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
    // The orbit follows the whole list, so that every chunk of a farm turns alike.
    const render::SequenceOrbit orbit = render::OrbitOver(options.orbit.value_or(0.0), list->whole);
    bool written = false;
    if (chosen->animation) {
        int done = 0;
        const auto total = static_cast<int>(frames->size());
        written = files::WriteOutput(
            output, *ctx.out,
            [&](files::ByteSink& out, std::string& why) {
                return render::RenderAnimation(*scene, request, *chosen->animation, *frames, orbit, out,
                                               [&] { progress(++done, total); }, warnings, why);
            },
            error);
    } else {
        const render::FramesWork work = [&](const std::vector<int>& part, const std::function<void()>& frameDone,
                                            std::vector<std::string>& partWarnings, std::string& why) {
            if (chosen->kind != render::OutputKind::kJson) render::PreloadFonts();
            return render::RenderSequence(*scene, request, chosen->kind, part, orbit, output, frameDone, partWarnings,
                                          why);
        };
        written = render::RunFrameJobs(options.jobs, *frames, work, progress, warnings, error);
    }
    if (!written && showProgress) fmt::print(*ctx.err, "\n");
    PrintWarnings(ctx, "render", warnings);
    if (!written) return fail(error);
    for (const auto& path : outputs) fmt::print(*ctx.out, "{}\n", path.string());
    return 0;
}

}  // namespace

void AddRenderCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command = app.add_subcommand(
        "render", "Draw a scene (or the built-in demo) to PNG or SVG, or one view's display list to JSON");
    auto options = std::make_shared<RenderOptions>();
    command->add_option("SCENE", options->scene, "Scene file (.json); default: the built-in demo scene");
    command->add_option("-o,--output", options->output,
                        "Output file: .png, .svg or .json (display list of one view), .webp, .gif or .mp4 (an animation "
                        "of --frames), or - for standard output; default: SCENE's name with .png, or demo.png")
        ->type_name("FILE");
    command->add_option("--format", options->format,
                        "png, svg, json, webp, gif or mp4; default: from -o's extension, png for standard output")
        ->type_name("FORMAT");
    command->add_option("--view", options->view,
                        "The view to draw, by name, or 'quad' for every view (up to four) side by side; default: "
                        "every view for an image, the first view for a display list")
        ->type_name("NAME|quad");
    auto frameValue = std::make_shared<double>(0.0);
    CLI::Option* frame =
        command->add_option("--frame", *frameValue, "Frame to draw (default: the scene's first frame)")->type_name("F");
    CLI::Option* frames = AddFrameListOptions(*command, frame, options->frames, options->chunk, "Draw",
                                              "into numbered files (OUT_0000.png, ...) or one animated .webp, .gif "
                                              "or .mp4 file, with progress on a terminal");
    command->add_option("--jobs", options->jobs, "Draw numbered frames on N processes of this machine")
        ->type_name("N")
        ->check(CLI::Range(1, 256))
        ->needs(frames);
    auto orbitValue = std::make_shared<double>(0.0);
    CLI::Option* orbit = command
                             ->add_option("--orbit", *orbitValue,
                                          "Turn the perspective views by DEGREES about their target over the frame "
                                          "list: a turntable")
                             ->type_name("DEGREES")
                             ->needs(frames);
    command->add_option("--size", options->size, "Image size in pixels")->type_name("WxH")->capture_default_str();
    command->callback([&ctx, options, frame, frameValue, orbit, orbitValue] {
        if (frame->count() > 0) options->frame = *frameValue;
        if (orbit->count() > 0) options->orbit = *orbitValue;
        ctx.exitCode = Render(ctx, *options);
    });
}

}  // namespace zg::cli
