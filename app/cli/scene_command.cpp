// `zentrograph scene`: the nodes of a scene file at one frame.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <memory>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/scene_loading.h"
#include "app/scene/scene_listing.h"
#include "app/text/one_line.h"

namespace zg::cli {

int ShowScene(CommandContext& ctx, const std::filesystem::path& file, std::optional<double> frame, bool json) {
    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::unique_ptr<scene::Scene> loaded = LoadSceneForCommand(ctx, directory, file);
    if (!loaded) return 1;

    const double shownFrame = frame.value_or(loaded->StartFrame());
    std::string error;
    const std::optional<host::TimeValue> t = loaded->Rate().FrameToTicks(shownFrame, error);
    if (!t) return PrintError(ctx, "scene", "--frame: " + error);
    const std::vector<scene::NodeListing> nodes = scene::ListNodes(*loaded, *t, ResolverFor(directory));
    if (json) {
        *ctx.out << scene::ListingJson(nodes).dump(2, ' ', false, text::Json::error_handler_t::replace) << '\n';
        return 0;
    }
    fmt::print(*ctx.out, "{}: {} node{} at frame {} ({} fps)\n", text::OneLine(file.string()), nodes.size(),
               nodes.size() == 1 ? "" : "s", shownFrame, loaded->Rate().Fps());
    *ctx.out << scene::ListingText(nodes);
    return 0;
}

void AddSceneCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command = app.add_subcommand("scene", "List the nodes of a scene file with their world positions and boxes");
    struct Options {
        std::string file;
        double frame = 0.0;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    command->add_option("SCENE", options->file, "Scene file (.json)")->required();
    CLI::Option* frame =
        command->add_option("--frame", options->frame, "Frame to evaluate at (default: the scene's first frame)");
    command->add_flag("--json", options->json, "Write the listing as JSON to standard output");
    command->callback([&ctx, options, frame] {
        const std::optional<double> chosen = frame->count() > 0 ? std::optional<double>(options->frame) : std::nullopt;
        ctx.exitCode = ShowScene(ctx, options->file, chosen, options->json);
    });
}

}  // namespace zg::cli
