#include <fmt/format.h>
#include <fmt/ostream.h>

#include <ostream>

#include "app/cli/commands.h"
#include "app/plugins/class_directory.h"

namespace zg::cli {

bool LoadPluginFolder(CommandContext& ctx, plugins::ClassDirectory& directory) {
    const std::size_t seen = directory.Problems().size();
    directory.EnableScan(plugins::ScanSettings{.limit = std::chrono::seconds(10), .cacheFile = plugins::DefaultScanCacheFile()});
    const bool read = directory.LoadFolder(ctx.pluginDir);
    for (std::size_t i = seen; i < directory.Problems().size(); ++i) {
        fmt::print(*ctx.err, "{}\n", directory.Problems()[i]);
    }
    if (const int skipped = directory.SkippedModules(); skipped > 0) {
        const std::size_t total = directory.Modules().size() + static_cast<std::size_t>(skipped);
        fmt::print(*ctx.err, "skipped {} of {} plug-in module{} in {}\n", skipped, total, total == 1 ? "" : "s",
                   ctx.pluginDir.string());
    }
    return read;
}

}  // namespace zg::cli
