// zentrograph: the host application's command line.
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iostream>

#include "app/cli/commands.h"

int main(int argc, char** argv) {
    zg::cli::CommandContext ctx;
    ctx.out = &std::cout;
    ctx.err = &std::cerr;
    ctx.pluginDir = zg::cli::DefaultPluginDir();
    if (const char* env = std::getenv("ZENTROGRAPH_PLUGINS"); env != nullptr && *env != '\0') {
        ctx.pluginDir = env;
    }

    CLI::App app{"Zentrograph: see what the force fields of a scene do."};
    app.set_version_flag("--version", ZENTROGRAPH_VERSION);
    app.option_defaults()->always_capture_default();
    std::string pluginDir;
    app.add_option("--plugins", pluginDir, "Folder of plug-in modules (*.dlo)")->type_name("DIR");
    app.require_subcommand(1);
    app.parse_complete_callback([&] {
        if (!pluginDir.empty()) ctx.pluginDir = pluginDir;
    });

    zg::cli::AddPluginsCommand(app, ctx);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return ctx.exitCode;
}
