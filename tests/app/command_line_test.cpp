// The command line in process: where the plug-in folder comes from (option before or
// after the command, environment, default), help, version, bad command lines, and
// what `plugins` says of an empty folder. What it reports for missing folders and bad
// modules is tested on the built program (plugins_command_e2e_test.cpp).
#include <CLI/CLI.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/commands.h"
#include "tests/app/module_files.h"
#include "tests/support/temp_folder.h"

using namespace loadertest;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exitCode;
    std::string out;
    std::string err;
};

Outcome RunInProcess(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    zg::cli::CommandContext ctx{zg::cli::DefaultPluginDir(), &out, &err};
    CLI::App app{"Zentrograph"};
    zg::cli::AddPluginsCommand(app, ctx);
    const int code = zg::cli::RunCommandLine(app, args, ctx);
    return {code, out.str(), err.str()};
}

std::vector<std::string> ListedFiles(const Outcome& outcome) {
    std::vector<std::string> files;
    const auto listing = nlohmann::json::parse(outcome.out);
    for (const auto& module : listing["modules"]) {
        files.push_back(fs::path(module["file"].get<std::string>()).filename().string());
    }
    return files;
}

// Every test starts without ZENTROGRAPH_PLUGINS and leaves it as it found it.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* value = std::getenv("ZENTROGRAPH_PLUGINS")) saved_ = value;
        unsetenv("ZENTROGRAPH_PLUGINS");
        fs::create_symlink(TestModule("gauges"), gaugesFolder_.Path() / "gauges.dlo");
    }
    void TearDown() override {
        if (saved_) {
            setenv("ZENTROGRAPH_PLUGINS", saved_->c_str(), 1);
        } else {
            unsetenv("ZENTROGRAPH_PLUGINS");
        }
    }

    testsupport::TempFolder gaugesFolder_;  // holds gauges.dlo only
    testsupport::TempFolder otherFolder_;   // empty until a test fills it

private:
    std::optional<std::string> saved_;
};

}  // namespace

TEST_F(CommandLine, PluginsOptionWorksBeforeAndAfterTheCommand) {
    const std::string dir = gaugesFolder_.Path().string();
    for (const auto& args : {std::vector<std::string>{"--plugins", dir, "plugins", "--json"},
                             std::vector<std::string>{"plugins", "--json", "--plugins", dir},
                             std::vector<std::string>{"plugins", "--plugins=" + dir, "--json"}}) {
        const Outcome outcome = RunInProcess(args);
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(ListedFiles(outcome), (std::vector<std::string>{"gauges.dlo"}));
    }
}

TEST_F(CommandLine, EnvironmentNamesTheFolderUnlessAnOptionDoes) {
    setenv("ZENTROGRAPH_PLUGINS", gaugesFolder_.Path().c_str(), 1);
    EXPECT_EQ(ListedFiles(RunInProcess({"plugins", "--json"})), (std::vector<std::string>{"gauges.dlo"}));
    const std::string other = otherFolder_.Path().string();
    EXPECT_EQ(ListedFiles(RunInProcess({"plugins", "--json", "--plugins", other})), std::vector<std::string>{});
    EXPECT_EQ(ListedFiles(RunInProcess({"--plugins", other, "plugins", "--json"})), std::vector<std::string>{});
}

TEST_F(CommandLine, DefaultFolderIsPluginsBesideTheProgram) {
    // The test program lives beside zentrograph, so its default is the real plug-in folder.
    EXPECT_TRUE(fs::equivalent(zg::cli::DefaultPluginDir(), ZENTROGRAPH_PLUGIN_DIR));
    const Outcome outcome = RunInProcess({"plugins", "--json"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(ListedFiles(outcome), (std::vector<std::string>{"Zentrograph.dlo"}));
}

TEST_F(CommandLine, EmptyFolderIsSaidInText) {
    const Outcome outcome = RunInProcess({"plugins", "--plugins", otherFolder_.Path().string()});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "Plug-in folder " + otherFolder_.Path().string() +
                               "\nNo plug-in modules (*.dlo) loaded.\n0 modules, 0 classes\n");
}

TEST_F(CommandLine, HelpOnTheProgramAndOnEachCommand) {
    const Outcome program = RunInProcess({"--help"});
    EXPECT_EQ(program.exitCode, 0);
    for (const char* text : {"plugins", "--plugins", "--version", "ZENTROGRAPH_PLUGINS"}) {
        EXPECT_NE(program.out.find(text), std::string::npos) << text << " in\n" << program.out;
    }
    const Outcome command = RunInProcess({"plugins", "--help"});
    EXPECT_EQ(command.exitCode, 0);
    EXPECT_NE(command.out.find("--json"), std::string::npos) << command.out;
    EXPECT_NE(command.out.find("--plugins"), std::string::npos) << command.out;
    // Help does not run the command.
    EXPECT_EQ(command.out.find("Zentrograph.dlo"), std::string::npos) << command.out;
}

TEST_F(CommandLine, VersionNamesProgramAndHostInterface) {
    const Outcome outcome = RunInProcess({"--version"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, std::string("zentrograph ") + ZENTROGRAPH_VERSION + " (host interface 0x23281500)\n");
}

TEST_F(CommandLine, BadCommandLinesFailWithAMessage) {
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"nonsense"},
                             std::vector<std::string>{"plugins", "--bogus"},
                             std::vector<std::string>{"plugins", "--plugins"},
                             std::vector<std::string>{"render", "--view", ""},
                             std::vector<std::string>{"scene", "", "--frame", "1"}}) {
        const Outcome outcome = RunInProcess(args);
        EXPECT_EQ(outcome.exitCode, 2) << testing::PrintToString(args);
        EXPECT_TRUE(outcome.err.starts_with("zentrograph: ")) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_EQ(outcome.out.find("module"), std::string::npos) << outcome.out;
    }
}
