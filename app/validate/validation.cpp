#include "app/validate/validation.h"

#include <fmt/format.h>
#include <fmt/ostream.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <random>

#include "app/validate/checks.h"
#include "host/heap.h"

namespace zg::validate {

namespace {

// A child's memory budget unless ZENTROGRAPH_MEMORY_BUDGET names one: large enough
// for any sensible object, small enough that a check never takes the machine.
constexpr std::size_t kChildBudget = std::size_t{1} << 30;

uint64_t CheckSeed(uint64_t seed, std::string_view check) {
    uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a over the name, then a splitmix64 step
    for (char c : check) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    uint64_t z = seed ^ h;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

std::string RunCheck(const Check& check, const std::filesystem::path& module, uint64_t seed, ChildReport& report) {
    if (std::getenv("ZENTROGRAPH_MEMORY_BUDGET") == nullptr) host::SetMemoryBudget(kChildBudget);
    std::mt19937_64 rng(CheckSeed(seed, check.name));
    CheckContext context{module, report, rng};
    return check.run(context);
}

const char* Tag(Outcome outcome) {
    switch (outcome) {
        case Outcome::kPassed: return "PASS";
        case Outcome::kFailed: return "FAIL";
        case Outcome::kCrashed: return "CRASH";
        case Outcome::kTimedOut: return "TIMEOUT";
    }
    return "FAIL";
}

std::string Replay(const CheckResult& result, uint64_t seed) {
    return fmt::format("--seed {} --check {}", seed, result.check);
}

}  // namespace

const std::vector<Check>& Checks() {
    static const std::vector<Check> checks = {
        {"load-unload", CheckLoadUnload},   {"descriptors", CheckDescriptors}, {"create-delete", CheckCreateDelete},
        {"defaults", CheckDefaults},        {"instances", CheckInstances},     {"extreme-values", CheckExtremeValues},
        {"node-tables", CheckNodeTables},   {"clone", CheckClone},             {"save-load", CheckSaveLoad},
        {"cache", CheckCache},              {"creation", CheckCreation},       {"rollouts", CheckRollouts},
    };
    return checks;
}

int ValidationReport::Passed() const {
    return static_cast<int>(std::count_if(results.begin(), results.end(),
                                          [](const CheckResult& r) { return r.outcome == Outcome::kPassed; }));
}

int ValidationReport::Failed() const { return static_cast<int>(results.size()) - Passed(); }

std::vector<std::string> CheckNames() {
    std::vector<std::string> names;
    for (const Check& check : Checks()) names.emplace_back(check.name);
    return names;
}

ValidationReport Validate(const ValidationOptions& options, const std::function<void(const CheckResult&)>& onResult) {
    ValidationReport report;
    report.seed = options.seed;
    for (const std::filesystem::path& module : options.modules) {
        for (const Check& check : Checks()) {
            if (!options.only.empty() && std::find(options.only.begin(), options.only.end(), check.name) == options.only.end())
                continue;
            const ChildResult child = RunInChild(
                [&](ChildReport& r) { return RunCheck(check, module, options.seed, r); }, options.timeLimit);
            report.results.push_back({module, std::string(check.name), child.outcome, child.message});
            if (onResult) onResult(report.results.back());
        }
    }
    return report;
}

void WriteResultLine(const CheckResult& result, uint64_t seed, std::ostream& out) {
    fmt::print(out, "{:<7} {}  {:<14} {}", Tag(result.outcome), result.module.filename().string(), result.check,
               result.message);
    if (result.outcome != Outcome::kPassed) fmt::print(out, "  (replay: {})", Replay(result, seed));
    fmt::print(out, "\n");
}

void WriteSummaryLine(const ValidationReport& report, std::ostream& out) {
    fmt::print(out, "{} passed, {} failed\n", report.Passed(), report.Failed());
}

text::Json ValidationJson(const ValidationReport& report) {
    text::Json checks = text::Json::array();
    for (const CheckResult& r : report.results) {
        text::Json entry = {{"module", r.module.string()},
                                        {"check", r.check},
                                        {"outcome", OutcomeName(r.outcome)},
                                        {"message", r.message}};
        if (r.outcome != Outcome::kPassed) entry["replay"] = Replay(r, report.seed);
        checks.push_back(std::move(entry));
    }
    return {{"seed", report.seed}, {"checks", std::move(checks)}, {"passed", report.Passed()}, {"failed", report.Failed()}};
}

}  // namespace zg::validate
