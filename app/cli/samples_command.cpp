// `zentrograph samples`: a field viewer's sample points and vectors as JSON, CSV or VTK.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/scene_loading.h"
#include "app/files/input_file.h"
#include "app/files/output_file.h"
#include "app/samples/sample_capture.h"
#include "app/samples/sample_formats.h"

namespace zg::cli {

namespace {

struct SamplesOptions {
    std::string scene;
    std::string object;
    std::optional<double> frame;
    std::string format;  // empty: from the output's extension, else json
    std::string output;  // empty: standard output
};

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

    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::unique_ptr<scene::Scene> scene = LoadSceneForCommand(ctx, directory, options.scene);
    if (!scene) return 1;
    if (const auto overwritten = files::FindOverwrittenInput(output, CommandInputs(directory, options.scene)))
        return fail(*overwritten);
    std::string error;
    const double frame = options.frame.value_or(scene->StartFrame());
    const auto set = samples::CaptureSamples(*scene, options.object, frame, error);
    if (!set) return fail(error);
    const bool written = files::WriteOutput(
        output, *ctx.out,
        [&](files::ByteSink& out, std::string&) {
            samples::WriteSamples(*set, *format, out);
            return true;
        },
        error);
    if (!written) return fail(error);
    // Samples that are not finite numbers are written as they are, and make the
    // command fail: a script must not take them for a result.
    const std::vector<std::string> warnings = samples::SampleWarnings(*set);
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
