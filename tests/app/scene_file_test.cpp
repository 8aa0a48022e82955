// Scene files: round trips, defaults, stores through the parameter blocks, atomic
// saving, and one clear error for every kind of bad file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "app/scene/placeholder.h"
#include "app/scene/scene_file.h"
#include "app/text/json_numbers.h"
#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_classes.h"
#include "app/warps/builtin_object.h"
#include "app/warps/param_defs.h"
#include "app/warps/range_accessor.h"
#include "host/heap.h"
#include "tests/support/temp_folder.h"

namespace {

using host::Point3;
using zg::scene::ClassResolver;
using zg::scene::Node;
using zg::scene::Scene;

// ---- A test class with every parameter type a file can hold -------------------------------

// Accepts space-warp nodes only, as a force-node list does.
class WarpsOnly : public host::PBValidator {
public:
    int Validate(host::PB2Value& v) override {
        return v.node != nullptr && v.node->GetObjectRef() != nullptr &&
                       v.node->GetObjectRef()->SuperClassID() == host::kWSMObjectSuperClassId
                   ? 1
                   : 0;
    }
};

host::ClassDesc2* ListerClassDesc();

// A helper with an integer (clamped to 1..10), a switch, a float and a node list.
class Lister final : public zg::warps::BuiltinObject<host::HelperObject> {
public:
    Lister() : BuiltinObject(ListerClassDesc()) {}

protected:
    void BuildIcon(host::TimeValue, zg::warps::Icon&) override {}
};

namespace lister {
constexpr host::ParamID kCount = 0;
constexpr host::ParamID kEnabled = 1;
constexpr host::ParamID kGain = 2;
constexpr host::ParamID kTargets = 3;
}  // namespace lister

host::ClassDesc2* ListerClassDesc() {
    static WarpsOnly validator;
    static zg::warps::BuiltinClassDesc desc("Lister", host::kHelperSuperClassId, host::Class_ID(0x7E5A1001, 0x7E5A1002),
                                            "Test", []() -> host::Animatable* { return new Lister(); });
    static host::ParamBlockDesc2 block(&desc, zg::warps::BuiltinBlockDef(), [] {
        host::ParamDef count;
        count.id = lister::kCount;
        count.internalName = "count";
        count.type = host::TYPE_INT;
        count.defaultInt = 3;
        count.range = host::ParamRange{1, 10};
        count.accessor = zg::warps::TheRangeAccessor();
        host::ParamDef targets;
        targets.id = lister::kTargets;
        targets.internalName = "targets";
        targets.type = host::TYPE_INODE_TAB;
        targets.flags = host::P_VARIABLE_SIZE;
        targets.validator = &validator;
        return std::vector<host::ParamDef>{count, zg::warps::BoolParam(lister::kEnabled, "enabled", false),
                                           zg::warps::FloatParam(lister::kGain, "gain", 1.0f, -3.5e38, 3.5e38), targets};
    }());
    return &desc;
}

ClassResolver TestClasses() {
    ClassResolver classes;
    classes.byName = [](std::string_view name) -> host::ClassDesc2* {
        if (name == "Lister") return ListerClassDesc();
        for (host::ClassDesc2* desc : zg::warps::BuiltinClasses())
            if (name == desc->InternalName()) return desc;
        return nullptr;
    };
    classes.byId = [](host::SClass_ID superClass, host::Class_ID id) -> host::ClassDesc2* {
        if (id == ListerClassDesc()->ClassID()) return ListerClassDesc();
        for (host::ClassDesc2* desc : zg::warps::BuiltinClasses())
            if (desc->SuperClassID() == superClass && desc->ClassID() == id) return desc;
        return nullptr;
    };
    return classes;
}

std::unique_ptr<Scene> Read(const std::string& text, std::string& error) {
    return zg::scene::ReadScene(text, "scene.json", TestClasses(), error);
}

std::string Write(Scene& scene) {
    std::string error;
    const std::optional<std::string> text = zg::scene::WriteScene(scene, TestClasses(), error);
    EXPECT_TRUE(text) << error;
    return text.value_or("");
}

const std::string kFullScene = R"({
  "zentrographScene": 1,
  "fps": 30,
  "frames": [-10, 250],
  "nodes": [
    {"name": "List", "class": "Lister",
     "params": {"count": 7, "enabled": true, "gain": 0.1, "targets": ["Wind01", null, "Pull"]},
     "position": {"keys": [[0, [0, 0, 0]], [2.5, [1, 2, 3]], [30, [10, -4, 0.25]]]},
     "rotation": [12.5, -90, 370], "scale": [1, 2, 0.333333343267],
     "wireColor": "#12aBff", "selected": true, "frozen": true},
    {"name": "Wind01", "class": "Wind", "params": {"turbulence": 2, "frequency": 0.5, "scale": 3, "spherical": true}},
    {"name": "Pull", "class": "Gravity", "params": {"strength": -2.5, "decay": 0.125}},
    {"name": "Swirl", "class": "Vortex"}, {"name": "Slow", "class": "Drag"}, {"name": "Push", "class": "UniformForce"},
    {"name": "Wall", "class": "Barrier"}, {"name": "Rings", "class": "Ripple"}, {"name": "Pin", "class": "Anchor"},
    {"name": "Mark", "class": "Point", "params": {"size": 4}}
  ],
  "viewports": [{"name": "Cam", "projection": "perspective", "eye": [1, 2, 3.5], "target": [0, 0, 0], "fov": 30},
                {"name": "F", "projection": "front", "center": [1, 0, 2], "width": 8, "boxOnly": true}]
})";

