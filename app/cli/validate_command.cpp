// `zentrograph validate`: the plug-in validator (app/validate/).
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>
#include <fmt/ranges.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <ostream>
#include <random>
#include <system_error>

#include "app/cli/commands.h"
#include "app/plugins/class_directory.h"
#include "app/validate/validation.h"

namespace zg::cli {

namespace {

namespace fs = std::filesystem;

struct ValidateOptions {
    std::vector<std::string> modules;
    std::optional<uint64_t> seed;
    bool json = false;
    std::vector<std::string> checks;
    double timeLimit = 60.0;  // seconds per check
};

// The module files to validate: those named, or every module of the plug-in folder.
// None, with the reason written, when a file or the folder is not there.
std::optional<std::vector<fs::path>> ModulesToValidate(CommandContext& ctx, const ValidateOptions& options) {
    if (options.modules.empty()) {
        std::string error;
        std::optional<std::vector<fs::path>> files = plugins::ModuleFiles(ctx.pluginDir, error);
        if (!files) PrintError(ctx, "validate", error);
        if (files && files->empty()) {
            PrintError(ctx, "validate", fmt::format("no plug-in modules (*.dlo) in {}", ctx.pluginDir.string()));
            return std::nullopt;
        }
        return files;
    }
    std::vector<fs::path> files;
    for (const std::string& name : options.modules) {
        std::error_code ec;
        const fs::file_status status = fs::status(name, ec);
        if (status.type() == fs::file_type::not_found || ec) {
            PrintError(ctx, "validate", name + ": no such module file");
            return std::nullopt;
        }
        if (fs::is_directory(status)) {
            PrintError(ctx, "validate", name + ": a folder, not a module file (give it with --plugins)");
            return std::nullopt;
        }
        files.emplace_back(name);
    }
    return files;
}

int Validate(CommandContext& ctx, const ValidateOptions& options) {
    const std::vector<std::string> known = validate::CheckNames();
    for (const std::string& check : options.checks) {
        if (std::find(known.begin(), known.end(), check) != known.end()) continue;
        return PrintError(ctx, "validate",
                          fmt::format("--check {}: no such check (the checks: {})", check, fmt::join(known, ", ")), 2);
    }
    std::optional<std::vector<fs::path>> modules = ModulesToValidate(ctx, options);
    if (!modules) return 1;

    validate::ValidationOptions run;
    run.modules = std::move(*modules);
    run.seed = options.seed ? *options.seed : std::random_device()();
    run.timeLimit = std::chrono::milliseconds(static_cast<long long>(options.timeLimit * 1000.0));
    run.only = options.checks;
    std::function<void(const validate::CheckResult&)> print;
    if (!options.json) {
        print = [&ctx, &run](const validate::CheckResult& result) {
            validate::WriteResultLine(result, run.seed, *ctx.out);
            ctx.out->flush();
        };
    }
    const validate::ValidationReport report = validate::Validate(run, print);
    if (options.json)
        *ctx.out << validate::ValidationJson(report).dump(2, ' ', false, text::Json::error_handler_t::replace)
                 << '\n';
    else
        validate::WriteSummaryLine(report, *ctx.out);
    return report.Failed() > 0 ? 1 : 0;
}

}  // namespace

void AddValidateCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command = app.add_subcommand(
        "validate", "Check plug-in modules against the host's contracts, each check in a process of its own");
    auto options = std::make_shared<ValidateOptions>();
    command->add_option("MODULE", options->modules, "Module files (*.dlo) to check; default: every module of the "
                                                    "plug-in folder");
    command->add_option("--seed", options->seed, "Seed of the checks' random choices; a failure prints the one that "
                                                 "replays it (default: a new one each run)")
        ->check(CLI::Validator(
            [](const std::string& text) {
                uint64_t value = 0;
                const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
                const bool whole = !text.empty() && ec == std::errc() && end == text.data() + text.size();
                return whole ? std::string() : fmt::format("expected a whole number from 0 to {}", UINT64_MAX);
            },
            "N"));
    command->add_flag("--json", options->json, "Write the results as one JSON document");
    command->add_option("--check", options->checks, "Run only this check (repeatable)")->type_name("NAME");
    command->add_option("--time-limit", options->timeLimit, "Seconds a check may take before it counts as hung")
        ->check(CLI::Range(0.1, 3600.0))
        ->capture_default_str();
    command->callback([&ctx, options] { ctx.exitCode = Validate(ctx, *options); });
}

}  // namespace zg::cli
