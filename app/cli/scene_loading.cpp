#include "app/cli/scene_loading.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <ostream>

#include "app/scene/scene_file.h"
#include "app/warps/builtin_classes.h"

namespace zg::cli {

void LoadClasses(CommandContext& ctx, plugins::ClassDirectory& directory) {
    // A folder that cannot be read is reported; the built-in classes still serve.
    LoadPluginFolder(ctx, directory);
    for (host::ClassDesc2* desc : warps::BuiltinClasses()) directory.AddBuiltin(desc);
}

std::unique_ptr<scene::Scene> LoadSceneForCommand(CommandContext& ctx, const plugins::ClassDirectory& directory,
                                                  const std::filesystem::path& file) {
    std::string error;
    std::unique_ptr<scene::Scene> loaded = scene::LoadSceneFile(file, ResolverFor(directory), error);
    if (!loaded) fmt::print(*ctx.err, "{}\n", error);
    return loaded;
}

}  // namespace zg::cli
