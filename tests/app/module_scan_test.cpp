// Scanning plug-in modules in a child process: a module that crashes, hangs, ends the
// process or throws while it is loaded is one line and a skip, and verdicts are
// cached by the module file's identity.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/plugins/class_directory.h"
#include "app/plugins/module_scan.h"
#include "tests/app/module_files.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using loadertest::TestModule;
using zg::plugins::ModuleScanner;
using zg::plugins::ScanSettings;
using zg::plugins::ScanVerdict;

constexpr std::chrono::milliseconds kLimit{1500};

struct ScanCase {
    const char* module;
    bool usable;
    const char* says;  // in the problem line after the file's name
};

const ScanCase kCases[] = {
    {"gauges", true, ""},
    {"prints_loading", true, ""},
    {"crashes_on_attach", false, ": skipped: the module crashed with SIGSEGV while loading"},
    {"hangs_counting", false, ": skipped: the module was still loading after 1500 ms and was stopped"},
    {"exits_describing", false, ": skipped: the module ended the process (exit status 3) while loading"},
    {"throws_listing", false, ": skipped: the module threw an exception while listing its classes"},
    {"refuses_attach", false, ": the module refused to attach (its entry routine answered 0)"},
};

// A folder holding a copy of every case's module, and the cache beside it.
struct ScanFolder {
    testsupport::TempFolder folder;
    fs::path Module(const char* name) const { return folder.Path() / "modules" / (std::string(name) + ".dlo"); }
    fs::path Cache() const { return folder.Path() / "cache" / "scan.json"; }
    ScanFolder() {
        fs::create_directory(folder.Path() / "modules");
        for (const ScanCase& c : kCases) fs::copy_file(TestModule(c.module), Module(c.module));
    }
};

TEST(ModuleScan, EachModuleThatMisbehavesIsOneLineAndTheVerdictIsCached) {
    const ScanFolder scan;
    {
        ModuleScanner scanner(ScanSettings{kLimit, scan.Cache()});
        for (const ScanCase& c : kCases) {
            const ScanVerdict verdict = scanner.Scan(scan.Module(c.module));
            EXPECT_EQ(verdict.usable, c.usable) << c.module;
            EXPECT_EQ(verdict.problem, c.usable ? "" : scan.Module(c.module).string() + c.says) << c.module;
            // The exception's own words (a private path) are not repeated.
            EXPECT_EQ(verdict.problem.find("secret"), std::string::npos);
        }
        EXPECT_EQ(scanner.ChildrenRun(), static_cast<int>(std::size(kCases)));
    }
    // The next start asks no child, and one changed file is scanned again.
    ASSERT_EQ(::utimensat(AT_FDCWD, scan.Module("gauges").c_str(), nullptr, 0), 0);
    {
        ModuleScanner scanner(ScanSettings{kLimit, scan.Cache()});
        for (const ScanCase& c : kCases) EXPECT_EQ(scanner.Scan(scan.Module(c.module)).usable, c.usable) << c.module;
        EXPECT_EQ(scanner.ChildrenRun(), 1);
    }
    // A cache that cannot be read is no cache.
    for (const char* broken : {"{\"zentrographModuleScan\": 1, \"host\": \"another build\", \"modules\": []}", "{"}) {
        std::ofstream(scan.Cache()) << broken;
        ModuleScanner scanner(ScanSettings{kLimit, scan.Cache()});
        EXPECT_FALSE(scanner.Scan(scan.Module("crashes_on_attach")).usable);
        EXPECT_EQ(scanner.ChildrenRun(), 1) << broken;
    }
}

// Every command loads its plug-ins through the scan: what a module prints stays off
// the command's output, and the modules that misbehave are skipped.
TEST(ModuleScan, PluginsJsonStaysValidJsonBesideModulesThatMisbehave) {
    const ScanFolder scan;
    fs::remove(scan.Module("hangs_counting"));
    const testsupport::ProgramRun run =
        testsupport::RunZentrograph({"plugins", "--json", "--plugins", (scan.folder.Path() / "modules").string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json["modules"].size(), 2u) << run.out;
    EXPECT_EQ(json["modules"][1]["classes"][0]["name"], "Plain");
    EXPECT_NE(run.err.find("prints_loading: attached"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("skipped 4 of 6 plug-in modules"), std::string::npos) << run.err;
}

}  // namespace
