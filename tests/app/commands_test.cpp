// `zentrograph render`, `pick` and `samples` run as a user runs them: the built program
// with its own plug-in folder, in a scratch folder, output on stdout and stderr and an
// exit status.
#include <cairo.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "app/text/one_line.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::ProgramRun;
using testsupport::ReadFile;

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// A field viewer with lattice and markers on, its default resolutions, a top view 4
// units wide (320 pixels per unit at 1280x720) and a front view.
constexpr const char* kHelperScene = R"({"zentrographScene": 1,
  "nodes": [{"name": "Helper01", "class": "Zentrograph",
             "params": {"displayLattice": true, "displayVectorBases": true}}],
  "viewports": [{"name": "Top", "projection": "top", "center": [0, 0, 0], "width": 4},
                {"name": "Front", "projection": "front", "center": [0, 0, 0], "width": 4}]})";

// A moved, turned field viewer sampling a vortex.
constexpr const char* kVortexScene = R"({"zentrographScene": 1,
  "nodes": [{"name": "Swirl", "class": "Vortex", "position": [1, 0, 0]},
            {"name": "Viewer", "class": "Zentrograph", "position": [2, -1, 0.5], "rotation": [0, 0, 30],
             "params": {"sizeX": 4, "sizeY": 3, "resolutionX": 5, "resolutionY": 4, "resolutionZ": 2,
                        "forceNodes": ["Swirl"]}}]})";

class CommandsTest : public ::testing::Test {
protected:
    // Runs the program in the scratch folder.
    ProgramRun Run(const std::vector<std::string>& arguments) {
        return testsupport::RunZentrograph(arguments, scratch.Path());
    }
    fs::path Write(const std::string& name, const std::string& text) { return scratch.Write(name, text); }
    // The files of the scratch folder.
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch.Path())) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    testsupport::TempFolder scratch;
};

// Items of a display list counted by node (or "" for the host) and kind.
std::map<std::pair<std::string, std::string>, int> CountItems(const json& list) {
    std::map<std::pair<std::string, std::string>, int> counts;
    for (const json& item : list["items"]) {
        const std::string node = item["node"].is_null() ? "" : item["node"].get<std::string>();
        for (const char* kind : {"polyline", "segments", "marker"}) {
            if (item.contains(kind)) ++counts[{node, kind}];
        }
    }
    return counts;
}

TEST_F(CommandsTest, RenderWritesTheDisplayListOfOneView) {
    Write("helper.json", kHelperScene);
    const ProgramRun run = Run({"render", "helper.json", "-o", "x.json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "x.json\n");
    EXPECT_EQ(run.err, "");
    const json list = json::parse(ReadFile(scratch.Path() / "x.json"));
    EXPECT_EQ(list["width"], 1280);
    EXPECT_EQ(list["height"], 720);
    EXPECT_EQ(list["view"], "Top");  // the first view
    EXPECT_EQ(list["frame"], 0);
    auto counts = CountItems(list);
    EXPECT_EQ((counts[{"Helper01", "polyline"}]), 6 + 2912);
    EXPECT_EQ((counts[{"Helper01", "segments"}]), 1);
    EXPECT_EQ((counts[{"Helper01", "marker"}]), 2601);
    EXPECT_GT((counts[{"", "polyline"}]), 0);
    for (const json& item : list["items"]) {
        if (item.contains("segments") && item["node"] == "Helper01") {
            EXPECT_EQ(item["segments"].size(), 2601u);
        }
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"helper.json", "x.json"}));  // no temporary file left

    const ProgramRun front = Run({"render", "helper.json", "-o", "front.json", "--view", "Front", "--size", "300x200"});
    ASSERT_EQ(front.exitCode, 0) << front.err;
    const json frontList = json::parse(ReadFile(scratch.Path() / "front.json"));
    EXPECT_EQ(frontList["view"], "Front");
    EXPECT_EQ(frontList["width"], 300);
}

cairo_surface_t* LoadPng(const fs::path& file) { return cairo_image_surface_create_from_png(file.c_str()); }

