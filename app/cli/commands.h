// The subcommands of `zentrograph`. Each command file adds one subcommand to the
// parser; its work is a function of the library that tests call directly.
#pragma once

#include <filesystem>
#include <iosfwd>

namespace CLI {
class App;
}

namespace zg::cli {

// What every command shares: where plug-ins come from, where output goes, and the
// exit status the command leaves.
struct CommandContext {
    std::filesystem::path pluginDir;  // --plugins, ZENTROGRAPH_PLUGINS, or plugins/ beside the program
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    int exitCode = 0;
};

// The plug-in folder when neither --plugins nor ZENTROGRAPH_PLUGINS names one.
std::filesystem::path DefaultPluginDir();

void AddPluginsCommand(CLI::App& app, CommandContext& ctx);

}  // namespace zg::cli
