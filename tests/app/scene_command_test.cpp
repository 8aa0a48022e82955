// `zentrograph scene`: every node listed with its position and world box at the frame,
// in JSON and in text, in process and as the built program; bad files and frames are
// one line and a non-zero exit.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/commands.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

namespace {

const char* kListedScene = R"({"zentrographScene": 1, "fps": 25, "nodes": [
    {"name": "Viewer", "class": "Zentrograph", "params": {"sizeX": 4, "sizeY": 4, "forceNodes": ["Push"]},
     "position": {"keys": [[0, [0, 0, 0]], [100, [10, 0, 0]]]}},
    {"name": "Push", "class": "UniformForce", "position": [1, 2, 3]}]})";

TEST(SceneCommandTest, JsonListsEveryNodeWithPositionAndWorldBoxAtTheFrame) {
    testsupport::TempFolder folder;
    const auto file = folder.Write("listed.json", kListedScene);
    std::ostringstream out, err;
    zg::cli::CommandContext ctx{ZENTROGRAPH_PLUGIN_DIR, &out, &err};
    ASSERT_EQ(zg::cli::ShowScene(ctx, file, 50.0, true), 0) << err.str();
    const auto json = nlohmann::json::parse(out.str());
    ASSERT_EQ(json["nodes"].size(), 2u);
    const auto& viewer = json["nodes"][0];
    EXPECT_EQ(viewer["name"], "Viewer");
    EXPECT_EQ(viewer["class"], "Zentrograph");
    EXPECT_EQ(viewer["position"], nlohmann::json::parse("[5.0, 0.0, 0.0]"));
    // The lattice box (4 x 4 x 1 around x = 5) widened by the arrows, one unit down.
    const float expectedMin[] = {3.0f, -2.0f, -1.5f};
    const float expectedMax[] = {7.0f, 2.0f, 0.5f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(viewer["worldBox"]["min"][i].get<float>(), expectedMin[i], 1e-5f);
        EXPECT_NEAR(viewer["worldBox"]["max"][i].get<float>(), expectedMax[i], 1e-5f);
    }
    EXPECT_EQ(json["nodes"][1]["class"], "UniformForce");
    EXPECT_EQ(json["nodes"][1]["position"], nlohmann::json::parse("[1.0, 2.0, 3.0]"));

    std::ostringstream text;
    ctx.out = &text;
    ASSERT_EQ(zg::cli::ShowScene(ctx, file, std::nullopt, false), 0);
    EXPECT_NE(text.str().find("2 nodes at frame 0 (25 fps)"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Viewer  Zentrograph"), std::string::npos) << text.str();
}

TEST(SceneCommandTest, BadFilesAndFramesExitNonZeroWithOneLine) {
    testsupport::TempFolder folder;
    const auto bad = folder.Write("bad.json", R"({"zentrographScene": 1, "nodes": [{"name": "A", "class": 7}]})");
    const auto good = folder.Write("good.json", kListedScene);
    std::ostringstream out, err;
    zg::cli::CommandContext ctx{ZENTROGRAPH_PLUGIN_DIR, &out, &err};
    EXPECT_EQ(zg::cli::ShowScene(ctx, bad, std::nullopt, false), 1);
    EXPECT_EQ(err.str(), bad.string() + ": nodes[0].class: expected a class name, got number\n");
    err.str("");
    EXPECT_EQ(zg::cli::ShowScene(ctx, good, 1e12, true), 1);
    EXPECT_NE(err.str().find("--frame"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

// Run as a user runs it.
TEST(SceneCommandEndToEnd, ExitStatusAndStreams) {
    testsupport::TempFolder folder;
    const auto good = folder.Write("good.json", kListedScene);
    const auto bad = folder.Write("bad.json", "{\"zentrographScene\": 1,\n \"fps\": 25,,}");
    const auto run = [](const std::vector<std::string>& args) {
        std::vector<std::string> words{"--plugins", ZENTROGRAPH_PLUGIN_DIR, "scene"};
        words.insert(words.end(), args.begin(), args.end());
        return testsupport::RunZentrograph(words);
    };
    const testsupport::ProgramRun listed = run({good.string(), "--json", "--frame", "100"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(nlohmann::json::parse(listed.out)["nodes"][0]["position"], nlohmann::json::parse("[10.0, 0.0, 0.0]"));
    const testsupport::ProgramRun refused = run({bad.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              bad.string() + ":2:12: syntax error while parsing object key - unexpected ','; expected string literal\n");
}

}  // namespace
