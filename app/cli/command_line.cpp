#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <exception>
#include <ostream>
#include <system_error>

#include "app/cli/commands.h"
#include "app/text/one_line.h"
#include "host/module.h"

namespace zg::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPluginsEnv = "ZENTROGRAPH_PLUGINS";
constexpr int kUsageError = 2;

CLI::Option* AddPluginDirOption(CLI::App& app, CommandContext& ctx, const std::string& description) {
    return app.add_option_function<std::string>(
           "--plugins", [&ctx](const std::string& dir) { ctx.pluginDir = dir; }, description)
        ->type_name("DIR");
}

// Refuses an empty value ("--view ''"): it is never what a user means, and inside a
// command an empty value stands for the option's default.
void RefuseEmptyValues(CLI::App& command) {
    static const CLI::Validator notEmpty(
        [](std::string& value) { return value.empty() ? std::string("an empty value is not accepted") : std::string(); },
        "");
    for (CLI::Option* option : command.get_options()) {
        if (option->get_type_size() != 0) option->check(notEmpty);
    }
}

// The program's own options. Each command gets its own --plugins as well, so that the
// option may follow the command name and shows in the command's help. Command-line
// values are applied after the environment's, a command's after the program's.
void AddProgramOptions(CLI::App& app, CommandContext& ctx) {
    app.name("zentrograph");
    app.set_version_flag("--version",
                         fmt::format("zentrograph {} (host interface {:#x})", ZENTROGRAPH_VERSION,
                                     host::kHostInterfaceVersion));
    AddPluginDirOption(app, ctx, "Folder of plug-in modules (*.dlo); default: plugins/ beside the program")
        ->envname(kPluginsEnv);
    for (CLI::App* command : app.get_subcommands({})) {
        if (command->get_option_no_throw("--plugins") == nullptr) {
            AddPluginDirOption(*command, ctx,
                               fmt::format("Folder of plug-in modules (*.dlo); default: ${}, else plugins/ beside "
                                           "the program",
                                           kPluginsEnv));
        }
        RefuseEmptyValues(*command);
    }
    RefuseEmptyValues(app);
    app.require_subcommand(1);
    // A bad command line is one line, like every other error.
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return fmt::format("zentrograph: {} (--help lists what is accepted)\n", text::OneLine(e.what()));
    });
}

}  // namespace

fs::path DefaultPluginDir() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec || program.empty()) return "plugins";
    return program.parent_path() / "plugins";
}

int RunCommandLine(CLI::App& app, const std::vector<std::string>& args, CommandContext& ctx) {
    AddProgramOptions(app, ctx);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        // Help and version are "errors" of status 0; every real one is a usage error.
        return app.exit(e, *ctx.out, *ctx.err) == 0 ? 0 : kUsageError;
    } catch (const std::exception& e) {
        // A command that fails this way has not written its own message.
        fmt::print(*ctx.err, "zentrograph: {}\n", e.what());
        return 1;
    }
    return ctx.exitCode;
}

int RunCommandLine(CLI::App& app, int argc, const char* const* argv, CommandContext& ctx) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return RunCommandLine(app, args, ctx);
}

}  // namespace zg::cli
