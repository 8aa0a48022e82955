// `zentrograph samples`: a field viewer's sample points and vectors as JSON, CSV or VTK.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/frame_options.h"
#include "app/cli/scene_loading.h"
#include "app/files/input_file.h"
#include "app/files/output_file.h"
#include "app/render/scene_render.h"
#include "app/samples/sample_capture.h"
#include "app/samples/sample_formats.h"
#include "app/scene/frame_list.h"

namespace zg::cli {

namespace {

struct SamplesOptions {
    std::string scene;
    std::string object;
    std::optional<double> frame;
    std::string frames;  // a frame list (app/scene/frame_list.h)
    std::string chunk;   // "K/N"
    std::string format;  // empty: from the output's extension, else json
    std::string output;  // empty: standard output
};

// Writes the samples of one frame to `output`; their warnings are added to `warnings`.
bool WriteFrameSamples(scene::Scene& scene, const SamplesOptions& options, double frame, samples::SampleFormat format,
                       const std::filesystem::path& output, CommandContext& ctx, std::vector<std::string>& warnings,
                       std::string& error) {
    const auto set = samples::CaptureSamples(scene, options.object, frame, error);
    if (!set) return false;
    const bool written = files::WriteOutput(
        output, *ctx.out,
        [&](files::ByteSink& out, std::string&) {
            samples::WriteSamples(*set, format, out);
            return true;
        },
        error);
    for (std::string& line : samples::SampleWarnings(*set)) warnings.push_back(std::move(line));
    return written;
}

int Samples(CommandContext& ctx, const SamplesOptions& options) {
    const auto fail = [&](const std::string& message) { return PrintError(ctx, "samples", message); };
    std::string formatName = options.format;
    if (formatName.empty() && !options.output.empty()) {
        std::string ext = std::filesystem::path(options.output).extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext.size() > 1 && samples::ParseSampleFormat(ext.substr(1))) formatName = ext.substr(1);
    }
    if (formatName.empty()) formatName = "json";
    const auto format = samples::ParseSampleFormat(formatName);
    if (!format) return fail(fmt::format("--format {}: expected json, csv or vtk", formatName));
    const std::filesystem::path output = options.output.empty() ? files::kStandardStream : options.output;
    std::string error;
    const auto list = ChooseFrames(options.frames, options.chunk, error);
    if (!list) return fail(error);
    const std::vector<int>& frames = list->part;
    if (!frames.empty() && output == files::kStandardStream)
        return fail("--frames: one file per frame cannot go to standard output");

    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::unique_ptr<scene::Scene> scene = LoadSceneForCommand(ctx, directory, options.scene);
    if (!scene) return 1;
    // Every output is checked before the first is written: the numbered files and,
    // for VTK, the series file that lists them.
    std::vector<std::filesystem::path> outputs;
    for (const int f : frames) outputs.push_back(render::NumberedPath(output, f));
    // A chunk's series lists its own frames, beside the other chunks' series.
    std::filesystem::path series = std::filesystem::path(output).concat(".series");
    if (!options.chunk.empty()) {
        std::string part = options.chunk;
        part.replace(part.find('/'), 1, "of");
        series.replace_filename(fmt::format("{}_chunk{}{}.series", output.stem().string(), part,
                                            output.extension().string()));
    }
    if (!frames.empty() && *format == samples::SampleFormat::kVtk) outputs.push_back(series);
    if (frames.empty()) outputs.push_back(output);
    const auto inputs = CommandInputs(directory, options.scene);
    for (const auto& path : outputs) {
        if (const auto overwritten = files::FindOverwrittenInput(path, inputs)) return fail(*overwritten);
    }
    if (!frames.empty() && !scene::CheckFramesInTime(*scene, frames, error))
        return fail(fmt::format("--frames {}: {}", options.frames, error));

    // Samples that are not finite numbers are written as they are, and make the
    // command fail: a script must not take them for a result.
    std::vector<std::string> warnings;
    if (frames.empty()) {
        if (!WriteFrameSamples(*scene, options, options.frame.value_or(scene->StartFrame()), *format, output, ctx,
                               warnings, error))
            return fail(error);
    } else {
        std::vector<samples::SeriesEntry> entries;
        for (const int f : frames) {
            const std::filesystem::path path = render::NumberedPath(output, f);
            if (!WriteFrameSamples(*scene, options, f, *format, path, ctx, warnings, error))
                return fail(fmt::format("frame {}: {}", f, error));
            entries.push_back({path.filename().string(), static_cast<double>(f)});
            fmt::print(*ctx.out, "{}\n", path.string());
        }
        if (*format == samples::SampleFormat::kVtk) {
            if (!files::WriteFile(series, samples::SeriesJson(entries), error)) return fail(error);
            fmt::print(*ctx.out, "{}\n", series.string());
        }
    }
    PrintWarnings(ctx, "samples", warnings);
    return warnings.empty() ? 0 : 1;
}

}  // namespace

void AddSamplesCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command = app.add_subcommand(
        "samples", "Write a field viewer's sample points and force vectors as JSON, CSV or VTK (ParaView)");
    auto options = std::make_shared<SamplesOptions>();
    command->add_option("SCENE", options->scene, "Scene file (.json)")->required();
    command->add_option("--object", options->object, "The field viewer's node, by name")
        ->type_name("NAME")
        ->required();
    auto frameValue = std::make_shared<double>(0.0);
    CLI::Option* frame = command
                             ->add_option("--frame", *frameValue,
                                          "Frame to sample at (default: the scene's first frame)")
                             ->type_name("F");
    AddFrameListOptions(*command, frame, options->frames, options->chunk, "Sample",
                        "into numbered files (OUT_0000.vtk, ...); VTK adds OUT.series, which ParaView opens as one "
                        "time series");
    command->add_option("--format", options->format,
                        "json and csv in object space, vtk (legacy ASCII) in world space; default: from -o's "
                        "extension, else json")
        ->type_name("json|csv|vtk");
    command->add_option("-o,--output", options->output, "Output file, or - for standard output (the default)")
        ->type_name("FILE");
    command->callback([&ctx, options, frame, frameValue] {
        if (frame->count() > 0) options->frame = *frameValue;
        ctx.exitCode = Samples(ctx, *options);
    });
}

}  // namespace zg::cli