// ---- Round trips ----------------------------------------------------------------------------

TEST(SceneFileTest, SaveLoadSaveIsIdenticalAndKeepsEveryValue) {
    std::string error;
    std::unique_ptr<Scene> scene = Read(kFullScene, error);
    ASSERT_NE(scene, nullptr) << error;
    const std::string first = Write(*scene);
    std::unique_ptr<Scene> again = Read(first, error);
    ASSERT_NE(again, nullptr) << error << "\n" << first;
    EXPECT_EQ(Write(*again), first);

    EXPECT_EQ(again->Rate().Fps(), 30);
    EXPECT_EQ(again->StartFrame(), -10);
    EXPECT_EQ(again->EndFrame(), 250);
    ASSERT_EQ(again->NodeCount(), 10);
    Node* list = again->FindNode("List");
    ASSERT_NE(list, nullptr);
    host::ParamBlock* block = list->GetObjectRef()->GetParamBlock(0);
    EXPECT_EQ(block->GetInt(lister::kCount), 7);
    EXPECT_EQ(block->GetInt(lister::kEnabled), 1);
    EXPECT_EQ(block->GetFloat(lister::kGain), 0.1f);
    ASSERT_EQ(block->Count(lister::kTargets), 3);
    EXPECT_EQ(block->GetNode(lister::kTargets, 0, 0), again->FindNode("Wind01"));
    EXPECT_EQ(block->GetNode(lister::kTargets, 0, 1), nullptr);
    EXPECT_EQ(block->GetNode(lister::kTargets, 0, 2), again->FindNode("Pull"));
    // Frame 2.5 at 30 fps is tick 400; tick 2600 lies halfway between the last two keys.
    EXPECT_EQ(list->Position().Keys()[1].time, 400);
    EXPECT_EQ(list->GetObjectTM(2600).GetTrans(), Point3(5.5f, -1.0f, 1.625f));
    EXPECT_EQ(list->GetWireColor(), 0x00FFAB12u);
    EXPECT_TRUE(list->IsSelected());
    EXPECT_TRUE(list->IsFrozen());
    ASSERT_EQ(again->Views().size(), 2u);
    EXPECT_EQ(again->Views()[0].kind, zg::scene::ViewKind::kPerspective);
    EXPECT_EQ(again->Views()[0].eye, (zg::Vec3d{1, 2, 3.5}));
    EXPECT_EQ(again->Views()[0].up, (zg::Vec3d{0, 0, 1}));
    EXPECT_EQ(again->Views()[0].fov, 30.0);
    EXPECT_EQ(again->Views()[1].kind, zg::scene::ViewKind::kFront);
    EXPECT_EQ(again->Views()[1].center, (zg::Vec3d{1, 0, 2}));
    EXPECT_EQ(again->Views()[1].width, 8.0);
    EXPECT_TRUE(again->Views()[1].boxOnly);
    EXPECT_EQ(again->FindNode("Mark")->GetObjectRef()->GetParamBlock(0)->GetFloat(0), 4.0f);
}

