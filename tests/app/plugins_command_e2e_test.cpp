// `zentrograph plugins` run as a user runs it: the built program, its own default
// plug-in folder, output on stdout and stderr, and its exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/module_files.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

using testsupport::ProgramRun;
using testsupport::RunZentrograph;
namespace fs = std::filesystem;

TEST(PluginsCommandEndToEnd, JsonListsTheZentrographClass) {
    const ProgramRun run = RunZentrograph({"plugins", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json["modules"].size(), 1u) << run.out;
    const auto& module = json["modules"][0];
    EXPECT_EQ(module["description"], "Direcly view the effect of spacewarps");
    EXPECT_EQ(module["version"], 0x23281500);
    ASSERT_EQ(module["classes"].size(), 1u);
    const auto& cls = module["classes"][0];
    EXPECT_EQ(cls["name"], "Zentrograph");
    EXPECT_EQ(cls["category"], "Tarnwick");
    EXPECT_EQ(cls["superClassId"], 80);
    EXPECT_EQ(cls["classId"], nlohmann::json::array({251750295, 1982531954}));
    EXPECT_EQ(cls["public"], true);
}

TEST(PluginsCommandEndToEnd, TextListsTheClassForTheDemo) {
    const ProgramRun run = RunZentrograph({"plugins"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("class Zentrograph  category Tarnwick  super class 0x50  class id (0x0F016797, "
                           "0x762B0972)  public"),
              std::string::npos)
        << run.out;
}

TEST(PluginsCommandEndToEnd, AFolderOfGarbageIsReportedAndSkipped) {
    testsupport::TempFolder folder;
    const auto garbage = folder.Write("x.dlo", loadertest::Garbage());
    const ProgramRun run = RunZentrograph({"plugins", "--plugins", folder.Path().string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.starts_with(garbage.string() + ": not a loadable module: ")) << run.err;
    EXPECT_NE(run.err.find("skipped 1 of 1 plug-in module in " + folder.Path().string() + "\n"), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("No plug-in modules (*.dlo) loaded."), std::string::npos) << run.out;

    const ProgramRun json = RunZentrograph({"plugins", "--json", "--plugins", folder.Path().string()});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::parse(R"({"modules": []})"));

    // Beside a module that offers a class it cannot give: one line for each, and the
    // classes that could be had listed.
    fs::create_symlink(loadertest::TestModule("gauges"), folder.Path() / "gauges.dlo");
    const std::string dir = folder.Path().string();
    const ProgramRun mixed = RunZentrograph({"plugins", "--plugins", dir});
    EXPECT_EQ(mixed.exitCode, 0);
    std::istringstream err(mixed.err);
    std::vector<std::string> lines;
    for (std::string line; std::getline(err, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << mixed.err;
    EXPECT_EQ(lines[0], dir + "/gauges.dlo: LibClassDesc(1) answered none");
    EXPECT_TRUE(lines[1].starts_with(garbage.string() + ": not a loadable module: ")) << lines[1];
    EXPECT_EQ(lines[2], "skipped 1 of 2 plug-in modules in " + dir);
    EXPECT_NE(mixed.out.find("class Ring Gauge  category Gauges"), std::string::npos) << mixed.out;
    EXPECT_NE(mixed.out.find("1 module, 2 classes"), std::string::npos) << mixed.out;
}

TEST(PluginsCommandEndToEnd, AMissingFolderFailsWithOneLine) {
    testsupport::TempFolder folder;
    const std::string missing = (folder.Path() / "gone").string();
    for (const auto& args : {std::vector<std::string>{"--plugins", missing, "plugins"},
                             std::vector<std::string>{"plugins", "--plugins", missing},
                             std::vector<std::string>{"plugins", "--plugins", missing, "--json"}}) {
        const ProgramRun run = RunZentrograph(args);
        EXPECT_NE(run.exitCode, 0) << testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, missing + ": plug-in folder does not exist\n");
    }
}