bool NotFlat(cairo_surface_t* image) {
    cairo_surface_flush(image);
    const int w = cairo_image_surface_get_width(image);
    const int h = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const uint32_t first = *reinterpret_cast<const uint32_t*>(data);
    int differing = 0;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) differing += row[x] != first ? 1 : 0;
    }
    return differing > w * h / 20;
}

TEST_F(CommandsTest, RenderDrawsPngAndSvgImages) {
    Write("helper.json", kHelperScene);
    ProgramRun run = Run({"render", "helper.json", "-o", "views.png", "--size", "640x360"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    cairo_surface_t* image = LoadPng(scratch.Path() / "views.png");
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 640);
    EXPECT_EQ(cairo_image_surface_get_height(image), 360);
    EXPECT_TRUE(NotFlat(image));
    cairo_surface_destroy(image);

    run = Run({"render", "helper.json", "-o", "top.svg", "--view", "Top"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string svg = ReadFile(scratch.Path() / "top.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 1280 720\""), std::string::npos);
    // Sized in pixels, so that a browser shows it as large as the PNG.
    EXPECT_NE(svg.find("width=\"1280px\" height=\"720px\""), std::string::npos) << svg.substr(0, 300);

    // Without -o the image is named after the scene.
    run = Run({"render", "helper.json", "--view", "quad", "--size", "200x100"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "helper.png\n");
    EXPECT_TRUE(fs::exists(scratch.Path() / "helper.png"));
}

TEST_F(CommandsTest, RenderWithoutASceneDrawsTheDemo) {
    const ProgramRun run = Run({"render"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "demo.png\n");
    cairo_surface_t* image = LoadPng(scratch.Path() / "demo.png");
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 1280);
    EXPECT_EQ(cairo_image_surface_get_height(image), 720);
    EXPECT_TRUE(NotFlat(image));
    cairo_surface_destroy(image);

    // The demo's display list: a field viewer over three force fields, markers on.
    const ProgramRun list = Run({"render", "-o", "demo.json", "--view", "Top"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::set<std::string> nodes;
    int markers = 0;
    const json demo = json::parse(ReadFile(scratch.Path() / "demo.json"));
    for (const json& item : demo["items"]) {
        if (!item["node"].is_null()) nodes.insert(item["node"].get<std::string>());
        markers += item.contains("marker") ? 1 : 0;
    }
    EXPECT_EQ(nodes, (std::set<std::string>{"FieldViewer", "Vortex", "Gravity", "Wind"}));
    EXPECT_GT(markers, 0);
}

TEST_F(CommandsTest, RenderFramesWritesNumberedFiles) {
    Write("helper.json", kHelperScene);
    const ProgramRun run = Run({"render", "helper.json", "--frames", "3:5", "-o", "seq.json", "--view", "Top"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "seq_0003.json\nseq_0004.json\nseq_0005.json\n");
    EXPECT_EQ(run.err, "");  // progress only on a terminal
    for (int f = 3; f <= 5; ++f) {
        const json list = json::parse(ReadFile(scratch.Path() / ("seq_000" + std::to_string(f) + ".json")));
        EXPECT_EQ(list["frame"], f);
    }
}

TEST_F(CommandsTest, RenderFailuresAreOneLineAndNonZero) {
    Write("helper.json", kHelperScene);
    Write("badview.json", R"({"zentrographScene": 1,
        "viewports": [{"name": "P", "projection": "perspective", "eye": [0, 0, 5], "target": [0, 0, 0],
                       "fov": 200}]})");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string mentions;
    };
    const Case cases[] = {
        {{"render", "helper.json", "--view", "Side", "-o", "a.png"}, 1, "the scene's views: Top, Front"},
        {{"render", "badview.json", "-o", "a.png"}, 1, "badview.json: viewports[0].fov"},
        {{"render", "helper.json", "-o", "a.png", "--size", "big"}, 1, "--size"},
        {{"render", "helper.json", "-o", "a.gif"}, 1, "a.gif"},
        {{"render", "helper.json", "-o", "a.json", "--view", "quad"}, 1, "one view"},
        {{"render", "helper.json", "-o", "a.png", "--frames", "5:2"}, 1, "--frames 5:2"},
        {{"render", "missing.json"}, 1, "missing.json"},
        {{"render", "helper.json", "-o", "no/such/folder/a.png"}, 1, "no/such/folder/a.png"},
        {{"render", "helper.json", "--frame", "1", "--frames", "1:2"}, 2, "--frame"},
        {{"render", "helper.json", "-o", "a.png", "--frames", "0:2147483647"}, 1, "more than the 10000"},
        {{"render", "helper.json", "-o", "a.png", "--frames", "-20000000:-19999999"}, 1, "outside the time range"},
        {{"render", "helper.json", "-o", "-", "--frames", "0:1"}, 1, "standard output"},
        {{"render", "helper.json", "-o", "a.png", "--frame", "nan"}, 1, "not a number"},
        {{"render", "helper.json", "--format", "gif"}, 1, "--format gif"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = Run(c.args);
        EXPECT_EQ(run.exitCode, c.status) << c.args[1] << " " << c.args.back() << ": " << run.err;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        if (c.status == 1) {
            EXPECT_EQ(CountLines(run.err), 1) << run.err;
        }
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"badview.json", "helper.json"}));
}

TEST_F(CommandsTest, PickNamesTheNodesOnAPixel) {
    Write("helper.json", kHelperScene);
    // The box's right edge is at x = 640 + 0.5 * 320 = 800 in the top view.
    ProgramRun run = Run({"pick", "helper.json", "--view", "Top", "--at", "800,300"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Helper01\n");
    // Four pixels further than the pick radius of 4.
    run = Run({"pick", "helper.json", "--view", "Top", "--at", "808,300"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    // The same edge at half the size lies at x = 400.
    run = Run({"pick", "helper.json", "--view", "Top", "--at", "400,150", "--size", "640x360"});
    EXPECT_EQ(run.out, "Helper01\n");

    for (const auto& args : {std::vector<std::string>{"pick", "helper.json", "--view", "Side", "--at", "1,1"},
                             std::vector<std::string>{"pick", "helper.json", "--view", "Top", "--at", "1;1"},
                             std::vector<std::string>{"pick", "helper.json", "--view", "Top", "--at", "1280,0"},
                             std::vector<std::string>{"pick", "helper.json", "--at", "1,1"}}) {
        run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_FALSE(run.err.empty());
    }
}

// A name is one line wherever it is printed: line breaks, terminal controls and bytes
// that are not UTF-8 are shown escaped.
TEST_F(CommandsTest, NamesArePrintedOneLineEachAndEscaped) {
    std::string scene = kHelperScene;
    scene.replace(scene.find("Helper01"), 8, "Help\\ner\\u0007\\u001b[2J\\u0085");
    Write("names.json", scene);
    ProgramRun run = Run({"pick", "names.json", "--view", "Top", "--at", "800,300"});
    EXPECT_EQ(run.out, "Help\\ner\\x07\\x1b[2J\\xc2\\x85\n") << run.err;
    run = Run({"scene", "names.json"});
    EXPECT_EQ(CountLines(run.out), 3) << run.out;
    EXPECT_NE(run.out.find("Help\\ner\\x07\\x1b[2J\\xc2\\x85  "), std::string::npos) << run.out;
    const std::pair<std::string, std::string> cases[] = {
        {"caf\xC3\xA9 \xE2\x9C\x93 \xF0\x9F\x8C\x80", "caf\xC3\xA9 \xE2\x9C\x93 \xF0\x9F\x8C\x80"},
        {"cut \xE2\x9C", "cut \\xe2\\x9c"},
        {"stray \x80 overlong \xC0\xAF", "stray \\x80 overlong \\xc0\\xaf"},
        {"surrogate \xED\xA0\x80", "surrogate \\xed\\xa0\\x80"},
        {"del \x7F cr \r", "del \\x7f cr \\r"},
    };
    for (const auto& [raw, shown] : cases) EXPECT_EQ(zg::text::OneLine(raw), shown) << shown;
}

TEST_F(CommandsTest, SamplesAgreeWithTheSceneOnTheWorldBox) {
    Write("vortex.json", kVortexScene);
    const ProgramRun samples = Run({"samples", "vortex.json", "--object", "Viewer"});
    ASSERT_EQ(samples.exitCode, 0) << samples.err;
    const json doc = json::parse(samples.out);
    EXPECT_EQ(doc["object"], "Viewer");
    EXPECT_EQ(doc["size"], json::parse("[4, 3, 1]"));
    EXPECT_EQ(doc["resolution"], json::parse("[5, 4, 2]"));
    EXPECT_EQ(doc["vectorScale"], 10);
    ASSERT_EQ(doc["positions"].size(), 40u);
    ASSERT_EQ(doc["vectors"].size(), 40u);
    // The lattice spans the size: the first sample at the minimum corner, the last at
    // the maximum.
    EXPECT_EQ(doc["positions"][0], json::parse("[-2, -1.5, -0.5]"));
    EXPECT_EQ(doc["positions"][39], json::parse("[2, 1.5, 0.5]"));

    const ProgramRun scene = Run({"scene", "vortex.json", "--json"});
    ASSERT_EQ(scene.exitCode, 0) << scene.err;
    const json listing = json::parse(scene.out);
    json viewerBox;
    for (const json& node : listing["nodes"]) {
        if (node["name"] == "Viewer") viewerBox = node["worldBox"];
    }
    ASSERT_FALSE(viewerBox.is_null()) << scene.out;
    for (const char* corner : {"min", "max"}) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(doc["worldBox"][corner][i].get<float>(), viewerBox[corner][i].get<float>()) << corner << i;
        }
    }
}

TEST_F(CommandsTest, SamplesWriteCsvAndVtkFiles) {
    Write("vortex.json", kVortexScene);
    ProgramRun run = Run({"samples", "vortex.json", "--object", "Viewer", "-o", "s.csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string csv = ReadFile(scratch.Path() / "s.csv");
    EXPECT_EQ(csv.rfind("index,ix,iy,iz,px,py,pz,vx,vy,vz\n0,0,0,0,-2,-1.5,-0.5,", 0), 0u) << csv.substr(0, 80);
    EXPECT_EQ(CountLines(csv), 41);
    EXPECT_NE(csv.find("\n39,4,3,1,2,1.5,0.5,"), std::string::npos);

    run = Run({"samples", "vortex.json", "--object", "Viewer", "--format", "vtk", "-o", "s.out"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string vtk = ReadFile(scratch.Path() / "s.out");
    EXPECT_EQ(vtk.rfind("# vtk DataFile Version 3.0\n", 0), 0u);
    EXPECT_NE(vtk.find("POINTS 40 float\n"), std::string::npos);
    EXPECT_NE(vtk.find("VECTORS force float\n"), std::string::npos);
    EXPECT_NE(vtk.find("SCALARS magnitude float 1\n"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    };
    const Case failures[] = {
        {{"samples", "vortex.json", "--object", "Nobody"}, "Nobody"},
        {{"samples", "vortex.json", "--object", "Swirl"}, "not a field viewer"},
        {{"samples", "vortex.json", "--object", "Viewer", "--format", "xml"}, "xml"},
    };
    for (const Case& c : failures) {
        run = Run(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
    }
}

// Whatever names an input as the output (itself, a link, a hard link, a scene whose
// own name ends in .png, a loaded module) is refused before anything is written.
TEST_F(CommandsTest, NoOutputOverwritesAnInput) {
    const fs::path scene = Write("helper.json", kHelperScene);
    Write("helper.png", kHelperScene);
    fs::create_symlink("helper.json", scratch.Path() / "soft.png");
    fs::create_hard_link(scene, scratch.Path() / "hard.csv");
    fs::create_directory(scratch.Path() / "plugins");
    fs::copy_file(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo", scratch.Path() / "plugins" / "Z.dlo");
    const std::vector<std::vector<std::string>> commands = {
        {"render", "helper.json", "-o", "helper.json"},
        {"render", "helper.png"},
        {"render", "helper.json", "-o", "soft.png"},
        {"render", "helper.json", "-o", "hard.csv", "--format", "svg"},
        {"render", "helper_0001.json", "--frames", "0:1", "-o", "helper.json"},
        {"samples", "helper.json", "--object", "Helper01", "-o", "helper.json"},
        {"samples", "helper.json", "--object", "Helper01", "-o", "hard.csv"},
        {"samples", "helper.json", "--object", "Helper01", "-o", "plugins/Z.dlo", "--plugins", "plugins"},
    };
    Write("helper_0001.json", kHelperScene);
    const auto before = Files();
    for (const auto& args : commands) {
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.exitCode, 1) << args[1] << " " << args[2] << ": " << run.err;
        EXPECT_NE(run.err.find("would overwrite the input"), std::string::npos) << run.err;
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
    }
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(ReadFile(scene), kHelperScene);
    EXPECT_EQ(ReadFile(scratch.Path() / "helper.png"), kHelperScene);
    EXPECT_EQ(ReadFile(scratch.Path() / "plugins" / "Z.dlo"), ReadFile(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo"));
}

TEST_F(CommandsTest, ADashOrADeviceIsWrittenStraight) {
    Write("vortex.json", kVortexScene);
    ProgramRun run = Run({"render", "vortex.json", "-o", "-", "--size", "64x32"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("\x89PNG", 0), 0u);
    run = Run({"samples", "vortex.json", "--object", "Viewer", "-o", "-", "--format", "csv"});
    EXPECT_EQ(CountLines(run.out), 41);
    run = Run({"render", "vortex.json", "-o", "/dev/null", "--format", "svg"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Files(), (std::vector<std::string>{"vortex.json"}));
}

// Forces whose product overflows, and a lattice the memory budget refuses: samples
// fails with a warning, render warns and draws what it can.
TEST_F(CommandsTest, ResultsThatAreNotWholeAreNamedOnStandardError) {
    Write("huge.json", R"({"zentrographScene": 1,
      "nodes": [{"name": "Swirl", "class": "Vortex", "params": {"orbital": 3e38}},
                {"name": "Viewer", "class": "Zentrograph", "params": {"vectorScale": 3e38, "forceNodes": ["Swirl"]}}]})");
    ProgramRun run = Run({"samples", "huge.json", "--object", "Viewer", "-o", "s.csv"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("samples: warning: node \"Viewer\": 2601 of 2601 samples hold numbers that are not finite"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(CountLines(ReadFile(scratch.Path() / "s.csv")), 2602);
    run = Run({"render", "huge.json", "-o", "h.png"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "render: warning: node \"Viewer\": drew points that are not finite numbers; they are left out\n");

    Write("big.json", R"({"zentrographScene": 1, "nodes": [{"name": "Viewer", "class": "Zentrograph",
      "params": {"resolutionX": 999, "resolutionY": 999, "resolutionZ": 999}}]})");
    setenv("ZENTROGRAPH_MEMORY_BUDGET", "64M", 1);
    run = Run({"samples", "big.json", "--object", "Viewer", "-o", "b.csv"});
    const ProgramRun render = Run({"render", "big.json", "-o", "b.png", "--size", "64x64"});
    unsetenv("ZENTROGRAPH_MEMORY_BUDGET");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "samples: node \"Viewer\": the memory budget of 64 MiB has no room for its lattice of "
                       "997002999 samples (set ZENTROGRAPH_MEMORY_BUDGET to allow more)\n");
    EXPECT_FALSE(fs::exists(scratch.Path() / "b.csv"));
    EXPECT_EQ(render.exitCode, 0);
    EXPECT_NE(render.err.find("render: warning: node \"Viewer\": the memory budget of 64 MiB"), std::string::npos)
        << render.err;
}

TEST_F(CommandsTest, EveryCommandExplainsItself) {
    for (const auto& [command, option] : {std::pair{"render", "--frames"}, std::pair{"pick", "--at"},
                                          std::pair{"samples", "--format"}}) {
        const ProgramRun run = Run({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_NE(run.out.find(option), std::string::npos) << run.out;
    }
}

}  // namespace