TEST(SceneFileTest, FloatsReadBackToTheSameSinglePrecisionValue) {
    const float values[] = {0.1f,
                            1.0f / 3.0f,
                            -2.0f / 7.0f,
                            1e-7f,
                            123456.789f,
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::min()};
    Scene scene;
    std::string error;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        auto* object = static_cast<host::Object*>(ListerClassDesc()->Create(0));
        Node* node = scene.AddNode("N" + std::to_string(i), object, error);
        object->GetParamBlock(0)->SetFloat(lister::kGain, 0, values[i]);
        node->SetPosition(zg::scene::AnimatedPoint(Point3(values[i], -values[i], values[i] / 2)));
    }
    const std::string text = Write(scene);
    EXPECT_NE(text.find("0.1,"), std::string::npos) << "0.1f is written short";
    std::unique_ptr<Scene> loaded = Read(text, error);
    ASSERT_NE(loaded, nullptr) << error;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        Node* node = loaded->NodeAt(static_cast<int>(i));
        const float gain = node->GetObjectRef()->GetParamBlock(0)->GetFloat(lister::kGain);
        EXPECT_EQ(std::bit_cast<uint32_t>(gain), std::bit_cast<uint32_t>(values[i])) << values[i];
        EXPECT_EQ(node->Position().At(0), Point3(values[i], -values[i], values[i] / 2));
    }
}

TEST(SceneFileTest, MissingFieldsTakeTheirDefaults) {
    std::string error;
    std::unique_ptr<Scene> scene =
        Read(R"({"zentrographScene": 1, "nodes": [{"name": "G", "class": "Gravity"}, {"name": "L", "class": "Lister"}]})",
             error);
    ASSERT_NE(scene, nullptr) << error;
    EXPECT_EQ(scene->Rate().Fps(), 25);
    EXPECT_EQ(scene->StartFrame(), 0);
    EXPECT_EQ(scene->EndFrame(), 100);
    EXPECT_TRUE(scene->Views().empty());
    Node* g = scene->FindNode("G");
    EXPECT_EQ(g->GetObjectTM(0), host::Matrix3(Point3::XAxis, Point3::YAxis, Point3::ZAxis, Point3::Origin));
    EXPECT_EQ(g->GetWireColor(), Scene::DefaultWireColor(0));
    EXPECT_EQ(scene->FindNode("L")->GetWireColor(), Scene::DefaultWireColor(1));
    EXPECT_FALSE(g->IsSelected());
    EXPECT_FALSE(g->IsFrozen());
    EXPECT_EQ(g->GetObjectRef()->GetParamBlock(0)->GetFloat(0), 1.0f);
    EXPECT_EQ(scene->FindNode("L")->GetObjectRef()->GetParamBlock(0)->GetInt(lister::kCount), 3);
}

TEST(SceneFileTest, ValuesPassThroughTheAccessor) {
    std::string error;
    std::unique_ptr<Scene> scene = Read(R"({"zentrographScene": 1, "nodes": [
        {"name": "G", "class": "Gravity", "params": {"decay": -5, "strength": 5e6}},
        {"name": "L", "class": "Lister", "params": {"count": 4000, "gain": 2.0}}]})",
                                        error);
    ASSERT_NE(scene, nullptr) << error;
    host::ParamBlock* gravity = scene->FindNode("G")->GetObjectRef()->GetParamBlock(0);
    EXPECT_EQ(gravity->GetFloat(1), 0.0f);
    EXPECT_EQ(gravity->GetFloat(0), 999999.0f);
    EXPECT_EQ(scene->FindNode("L")->GetObjectRef()->GetParamBlock(0)->GetInt(lister::kCount), 10);
}

TEST(SceneFileTest, SavingReplacesTheFileAtomicallyAndKeepsItsMode) {
    testsupport::TempFolder folder;
    const std::filesystem::path file = folder.Write("demo.json", "old contents");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    std::string error;
    std::unique_ptr<Scene> scene = Read(kFullScene, error);
    ASSERT_NE(scene, nullptr) << error;
    ASSERT_TRUE(zg::scene::SaveSceneFile(*scene, file, TestClasses(), error)) << error;

    std::ifstream in(file);
    std::stringstream saved;
    saved << in.rdbuf();
    EXPECT_EQ(saved.str(), Write(*scene));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // The scene file and the previous one as .bak remain: no temporary file is left behind.
    std::set<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) entries.insert(entry.path().filename());
    EXPECT_EQ(entries, (std::set<std::string>{"demo.json", "demo.json.bak"}));
    std::ifstream backup(folder.Path() / "demo.json.bak");
    std::stringstream kept;
    kept << backup.rdbuf();
    EXPECT_EQ(kept.str(), "old contents");

    std::unique_ptr<Scene> loaded = zg::scene::LoadSceneFile(file, TestClasses(), error);
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_EQ(loaded->NodeCount(), scene->NodeCount());
}

