// Loading a scene file for a command: the classes of the plug-in folder and the
// host's built-in classes in one directory, and the scene read through it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/commands.h"
#include "app/plugins/class_directory.h"
#include "app/scene/class_resolver.h"
#include "app/scene/scene.h"
#include "app/session/scene_classes.h"

namespace zg::cli {

using session::ResolverFor;

// Loads ctx.pluginDir (reporting its problems on ctx.err) and lists the built-in
// classes in `directory`.
void LoadClasses(CommandContext& ctx, plugins::ClassDirectory& directory);

// The scene of `file` ("-": standard input), read through `directory`; none, with the
// reason written to ctx.err as one line, when it cannot be read. Its warnings go to
// ctx.err, one line each. The scene must be destroyed before the directory, which
// owns the modules its objects come from.
std::unique_ptr<scene::Scene> LoadSceneForCommand(CommandContext& ctx, const plugins::ClassDirectory& directory,
                                                  const std::filesystem::path& file);

// The files a command reads that its outputs must not overwrite: the scene file (none
// for the demo or standard input) and every loaded plug-in module.
std::vector<std::filesystem::path> CommandInputs(const plugins::ClassDirectory& directory,
                                                 const std::filesystem::path& sceneFile);

// Writes each line to ctx.err as "NAME: warning: LINE".
void PrintWarnings(CommandContext& ctx, const char* name, const std::vector<std::string>& lines);

// Writes "NAME: MESSAGE" to ctx.err as one line, whatever the message holds (names
// from files and the command line among it), and answers `status`.
int PrintError(CommandContext& ctx, const char* name, std::string_view message, int status = 1);

}  // namespace zg::cli
