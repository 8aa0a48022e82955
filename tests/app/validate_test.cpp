// The plug-in validator: each check catches the fault it is there for in a module
// made to commit it (tests/modules/faulty_viewer.cpp), the same module without a fault
// passes every check, and `zentrograph validate` reports, replays and refuses as a
// user sees it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

#include "app/validate/validation.h"
#include "tests/app/module_files.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

namespace {

using zg::validate::Outcome;

constexpr const char* kFaultVariable = "ZENTROGRAPH_TEST_FAULT";

// The faulty viewer commits `fault` while it lives.
class FaultScope {
public:
    explicit FaultScope(const char* fault) { setenv(kFaultVariable, fault, 1); }
    ~FaultScope() { unsetenv(kFaultVariable); }
};

zg::validate::ValidationReport ValidateFaultyViewer(std::vector<std::string> only,
                                                    std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    zg::validate::ValidationOptions options;
    options.modules = {loadertest::TestModule("faulty_viewer")};
    options.seed = 1234;
    options.timeLimit = limit;
    options.only = std::move(only);
    return zg::validate::Validate(options);
}

TEST(ValidatorTest, CatchesEachFaultInTheCheckThatLooksForIt) {
    struct Case {
        const char* fault;
        const char* check;
        Outcome outcome;
        const char* message;
    };
    const Case cases[] = {
        {"unload-leak", "load-unload", Outcome::kFailed, "unload 2: +1 host-heap blocks"},
        {"descriptor-range", "descriptors", Outcome::kFailed, "LibClassDesc(1) answered a descriptor"},
        {"create-leak", "create-delete", Outcome::kFailed, "1000 create and delete cycles left +1000 host-heap blocks"},
        {"default-range", "defaults", Outcome::kFailed, "size: the default 150 lies outside its range 0..100"},
        {"shared-state", "instances", Outcome::kFailed, "draws differently since the others were edited"},
        {"nan-draw", "extreme-values", Outcome::kFailed, "stored at its minimum (0): Display drew a marker at ("},
        {"crash", "extreme-values", Outcome::kCrashed, "crashed with SIGABRT"},
        {"hang", "extreme-values", Outcome::kTimedOut, "within 2 s while checking Faulty Viewer with size stored at its minimum"},
        {"stale-node", "node-tables", Outcome::kCrashed, "while offering nodes to Faulty Viewer: nodes"},
        {"clone-shares", "clone", Outcome::kFailed, "the copy shares a parameter block with the original"},
        {"drifting-read", "save-load", Outcome::kFailed, "loading gave other values than were saved: size is"},
        {"stale-cache", "cache", Outcome::kFailed, "Display drew without sampling its fields again"},
        {"creation-matrix", "creation", Outcome::kFailed, "left the creation matrix not finite"},
        {"rollout-leak", "rollouts", Outcome::kFailed, "closing left 1 rollouts in the panel"},
    };
    for (const Case& c : cases) {
        FaultScope fault(c.fault);
        const auto limit = c.outcome == Outcome::kTimedOut ? std::chrono::seconds(2) : std::chrono::seconds(60);
        const zg::validate::ValidationReport report = ValidateFaultyViewer({c.check}, limit);
        ASSERT_EQ(report.results.size(), 1u) << c.fault;
        const zg::validate::CheckResult& result = report.results.front();
        EXPECT_EQ(result.outcome, c.outcome) << c.fault << ": " << result.message;
        EXPECT_NE(result.message.find(c.message), std::string::npos) << c.fault << ": " << result.message;
    }
}

TEST(ValidatorTest, PassesTheModuleWithoutFaultsOnEveryCheck) {
    const zg::validate::ValidationReport report = ValidateFaultyViewer({});
    EXPECT_EQ(report.results.size(), zg::validate::CheckNames().size());
    for (const zg::validate::CheckResult& r : report.results)
        EXPECT_EQ(r.outcome, Outcome::kPassed) << r.check << ": " << r.message;
}

TEST(ValidateCommandTest, WritesOneLinePerCheckOrOneDocumentWithTheSeedThatReplaysAFailure) {
    FaultScope fault("default-range");
    const std::string module = loadertest::TestModule("faulty_viewer").string();
    const auto text = testsupport::RunZentrograph({"validate", module, "--seed", "42", "--check", "defaults", "--check",
                                                   "clone"});
    EXPECT_EQ(text.exitCode, 1) << text.err;
    EXPECT_EQ(text.out.rfind("FAIL    faulty_viewer.dlo  defaults       Faulty Viewer: size", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("  (replay: --seed 42 --check defaults)\nPASS    faulty_viewer.dlo  clone  "),
              std::string::npos)
        << text.out;
    EXPECT_TRUE(text.out.ends_with("\n1 passed, 1 failed\n")) << text.out;

    const auto json = testsupport::RunZentrograph({"validate", module, "--seed", "42", "--check", "defaults", "--json"});
    EXPECT_EQ(json.exitCode, 1);
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["seed"], 42);
    EXPECT_EQ(doc["checks"][0]["outcome"], "failed");
    EXPECT_EQ(doc["checks"][0]["replay"], "--seed 42 --check defaults");
    EXPECT_EQ(doc["failed"], 1);
}

TEST(ValidateCommandTest, RefusesBadInputWithOneLineNamingIt) {
    testsupport::TempFolder folder;
    const std::string garbage = folder.Write("garbage.dlo", loadertest::Garbage()).string();
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* out;  // a fragment of standard output ("" for none)
        const char* err;  // a fragment of standard error
    };
    const Case cases[] = {
        {{"validate", "nowhere.dlo"}, 1, "", "validate: nowhere.dlo: no such module file\n"},
        {{"validate", folder.Path().string()}, 1, "", "a folder, not a module file"},
        {{"validate", "--plugins", folder.Path().string() + "/none"}, 1, "", "plug-in folder does not exist"},
        {{"validate", "--check", "everything", garbage}, 2, "", "--check everything: no such check (the checks: load-unload,"},
        {{"validate", "--time-limit", "0", garbage}, 2, "", "--time-limit"},
        {{"validate", "--seed", "-3", garbage}, 2, "", "--seed"},
        {{"validate", garbage, "--check", "descriptors"}, 1, "not a loadable module", ""},
    };
    for (const Case& c : cases) {
        const auto run = testsupport::RunZentrograph(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1] << ": " << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << c.args[1] << ": " << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args[1] << ": " << run.err;
    }
    std::filesystem::remove(garbage);
    const auto empty = testsupport::RunZentrograph({"validate", "--plugins", folder.Path().string()});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("no plug-in modules (*.dlo) in"), std::string::npos) << empty.err;
}

}  // namespace