TEST(SceneFileTest, SavingIntoAMissingFolderFailsAndNamesTheFile) {
    Scene scene;
    std::string error;
    EXPECT_FALSE(zg::scene::SaveSceneFile(scene, "/nonexistent-folder/x/scene.json", TestClasses(), error));
    EXPECT_NE(error.find("/nonexistent-folder/x/scene.json"), std::string::npos) << error;
}

TEST(SceneFileTest, SavingANodeOfAnUnknownClassFails) {
    Scene scene;
    std::string error;
    scene.AddNode("Lost", nullptr, error);
    EXPECT_FALSE(zg::scene::WriteScene(scene, TestClasses(), error));
    EXPECT_NE(error.find("\"Lost\" shows no object"), std::string::npos) << error;
}

TEST(SceneFileTest, UnreadableFilesNameThePath) {
    testsupport::TempFolder folder;
    std::string error;
    EXPECT_EQ(zg::scene::LoadSceneFile(folder.Path() / "missing.json", TestClasses(), error), nullptr);
    EXPECT_NE(error.find("missing.json: cannot open"), std::string::npos) << error;
    EXPECT_EQ(zg::scene::LoadSceneFile(folder.Path(), TestClasses(), error), nullptr);
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
    const auto empty = folder.Write("empty.json", "");
    EXPECT_EQ(zg::scene::LoadSceneFile(empty, TestClasses(), error), nullptr);
    EXPECT_NE(error.find("empty.json:1:1:"), std::string::npos) << error;
}

// ---- Bad files --------------------------------------------------------------------------------

struct BadFile {
    const char* what;
    std::string text;
    const char* expected;  // the error must contain this
};
void PrintTo(const BadFile& file, std::ostream* os) { *os << file.what; }

// A scene around one node's JSON.
std::string WithNode(const std::string& node) { return R"({"zentrographScene": 1, "nodes": [)" + node + "]}"; }

std::string GravityWith(const std::string& fields) {
    return WithNode(R"({"name": "G", "class": "Gravity", )" + fields + "}");
}

// `count` copies of `item`, separated by commas.
std::string Repeated(const std::string& item, std::size_t count) {
    std::string list = item;
    for (std::size_t i = 1; i < count; ++i) list += ", " + item;
    return list;
}

// A node whose "params" value nests lists 100,000 levels deep.
std::string GravityJsonNested() {
    const std::size_t depth = 100000;
    return R"({"name": "G", "class": "Gravity", "params": {"strength": )" + std::string(depth, '[') +
           std::string(depth, ']') + "}}";
}

class BadSceneFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadSceneFileTest, IsRefusedWithOneLineNamingWhere) {
    const BadFile& bad = GetParam();
    const std::size_t live = host::GetHeapStats().liveBlocks;
    std::string error;
    EXPECT_EQ(Read(bad.text, error), nullptr);
    EXPECT_EQ(error.rfind("scene.json", 0), 0u) << error;
    EXPECT_NE(error.find(bad.expected), std::string::npos) << "error: " << error << "\nexpected: " << bad.expected;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    // Nothing of the half-read scene remains.
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
}

const std::string kLister = R"({"name": "L", "class": "Lister", "params": {"targets": )";
const std::string kTargets = R"({"name": "W", "class": "Wind"}, {"name": "P", "class": "Point"})";

INSTANTIATE_TEST_SUITE_P(
    Syntax, BadSceneFileTest,
    ::testing::Values(
        BadFile{"TrailingComma", "{\n  \"zentrographScene\": 1,\n  \"fps\": 25,\n}", "scene.json:4:1: syntax error"},
        BadFile{"NaNLiteral", "{\"zentrographScene\": 1,\n \"fps\": NaN}", "scene.json:2:9:"},
        BadFile{"Truncated", "{\"zentrographScene\": 1, \"nodes\": [", "scene.json:1:35: syntax error while parsing value - unexpected end of input"},
        BadFile{"DuplicateKey", GravityWith(R"("position": [0, 0, 0], "position": [1, 1, 1])"),
                "scene.json: nodes[0]: duplicate key \"position\""},
        BadFile{"DuplicateTopKey", R"({"zentrographScene": 1, "fps": 25, "fps": 30})", "duplicate key \"fps\""}),
    [](const auto& info) { return info.param.what; });

