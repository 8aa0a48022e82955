// Loading a scene file for a command: the classes of the plug-in folder and the
// host's built-in classes in one directory, and the scene read through it.
#pragma once

#include <filesystem>
#include <memory>

#include "app/cli/commands.h"
#include "app/plugins/class_directory.h"
#include "app/scene/class_resolver.h"
#include "app/scene/scene.h"

namespace zg::cli {

using plugins::ResolverFor;

// Loads ctx.pluginDir (reporting its problems on ctx.err) and lists the built-in
// classes in `directory`.
void LoadClasses(CommandContext& ctx, plugins::ClassDirectory& directory);

// The scene of `file`, read through `directory`; none, with the reason written to
// ctx.err as one line, when it cannot be read. The scene must be destroyed before the
// directory, which owns the modules its objects come from.
std::unique_ptr<scene::Scene> LoadSceneForCommand(CommandContext& ctx, const plugins::ClassDirectory& directory,
                                                  const std::filesystem::path& file);

}  // namespace zg::cli
