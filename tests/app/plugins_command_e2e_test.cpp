// `zentrograph plugins` run as a user runs it: the built program, its own default
// plug-in folder, output on stdout and stderr, and its exit status.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "tests/app/module_files.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

using testsupport::ProgramRun;
using testsupport::RunZentrograph;

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
}

TEST(PluginsCommandEndToEnd, AMissingFolderFails) {
    testsupport::TempFolder folder;
    const auto missing = folder.Path() / "gone";
    const ProgramRun run = RunZentrograph({"--plugins", missing.string(), "plugins"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, missing.string() + ": plug-in folder does not exist\n");
}