INSTANTIATE_TEST_SUITE_P(
    Document, BadSceneFileTest,
    ::testing::Values(BadFile{"NotAnObject", "[1, 2]", "not a Zentrograph scene"},
                      BadFile{"NoVersion", R"({"fps": 25})", "\"zentrographScene\" is missing"},
                      BadFile{"OtherVersion", R"({"zentrographScene": 2})", "zentrographScene: version 2 is not supported"},
                      BadFile{"UnknownKey", R"({"zentrographScene": 1, "colour": 1})", "scene.json: colour: unknown key"},
        BadFile{"NulByte", std::string(R"({"zentrographScene": 1})") + '\0' + "more", "scene.json:1:24: a NUL byte"},
        BadFile{"KeyWithALineBreak", R"({"zentrographScene": 1, "a\nb": 1})", "scene.json: a\\nb: unknown key"},
                      BadFile{"FpsNotDividing4800", R"({"zentrographScene": 1, "fps": 7})", "fps: 7 frames per second does not divide 4800"},
                      BadFile{"FpsZero", R"({"zentrographScene": 1, "fps": 0})", "fps: 0 frames per second does not divide"},
                      BadFile{"FpsString", R"({"zentrographScene": 1, "fps": "25"})", "fps: expected a whole number, got string"},
                      BadFile{"FpsFraction", R"({"zentrographScene": 1, "fps": 24.5})", "fps: expected a whole number"},
                      BadFile{"FramesBackwards", R"({"zentrographScene": 1, "frames": [10, 5]})", "frames: the first frame comes after"},
                      BadFile{"FramesShape", R"({"zentrographScene": 1, "frames": [10]})", "frames: expected [first, last]"},
                      BadFile{"FrameBeyondTime", R"({"zentrographScene": 1, "fps": 1, "frames": [0, 2000000]})",
                              "frames[1]: frame lies outside the time range"},
                      BadFile{"NodesNotAList", R"({"zentrographScene": 1, "nodes": {}})", "nodes: expected a list of nodes, got object"},
                      BadFile{"ViewportsNotAList", R"({"zentrographScene": 1, "viewports": 3})", "viewports: expected a list"}),
    [](const auto& info) { return info.param.what; });

