#include "app/cli/scene_loading.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <ostream>

#include "app/scene/scene_file.h"
#include "app/text/one_line.h"
#include "app/warps/builtin_classes.h"

namespace zg::cli {

void LoadClasses(CommandContext& ctx, plugins::ClassDirectory& directory) {
    // A folder that cannot be read is reported; the built-in classes still serve.
    LoadPluginFolder(ctx, directory);
    warps::ListBuiltinClasses(directory);
}

std::unique_ptr<scene::Scene> LoadSceneForCommand(CommandContext& ctx, const plugins::ClassDirectory& directory,
                                                  const std::filesystem::path& file) {
    std::string error;
    scene::SceneWarnings warnings;
    std::unique_ptr<scene::Scene> loaded = scene::LoadSceneFile(file, ResolverFor(directory), error, &warnings, ctx.in);
    if (!loaded) fmt::print(*ctx.err, "{}\n", error);
    for (const std::string& line : warnings) fmt::print(*ctx.err, "warning: {}\n", line);
    return loaded;
}

std::vector<std::filesystem::path> CommandInputs(const plugins::ClassDirectory& directory,
                                                 const std::filesystem::path& sceneFile) {
    std::vector<std::filesystem::path> inputs;
    if (!sceneFile.empty()) inputs.push_back(sceneFile);
    for (const auto& module : directory.Modules()) inputs.push_back(module->File());
    return inputs;
}

void PrintWarnings(CommandContext& ctx, const char* name, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) fmt::print(*ctx.err, "{}: warning: {}\n", name, text::OneLine(line));
}

int PrintError(CommandContext& ctx, const char* name, std::string_view message, int status) {
    fmt::print(*ctx.err, "{}: {}\n", name, text::OneLine(message));
    return status;
}

}  // namespace zg::cli
