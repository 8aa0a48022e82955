// `zentrograph plugins`: what the plug-in folder offers.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <memory>
#include <ostream>

#include "app/cli/commands.h"
#include "app/plugins/class_directory.h"
#include "app/plugins/plugin_listing.h"

namespace zg::cli {

namespace {

// Exit status 0 whenever the folder could be read, even with modules skipped.
int ListPlugins(CommandContext& ctx, bool json) {
    plugins::ClassDirectory directory;
    if (!LoadPluginFolder(ctx, directory)) return 1;
    const plugins::PluginListing listing = plugins::ListPlugins(directory);
    if (json) {
        plugins::WritePluginListingJson(listing, *ctx.out);
        return 0;
    }
    fmt::print(*ctx.out, "Plug-in folder {}\n", ctx.pluginDir.string());
    if (listing.modules.empty()) fmt::print(*ctx.out, "No plug-in modules (*.dlo) loaded.\n");
    plugins::WritePluginListingText(listing, *ctx.out);
    return 0;
}

}  // namespace

void AddPluginsCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command =
        app.add_subcommand("plugins", "List the plug-in modules of the plug-in folder and the classes they offer");
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "Write the listing as JSON to standard output");
    command->callback([&ctx, json] { ctx.exitCode = ListPlugins(ctx, *json); });
}

}  // namespace zg::cli