INSTANTIATE_TEST_SUITE_P(
    Nodes, BadSceneFileTest,
    ::testing::Values(
        BadFile{"NodeNotAnObject", WithNode("3"), "nodes[0]: expected a node object, got number"},
        BadFile{"MissingName", WithNode(R"({"class": "Gravity"})"), "nodes[0].name: missing"},
        BadFile{"EmptyName", WithNode(R"({"name": "", "class": "Gravity"})"), "nodes[0].name: a node name cannot be empty"},
        BadFile{"NameNotString", WithNode(R"({"name": 5, "class": "Gravity"})"), "nodes[0].name: expected a string, got number"},
        BadFile{"DuplicateNames", WithNode(R"({"name": "A", "class": "Gravity"}, {"name": "A", "class": "Wind"})"),
                "nodes[1].name: duplicate node name \"A\" (also nodes[0])"},
        BadFile{"MissingClass", WithNode(R"({"name": "A"})"), "nodes[0].class: missing"},
        BadFile{"NestedTooDeep", WithNode(GravityJsonNested()), "scene.json:1:152: values nested deeper than 64 levels"},
        BadFile{"TooManyNodes", WithNode(Repeated(R"({"name": "P", "class": "Point"})", 10001)),
                "scene.json: nodes: 10001 nodes, more than the 10000 a scene may hold"},
        BadFile{"TooManyTableEntries", WithNode(R"({"name": "A", "class": "Anchor"}, {"name": "L", "class": "Lister",
                                                   "params": {"targets": [)" + Repeated(R"("A")", 10001) + "]}}"),
                "nodes[1].params.targets: 10001 entries, more than the 10000 a node table may hold"},
        BadFile{"TooManyViews", R"({"zentrographScene": 1, "viewports": [)" + Repeated("{}", 101) + "]}",
                "scene.json: viewports: 101 viewports, more than the 100 a scene may hold"},
        BadFile{"UnknownNodeKey", GravityWith(R"("postion": [0, 0, 0])"), "nodes[0].postion: unknown key"},
        BadFile{"UnknownParameter", GravityWith(R"("params": {"strenght": 2})"),
                "nodes[0].params.strenght: class Gravity has no parameter \"strenght\""},
        BadFile{"ParamsNotAnObject", GravityWith(R"("params": [1])"), "nodes[0].params: expected an object"},
        BadFile{"FloatAsString", GravityWith(R"("params": {"strength": "strong"})"),
                "nodes[0].params.strength: expected a number, got string"},
        BadFile{"BoolAsNumber", GravityWith(R"("params": {"spherical": 1})"),
                "nodes[0].params.spherical: expected true or false, got number"},
        BadFile{"HugeFloat", GravityWith(R"("params": {"strength": 1e39})"),
                "nodes[0].params.strength: number is not finite or lies beyond the single-precision range"},
        BadFile{"OverflowingFloat", GravityWith(R"("params": {"strength": -1e400})"),
                "scene.json:1:92: number overflow parsing '-1e400'"},
        BadFile{"IntFraction", WithNode(R"({"name": "L", "class": "Lister", "params": {"count": 2.5}})"),
                "nodes[0].params.count: expected a whole number"},
        BadFile{"IntBeyondRange", WithNode(R"({"name": "L", "class": "Lister", "params": {"count": 1e10}})"),
                "nodes[0].params.count: 10000000000 lies outside"},
        BadFile{"PositionTooShort", GravityWith(R"("position": [1, 2])"), "nodes[0].position: expected [x, y, z]"},
        BadFile{"PositionWrongType", GravityWith(R"("position": [1, "a", 3])"),
                "nodes[0].position[1]: expected a number, got string"},
        BadFile{"ScaleHuge", GravityWith(R"("scale": [1, 1, 1e39])"), "nodes[0].scale[2]: number is not finite"},
        BadFile{"RotationNotAPoint", GravityWith(R"("rotation": "45")"),
                "nodes[0].rotation: expected [x, y, z] or {\"keys\": [...]}, got string"},
        BadFile{"KeysEmpty", GravityWith(R"("position": {"keys": []})"), "nodes[0].position.keys: expected a non-empty list"},
        BadFile{"KeysMissing", GravityWith(R"("position": {})"), "nodes[0].position.keys: missing"},
        BadFile{"KeysUnknownKey", GravityWith(R"("position": {"keys": [[0, [0, 0, 0]]], "ease": 1})"),
                "nodes[0].position.ease: unknown key"},
        BadFile{"KeysNotIncreasing", GravityWith(R"("position": {"keys": [[5, [0, 0, 0]], [5, [1, 1, 1]]]})"),
                "nodes[0].position.keys[1][0]: frames must increase"},
        BadFile{"KeyShape", GravityWith(R"("position": {"keys": [[0, 0, 0]]})"),
                "nodes[0].position.keys[0]: expected [frame, [x, y, z]]"},
        BadFile{"KeyValueOverflow", GravityWith(R"("rotation": {"keys": [[0, [0, 1e999, 0]]]})"),
                "number overflow parsing '1e999'"},
        BadFile{"KeyFrameBeyondTime", GravityWith(R"("position": {"keys": [[1e12, [0, 0, 0]]]})"),
                "nodes[0].position.keys[0][0]: frame lies outside the time range"},
        BadFile{"WireColorName", GravityWith(R"("wireColor": "red")"), "nodes[0].wireColor: \"red\" is not a colour"},
        BadFile{"WireColorNotHex", GravityWith(R"("wireColor": "#12345g")"), "is not a colour"},
        BadFile{"SelectedAsString", GravityWith(R"("selected": "yes")"), "nodes[0].selected: expected true or false"}),
    [](const auto& info) { return info.param.what; });

INSTANTIATE_TEST_SUITE_P(
    NodeTables, BadSceneFileTest,
    ::testing::Values(BadFile{"TableNotAList", WithNode(kLister + R"("W"}})"),
                              "nodes[0].params.targets: expected a list of node names, got string"},
                      BadFile{"MissingNode", WithNode(kLister + R"(["W", "Ghost"]}}, )" + kTargets),
                              "nodes[0].params.targets[1]: no node named \"Ghost\""},
                      BadFile{"RefusedNode", WithNode(kLister + R"([null, "P"]}}, )" + kTargets),
                              "nodes[0].params.targets[1]: node \"P\" is refused by the parameter"},
                      BadFile{"EntryNotAName", WithNode(kLister + R"([3]}}, )" + kTargets),
                              "nodes[0].params.targets[0]: expected a node name or null, got number"}),
    [](const auto& info) { return info.param.what; });

// A scene around a viewports list.
std::string WithViews(const std::string& views) { return R"({"zentrographScene": 1, "viewports": [)" + views + "]}"; }
const std::string kTop = R"({"name": "A", "projection": "top", "center": [0, 0, 0], "width": 1)";
const std::string kPersp = R"({"name": "P", "projection": "perspective", "eye": [0, 0, 1], "target": [0, 0, 0])";

INSTANTIATE_TEST_SUITE_P(
    Viewports, BadSceneFileTest,
    ::testing::Values(
        BadFile{"ViewNotAnObject", WithViews("7"), "viewports[0]: expected a viewport object, got number"},
        BadFile{"ViewWithoutName", WithViews(R"({"projection": "top", "center": [0, 0, 0], "width": 1})"),
                "viewports[0].name: missing"},
        BadFile{"EmptyViewName", WithViews(R"({"name": "", "projection": "top", "center": [0, 0, 0], "width": 1})"),
                "viewports[0].name: a view name cannot be empty"},
        BadFile{"UnknownProjection", WithViews(R"({"name": "A", "projection": "side"})"), "viewports[0].projection: expected"},
        BadFile{"NoCenter", WithViews(R"({"name": "A", "projection": "top", "width": 1})"), "viewports[0].center: missing"},
        BadFile{"ShortCenter", WithViews(R"({"name": "A", "projection": "top", "center": [0, 0], "width": 1})"),
                "viewports[0].center: expected [x, y, z]"},
        BadFile{"ZeroWidth", WithViews(R"({"name": "A", "projection": "top", "center": [0, 0, 0], "width": 0})"),
                "viewports[0].width: must be a finite number above 0"},
        BadFile{"FovOnOrtho", WithViews(kTop + R"(, "fov": 3})"), "viewports[0].fov: unknown key"},
        BadFile{"EyeOnTarget", WithViews(kTop + "}, " + R"({"name": "P", "projection": "perspective", "eye": [0, 0, 0], "target": [0, 0, 0]})"),
                "viewports[1].target: must differ from eye"},
        BadFile{"FovTooWide", WithViews(kPersp + R"(, "fov": 180})"), "viewports[0].fov: must lie strictly between 0 and 180"},
        BadFile{"ZeroUp", WithViews(kPersp + R"(, "up": [0, 0, 0]})"), "viewports[0].up: must not be the zero vector"},
        BadFile{"BoxOnlyNotASwitch", WithViews(kTop + R"(, "boxOnly": 1})"), "viewports[0].boxOnly: expected true or false"},
        BadFile{"DuplicateViewName", WithViews(kTop + "}, " + kTop + "}"),
                "viewports[1].name: duplicate viewport name \"A\" (also viewports[0])"}),
    [](const auto& info) { return info.param.what; });

TEST(SceneFileTest, ANodeOfAMissingClassIsKeptAsAPlaceholderAndSavedBackUnchanged) {
    const std::string magnet = R"({"name": "M", "class": "Magnet", "params": {"pull": [1, {"x": null}], "on": true}})";
    std::string error;
    zg::scene::SceneWarnings warnings;
    std::unique_ptr<Scene> scene = zg::scene::ReadScene(
        WithNode(magnet + R"(, {"name": "L", "class": "Lister", "params": {"targets": ["M"]}})"), "scene.json",
        TestClasses(), error, &warnings);
    ASSERT_NE(scene, nullptr) << error;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].starts_with("scene.json: nodes[0].class: no loaded module offers class \"Magnet\""))
        << warnings[0];
    const auto saved = nlohmann::ordered_json::parse(Write(*scene));
    EXPECT_EQ(saved["nodes"][0]["class"], "Magnet");
    EXPECT_EQ(saved["nodes"][0]["params"], nlohmann::ordered_json::parse(magnet)["params"]);
    EXPECT_EQ(saved["nodes"][1]["params"]["targets"], nlohmann::ordered_json::parse(R"(["M"])"));
}

}  // namespace

