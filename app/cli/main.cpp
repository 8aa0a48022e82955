// zentrograph: the host application's command line.
#include <CLI/CLI.hpp>

#include <iostream>

#include "app/cli/commands.h"

int main(int argc, char** argv) {
    zg::cli::CommandContext ctx{zg::cli::DefaultPluginDir(), &std::cout, &std::cerr};
    CLI::App app{"Zentrograph: see what the force fields of a scene do."};
    zg::cli::AddPluginsCommand(app, ctx);
    zg::cli::AddSceneCommand(app, ctx);
    zg::cli::AddRenderCommand(app, ctx);
    zg::cli::AddPickCommand(app, ctx);
    zg::cli::AddSamplesCommand(app, ctx);
    zg::cli::AddServeCommand(app, ctx);
    zg::cli::AddValidateCommand(app, ctx);
    return zg::cli::RunCommandLine(app, argc, argv, ctx);
}
