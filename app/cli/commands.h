// The subcommands of `zentrograph`. Each command file adds one subcommand to the
// parser; its work is a function of the library that tests call directly.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zg::plugins {
class ClassDirectory;
}

namespace zg::cli {

// What every command shares: where plug-ins come from, where output goes, and the
// exit status the command leaves.
struct CommandContext {
    std::filesystem::path pluginDir;  // --plugins, ZENTROGRAPH_PLUGINS, or plugins/ beside the program
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    int exitCode = 0;
    std::istream* in = nullptr;  // what "-" reads as an input; none: the program's standard input
};

// The plug-in folder when neither --plugins nor ZENTROGRAPH_PLUGINS names one.
std::filesystem::path DefaultPluginDir();

// Adds the program's own options (--plugins, also accepted after any command, with
// ZENTROGRAPH_PLUGINS as its fallback; --version; --help), parses `args` (without the
// program name) and runs the chosen command. Call after every AddXCommand. Answers
// the exit status: the command's, or 2 for a bad command line. Help, version
// and command output go to ctx.out, errors to ctx.err.
int RunCommandLine(CLI::App& app, const std::vector<std::string>& args, CommandContext& ctx);
int RunCommandLine(CLI::App& app, int argc, const char* const* argv, CommandContext& ctx);

// Loads ctx.pluginDir into `directory`, writing each problem to ctx.err as one line,
// and how many modules were skipped. False when the folder itself cannot be read.
bool LoadPluginFolder(CommandContext& ctx, plugins::ClassDirectory& directory);

void AddPluginsCommand(CLI::App& app, CommandContext& ctx);

// `zentrograph scene SCENE [--frame F] [--json]`: lists the nodes of a scene file with
// their class, world position and world bounding box at frame F (default: the scene's
// first frame). ShowScene does the work: exit status 0, or 1 with one error line.
void AddSceneCommand(CLI::App& app, CommandContext& ctx);
int ShowScene(CommandContext& ctx, const std::filesystem::path& file, std::optional<double> frame, bool json);

// `zentrograph render [SCENE] [-o OUT] [--view NAME|quad] [--frame F | --frames A:B]
// [--size WxH]`: the scene's views as PNG or SVG, or one view's display list as JSON;
// without SCENE, the demo scene (app/render/scene_render.h does the work).
void AddRenderCommand(CLI::App& app, CommandContext& ctx);
// `zentrograph pick SCENE --view NAME --at X,Y [--frame F] [--size WxH]`: the nodes
// whose HitTest answers a hit at a pixel, one name per line (app/viewport/scene_view.h).
void AddPickCommand(CLI::App& app, CommandContext& ctx);
// `zentrograph samples SCENE --object NAME [--frame F] [--format json|csv|vtk] [-o FILE]`:
// a field viewer's samples as its drawing shows them (app/samples/).
void AddSamplesCommand(CLI::App& app, CommandContext& ctx);

// `zentrograph serve [SCENE] [--port N] [--demo] [--offline] [--listen ADDR]`: the interactive host
// in a browser, until Ctrl+C (app/web/).
void AddServeCommand(CLI::App& app, CommandContext& ctx);
// `zentrograph validate [MODULE ...] [--seed N] [--json] [--check NAME] [--time-limit S]` (app/validate/).
void AddValidateCommand(CLI::App& app, CommandContext& ctx);

}  // namespace zg::cli