namespace {

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

host::Object* MakeObject(const char* className) {
    return static_cast<host::Object*>(TestClasses().byName(className)->Create(1));
}

}  // namespace

// Whatever a scene can be made to hold is saved whole and reads back; what a file
// cannot hold is refused where the scene grows, or by the writer before the file is
// touched.
TEST(SceneFileTest, EveryNameAndLimitASceneCanReachSavesAndReadsBack) {
    testsupport::TempFolder folder;
    const std::filesystem::path file = folder.Write("limits.json", "previous");
    const std::vector<std::string> names = {"plain", "two words", "Kraftfeld \xE2\x9C\x93", "tab\there",
                                            "line\nbreak", "quote\" back\\slash", "bell\a esc\x1B[31m",
                                            std::string(255, 'n'), std::string(5000, 'L')};
    Scene scene;
    std::string error;
    Node* lister = scene.AddNode("Lister", MakeObject("Lister"), error);
    ASSERT_NE(lister, nullptr) << error;
    host::ParamBlock* block = lister->GetObjectRef()->GetParamBlock(0);
    for (const std::string& name : names) {
        Node* node = scene.AddNode(name, MakeObject("Gravity"), error);
        ASSERT_NE(node, nullptr) << error;
        ASSERT_TRUE(block->Append(lister::kTargets, node));
    }
    // A name holding a NUL is refused with a reason, never cut short.
    host::Object* spare = MakeObject("Gravity");
    EXPECT_EQ(scene.AddNode(std::string("cut\0short", 9), spare, error), nullptr);
    EXPECT_NE(error.find("NUL"), std::string::npos) << error;
    EXPECT_FALSE(scene.RenameNode(lister, std::string("a\0b", 3)));
    // Up to the most a file holds, and not one more.
    while (static_cast<std::size_t>(scene.NodeCount()) < zg::scene::kMaxSceneNodes)
        ASSERT_NE(scene.AddNode(fmt::format("Fill{}", scene.NodeCount()), MakeObject("Point"), error), nullptr) << error;
    EXPECT_EQ(scene.AddNode("one too many", spare, error), nullptr);
    EXPECT_NE(error.find("10000 nodes"), std::string::npos) << error;
    spare->DeleteThis();

    ASSERT_TRUE(zg::scene::SaveSceneFile(scene, file, TestClasses(), error)) << error;
    std::unique_ptr<Scene> loaded = zg::scene::LoadSceneFile(file, TestClasses(), error);
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_EQ(static_cast<std::size_t>(loaded->NodeCount()), zg::scene::kMaxSceneNodes);
    host::ParamBlock* read = loaded->FindNode("Lister")->GetObjectRef()->GetParamBlock(0);
    ASSERT_EQ(read->Count(lister::kTargets), static_cast<int>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(static_cast<Node*>(read->GetNode(lister::kTargets, 0, static_cast<int>(i)))->Name(), names[i]);

    // What the reader would refuse is refused before anything on disk changes.
    const std::string saved = FileText(file);
    Scene other;
    Node* stranger = other.AddNode("Stranger", MakeObject("Gravity"), error);
    ASSERT_TRUE(block->Append(lister::kTargets, stranger));
    EXPECT_FALSE(zg::scene::SaveSceneFile(scene, file, TestClasses(), error));
    EXPECT_NE(error.find("not in the scene"), std::string::npos) << error;
    block->Delete(lister::kTargets, static_cast<int>(names.size()), 1);
    zg::scene::ViewDefinition flat;
    flat.name = "Flat";
    flat.kind = zg::scene::ViewKind::kTop;
    flat.width = 0.0;
    scene.SetViews({flat});
    EXPECT_FALSE(zg::scene::SaveSceneFile(scene, file, TestClasses(), error));
    EXPECT_NE(error.find("viewports[0].width"), std::string::npos) << error;
    EXPECT_EQ(FileText(file), saved);
    // A file naming a node with an escaped NUL is refused, not read as another name.
    EXPECT_EQ(Read(WithNode(R"({"name": "cut\u0000short", "class": "Point"})"), error), nullptr);
    EXPECT_NE(error.find("nodes[0].name: a node name cannot hold a NUL"), std::string::npos) << error;
}

// An object's keys are checked for repeats as they come: a placeholder's parameters
// with 200,000 keys read at once, and a repeat of the first key at the end is found.
TEST(SceneFileTest, ObjectsOfManyKeysReadAndTheirRepeatsAreFound) {
    std::string params;
    for (int i = 0; i < 200000; ++i) params += fmt::format("{}\"k{}\": {}", i == 0 ? "" : ", ", i, i);
    const auto node = [&](const std::string& more) {
        return WithNode(R"({"name": "M", "class": "Magnet", "params": {)" + params + more + "}}");
    };
    std::string error;
    std::unique_ptr<Scene> scene = Read(node(""), error);
    ASSERT_NE(scene, nullptr) << error;
    EXPECT_EQ(zg::scene::AsPlaceholder(scene->FindNode("M")->GetObjectRef())->Params().size(), 200000u);
    EXPECT_EQ(Read(node(R"(, "k0": 1)"), error), nullptr);
    EXPECT_EQ(error, "scene.json: nodes[0].params: duplicate key \"k0\"");
}
