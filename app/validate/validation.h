// Validation: every check of app/validate/checks.h run against plug-in modules, each
// check in a child process of its own with a time limit, and the results as one line
// per check or as one JSON document.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/validate/child_run.h"
#include "app/text/json.h"

namespace zg::validate {

struct ValidationOptions {
    std::vector<std::filesystem::path> modules;
    // Every check's random choices follow from this seed and the check's name, so a
    // run with the same seed replays them.
    uint64_t seed = 0;
    std::chrono::milliseconds timeLimit = std::chrono::seconds(60);
    // Names of the checks to run; empty: every check.
    std::vector<std::string> only;
};

struct CheckResult {
    std::filesystem::path module;
    std::string check;
    Outcome outcome = Outcome::kFailed;
    std::string message;
};

struct ValidationReport {
    uint64_t seed = 0;
    std::vector<CheckResult> results;
    int Passed() const;
    int Failed() const;
};

// The names of every check, in the order they run.
std::vector<std::string> CheckNames();

// Runs the checks of `options` on every module, in order, calling `onResult` after each.
ValidationReport Validate(const ValidationOptions& options,
                          const std::function<void(const CheckResult&)>& onResult = {});

// "PASS  module  check  summary", or "FAIL  module  check  reason  (replay: --seed N --check C)"
// with CRASH or TIMEOUT for the other outcomes.
void WriteResultLine(const CheckResult& result, uint64_t seed, std::ostream& out);
// "N passed, N failed".
void WriteSummaryLine(const ValidationReport& report, std::ostream& out);
// {"seed", "checks": [{"module", "check", "outcome", "message", "replay"?}], "passed", "failed"}
text::Json ValidationJson(const ValidationReport& report);

}  // namespace zg::validate
