#include "app/cli/program.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "app/cli/commands.h"

namespace zg::cli {

int RunProgram(int argc, char** argv) {
    CommandContext ctx{DefaultPluginDir(), &std::cout, &std::cerr};
    CLI::App app{"Zentrograph: see what the force fields of a scene do."};
    AddPluginsCommand(app, ctx);
    AddSceneCommand(app, ctx);
    AddRenderCommand(app, ctx);
    AddPickCommand(app, ctx);
    AddSamplesCommand(app, ctx);
    AddServeCommand(app, ctx);
    AddValidateCommand(app, ctx);
    return RunCommandLine(app, argc, argv, ctx);
}

}  // namespace zg::cli
