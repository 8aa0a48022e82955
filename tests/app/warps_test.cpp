// The host's built-in object classes: parameters, force formulas through their force
// fields, and display.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "app/scene/scene.h"
#include "app/warps/builtin_classes.h"
#include "app/warps/class_ids.h"
#include "app/warps/drag.h"
#include "app/warps/gravity.h"
#include "app/warps/inert_warps.h"
#include "app/warps/point_helper.h"
#include "app/warps/uniform_force.h"
#include "app/warps/vortex.h"
#include "app/warps/wind.h"
#include "host/forcefield.h"
#include "host/paramblock.h"
#include "tests/support/plugin_fakes.h"

namespace {

using host::Point3;
using zg::scene::AnimatedPoint;
using zg::scene::Node;
using zg::scene::Scene;

constexpr float k = host::kForceUnit;
constexpr Point3 kUpVelocity{0.0f, 0.0f, 1.0f};

void ExpectNear(const Point3& actual, const Point3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

host::ClassDesc2* ClassNamed(std::string_view name) {
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses())
        if (name == desc->ClassName()) return desc;
    return nullptr;
}

// A scene holding one node of a built-in class, and a way to ask its force field.
class WarpTest : public ::testing::Test {
protected:
    Node* Add(std::string_view className, Point3 position = {}, Point3 rotation = {}, Point3 scale = {1, 1, 1}) {
        host::ClassDesc2* desc = ClassNamed(className);
        EXPECT_NE(desc, nullptr) << className;
        if (desc == nullptr) return nullptr;
        std::string error;
        Node* node = scene.AddNode(scene.UniqueName(className), static_cast<host::Object*>(desc->Create(0)), error);
        node->SetPosition(AnimatedPoint(position));
        node->SetRotation(AnimatedPoint(rotation));
        node->SetScale(AnimatedPoint(scale));
        return node;
    }
    static host::ParamBlock* Params(Node* node) { return node->GetObjectRef()->GetParamBlock(0); }
    static Point3 Force(Node* node, const Point3& pos, host::TimeValue t = 0, const Point3& vel = kUpVelocity) {
        host::ForceField* field = node->GetObjectRef()->GetForceField(node);
        EXPECT_NE(field, nullptr);
        if (field == nullptr) return {};
        const Point3 f = field->Force(t, pos, vel, 0);
        field->DeleteThis();
        return f;
    }

    Scene scene;
};

// ---- Parameters ------------------------------------------------------------------------------

TEST_F(WarpTest, OnlyTheFiveForceClassesGiveForceFields) {
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses()) {
        Node* node = Add(desc->ClassName());
        host::ForceField* field = node->GetObjectRef()->GetForceField(node);
        const std::string name = desc->ClassName();
        const bool exertsForce = name == "Gravity" || name == "Wind" || name == "Vortex" || name == "Drag" ||
                                 name == "UniformForce";
        EXPECT_EQ(field != nullptr, exertsForce) << name;
        if (field != nullptr) field->DeleteThis();
    }
}

TEST_F(WarpTest, DefaultsAsDocumented) {
    struct Default {
        const char* className;
        const char* param;
        float value;
    };
    const Default defaults[] = {
        {"Gravity", "strength", 1.0f}, {"Gravity", "decay", 0.0f},       {"Gravity", "spherical", 0.0f},
        {"Wind", "strength", 1.0f},    {"Wind", "turbulence", 0.0f},     {"Wind", "frequency", 0.0f},
        {"Wind", "scale", 1.0f},       {"Vortex", "orbital", 1.0f},      {"Vortex", "radialPull", 0.5f},
        {"Vortex", "axialDrop", 0.0f}, {"Drag", "damping", 1.0f},        {"UniformForce", "strength", 1.0f},
        {"UniformForce", "directionX", 0.0f}, {"UniformForce", "directionY", 0.0f},
        {"UniformForce", "directionZ", -1.0f}, {"Point", "size", 1.0f},
    };
    for (const Default& d : defaults) {
        Node* node = Add(d.className);
        host::ParamBlock* block = Params(node);
        const host::ParamDef* def = block->FindParamByName(d.param);
        ASSERT_NE(def, nullptr) << d.className << "." << d.param;
        EXPECT_EQ(block->GetFloat(def->id), d.value) << d.className << "." << d.param;
    }
}

TEST_F(WarpTest, StoresAreClampedToTheDeclaredRange) {
    struct Store {
        const char* className;
        const char* param;
        float stored;
        float kept;
    };
    const Store stores[] = {
        {"Gravity", "decay", -1.0f, 0.0f},       {"Gravity", "strength", 2e6f, 999999.0f},
        {"Gravity", "strength", -3.5f, -3.5f},   {"Wind", "scale", 0.0f, 0.001f},
        {"Wind", "frequency", -2.0f, 0.0f},      {"Drag", "damping", -1.0f, 0.0f},
        {"Point", "size", -1.0f, 0.0f},          {"Vortex", "radialPull", -7.0f, -7.0f},
    };
    for (const Store& s : stores) {
        Node* node = Add(s.className);
        host::ParamBlock* block = Params(node);
        const host::ParamID id = block->FindParamByName(s.param)->id;
        EXPECT_TRUE(block->SetFloat(id, 0, s.stored));
        EXPECT_EQ(block->GetFloat(id), s.kept) << s.className << "." << s.param << " <- " << s.stored;
    }
}

TEST_F(WarpTest, CloneCopiesTheParameters) {
    Node* node = Add("Wind");
    Params(node)->SetFloat(zg::warps::wind::kTurbulence, 0, 4.0f);
    host::RemapDir remap;
    auto* copy = static_cast<host::Object*>(node->GetObjectRef()->Clone(remap));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetParamBlock(0), Params(node));
    EXPECT_EQ(copy->GetParamBlock(0)->GetFloat(zg::warps::wind::kTurbulence), 4.0f);
    copy->DeleteThis();
}

// ---- Gravity and wind -----------------------------------------------------------------------

TEST_F(WarpTest, PlanarGravityPullsAlongTheNodesMinusZ) {
    // X by 90 turns the node's Z axis to world -Y: the pull is along +Y.
    Node* node = Add("Gravity", {5.0f, 5.0f, 5.0f}, {90.0f, 0.0f, 0.0f}, {3.0f, 3.0f, 3.0f});
    ExpectNear(Force(node, {0.0f, 0.0f, 0.0f}), {0.0f, k, 0.0f}, 1e-12f);
    ExpectNear(Force(node, {100.0f, -40.0f, 7.0f}), {0.0f, k, 0.0f}, 1e-12f);
    Params(node)->SetFloat(zg::warps::gravity::kStrength, 0, 2.5f);
    ExpectNear(Force(node, {0.0f, 0.0f, 0.0f}), {0.0f, 2.5f * k, 0.0f}, 1e-12f);
    // Unrotated: straight down.
    ExpectNear(Force(Add("Gravity"), {1.0f, 2.0f, 3.0f}), {0.0f, 0.0f, -k}, 1e-12f);
}

TEST_F(WarpTest, GravityDecayFadesWithDistanceFromPlaneOrOrigin) {
    Node* planar = Add("Gravity", {0.0f, 0.0f, 1.0f});
    Params(planar)->SetFloat(zg::warps::gravity::kDecay, 0, 0.5f);
    // 2 above and 2 below the node's plane fade alike; distance along the plane does not count.
    const float faded = k * std::exp(-1.0f);
    ExpectNear(Force(planar, {0.0f, 0.0f, 3.0f}), {0.0f, 0.0f, -faded}, 1e-12f);
    ExpectNear(Force(planar, {50.0f, 0.0f, -1.0f}), {0.0f, 0.0f, -faded}, 1e-12f);

    Node* spherical = Add("Gravity", {1.0f, 1.0f, 1.0f});
    Params(spherical)->SetInt(zg::warps::gravity::kSpherical, 0, 1);
    Params(spherical)->SetFloat(zg::warps::gravity::kDecay, 0, 0.5f);
    ExpectNear(Force(spherical, {1.0f, 1.0f, 5.0f}), {0.0f, 0.0f, -k * std::exp(-2.0f)}, 1e-12f);
}

TEST_F(WarpTest, SphericalGravityPullsToTheOriginAndIsZeroThere) {
    Node* node = Add("Gravity", {1.0f, 2.0f, 3.0f});
    Params(node)->SetInt(zg::warps::gravity::kSpherical, 0, 1);
    EXPECT_EQ(Force(node, {1.0f, 2.0f, 3.0f}), Point3());
    ExpectNear(Force(node, {4.0f, 6.0f, 3.0f}), {-0.6f * k, -0.8f * k, 0.0f}, 1e-12f);
    ExpectNear(Force(node, {1.0f, 2.0f, -1000.0f}), {0.0f, 0.0f, k}, 1e-12f);
}

TEST_F(WarpTest, WindPushesTheOtherWay) {
    Node* planar = Add("Wind", {}, {0.0f, 90.0f, 0.0f});  // Y by 90 turns Z to world +X
    ExpectNear(Force(planar, {3.0f, 3.0f, 3.0f}), {k, 0.0f, 0.0f}, 1e-12f);
    Node* spherical = Add("Wind");
    Params(spherical)->SetInt(zg::warps::wind::kSpherical, 0, 1);
    ExpectNear(Force(spherical, {0.0f, -2.0f, 0.0f}), {0.0f, -k, 0.0f}, 1e-12f);
    EXPECT_EQ(Force(spherical, {0.0f, 0.0f, 0.0f}), Point3());
}

TEST_F(WarpTest, WindTurbulenceIsBoundedSmoothDeterministicAndMovesWithFrequency) {
    Node* node = Add("Wind");
    host::ParamBlock* block = Params(node);
    block->SetFloat(zg::warps::wind::kStrength, 0, 0.0f);
    block->SetFloat(zg::warps::wind::kTurbulence, 0, 2.0f);
    const Point3 p{0.3f, 1.7f, -2.2f};
    const Point3 a = Force(node, p);
    EXPECT_EQ(Force(node, p), a);                       // deterministic
    EXPECT_NE(Force(node, {5.0f, -3.0f, 1.0f}), a);     // varies with position
    EXPECT_LE(host::Length(a), 2.0f * k * std::sqrt(3.0f));
    // Smooth: a tiny step moves the force a tiny amount.
    const Point3 near = Force(node, {0.3001f, 1.7f, -2.2f});
    EXPECT_LT(host::Length(near - a), 2.0f * k * 1e-3f);
    // Frequency 0: the same at every time; above 0 it changes with time.
    EXPECT_EQ(Force(node, p, 4800), a);
    block->SetFloat(zg::warps::wind::kFrequency, 0, 0.5f);
    EXPECT_EQ(Force(node, p, 0), a);
    EXPECT_NE(Force(node, p, 2400), a);
    // A larger scale makes the pattern vary more slowly.
    block->SetFloat(zg::warps::wind::kFrequency, 0, 0.0f);
    const Point3 step{0.5f, 0.0f, 0.0f};
    const float fineChange = host::Length(Force(node, p + step) - a);
    block->SetFloat(zg::warps::wind::kScale, 0, 100.0f);
    const float coarseChange = host::Length(Force(node, p + step) - Force(node, p));
    EXPECT_LT(coarseChange, fineChange);
}

// ---- Vortex, drag, uniform force -------------------------------------------------------------

TEST_F(WarpTest, VortexSwirlsAboutTheNodesZAxis) {
    Node* node = Add("Vortex", {10.0f, 0.0f, 0.0f});
    // At 2 units along +X from the axis: tangent +Y (counter-clockwise from +Z), pull -X.
    ExpectNear(Force(node, {12.0f, 0.0f, 5.0f}), {-0.5f * k, k, 0.0f}, 1e-12f);
    // Along +Y: tangent -X, pull -Y.
    ExpectNear(Force(node, {10.0f, 3.0f, 0.0f}), {-k, -0.5f * k, 0.0f}, 1e-12f);
    // On the axis only the axial drop remains.
    Params(node)->SetFloat(zg::warps::vortex::kAxialDrop, 0, 2.0f);
    ExpectNear(Force(node, {10.0f, 0.0f, -4.0f}), {0.0f, 0.0f, -2.0f * k}, 1e-12f);
    // Turned upside down (X by 180) the swirl reverses and the drop points up.
    Node* flipped = Add("Vortex", {}, {180.0f, 0.0f, 0.0f});
    Params(flipped)->SetFloat(zg::warps::vortex::kAxialDrop, 0, 1.0f);
    ExpectNear(Force(flipped, {2.0f, 0.0f, 0.0f}), {-0.5f * k, -k, k}, 1e-12f);
}

TEST_F(WarpTest, DragOpposesVelocity) {
    Node* node = Add("Drag", {}, {33.0f, 12.0f, 5.0f});
    Params(node)->SetFloat(zg::warps::drag::kDamping, 0, 2.0f);
    ExpectNear(Force(node, {1.0f, 2.0f, 3.0f}, 0, {0.0f, 0.0f, 1.0f}), {0.0f, 0.0f, -2.0f * k}, 1e-12f);
    ExpectNear(Force(node, {}, 0, {3.0f, -4.0f, 0.0f}), {-6.0f * k, 8.0f * k, 0.0f}, 1e-12f);
}

TEST_F(WarpTest, UniformForceIgnoresTheNodeAndNormalisesItsDirection) {
    Node* node = Add("UniformForce", {7.0f, 8.0f, 9.0f}, {45.0f, 30.0f, 60.0f}, {0.1f, 5.0f, -2.0f});
    ExpectNear(Force(node, {100.0f, 0.0f, 0.0f}), {0.0f, 0.0f, -k}, 1e-12f);
    host::ParamBlock* block = Params(node);
    block->SetFloat(zg::warps::uniform_force::kStrength, 0, 3.0f);
    block->SetFloat(zg::warps::uniform_force::kDirectionX, 0, 3.0f);
    block->SetFloat(zg::warps::uniform_force::kDirectionY, 0, 4.0f);
    block->SetFloat(zg::warps::uniform_force::kDirectionZ, 0, 0.0f);
    ExpectNear(Force(node, {-5.0f, 1.0f, 2.0f}, 9600), {1.8f * k, 2.4f * k, 0.0f}, 1e-12f);
    block->SetFloat(zg::warps::uniform_force::kDirectionX, 0, 0.0f);
    block->SetFloat(zg::warps::uniform_force::kDirectionY, 0, 0.0f);
    EXPECT_EQ(Force(node, {}), Point3());
}

TEST_F(WarpTest, OneFieldAnswersEachTimeWithTheNodeWhereItIsThen) {
    // A spherical pull whose node moves from +X at time 0 to +Y at time 100: the same
    // field, asked at one time and then another, follows the node back and forth.
    Node* node = Add("Gravity");
    node->SetPosition(AnimatedPoint({{0, {10.0f, 0.0f, 0.0f}}, {100, {0.0f, 10.0f, 0.0f}}}));
    Params(node)->SetInt(zg::warps::gravity::kSpherical, 0, 1);
    host::ForceField* field = node->GetObjectRef()->GetForceField(node);
    ASSERT_NE(field, nullptr);
    for (const auto& [t, expected] : {std::pair{0, Point3(k, 0.0f, 0.0f)}, std::pair{100, Point3(0.0f, k, 0.0f)},
                                      std::pair{0, Point3(k, 0.0f, 0.0f)}})
        ExpectNear(field->Force(t, {}, kUpVelocity, 0), expected, 1e-12f);
    field->DeleteThis();
}

// ---- Degenerate input -------------------------------------------------------------------------

TEST_F(WarpTest, EveryFieldAnswersFiniteForcesForDegenerateInput) {
    const float huge = std::numeric_limits<float>::max();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Point3 positions[] = {{0, 0, 0}, {huge, -huge, huge}, {nan, 0, 0}, {1e-30f, 0, 0}, {0, 0, 1e30f}};
    const Point3 scales[] = {{1, 1, 1}, {0, 0, 0}, {1, 1, 0}, {huge, huge, huge}};
    for (const char* name : {"Gravity", "Wind", "Vortex", "Drag", "UniformForce"}) {
        for (const Point3& scale : scales) {
            Node* node = Add(name, {}, {10.0f, 20.0f, 30.0f}, scale);
            host::ParamBlock* block = Params(node);
            // Switch on every mode a class has: decay, spherical, turbulence.
            for (const char* param : {"decay", "turbulence", "frequency"})
                if (const host::ParamDef* def = block->FindParamByName(param)) block->SetFloat(def->id, 0, 1.0f);
            for (const Point3& pos : positions) {
                EXPECT_TRUE(host::IsFinite(Force(node, pos, host::kTimePosInfinity, {huge, nan, 1.0f})))
                    << name << " at " << pos.x << "," << pos.y << "," << pos.z;
                if (const host::ParamDef* def = block->FindParamByName("spherical")) {
                    block->SetInt(def->id, 0, 1);
                    EXPECT_TRUE(host::IsFinite(Force(node, pos))) << name << " spherical";
                    block->SetInt(def->id, 0, 0);
                }
            }
        }
    }
}

TEST_F(WarpTest, FlattenedZAxisGivesNoAxisForce) {
    Node* gravity = Add("Gravity", {}, {}, {1.0f, 1.0f, 0.0f});
    EXPECT_EQ(Force(gravity, {1.0f, 1.0f, 1.0f}), Point3());
    Node* vortex = Add("Vortex", {}, {}, {1.0f, 1.0f, 0.0f});
    EXPECT_EQ(Force(vortex, {1.0f, 1.0f, 1.0f}), Point3());
}

// ---- Display ----------------------------------------------------------------------------------

TEST_F(WarpTest, DisplayDrawsTheIconInTheWireColourInsideTheWorldBox) {
    zgtest::RecordingGraphicsWindow gw(host::kRndZBuffer | host::kRndBoxOnly);
    zgtest::FakeViewport viewport(&gw);
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses()) {
        Node* node = Add(desc->ClassName(), {3.0f, -2.0f, 1.0f}, {20.0f, 40.0f, 60.0f}, {2.0f, 1.0f, 0.5f});
        node->SetWireColor(0x00FF8000);  // blue 255, green 128, red 0
        gw.Clear();
        EXPECT_EQ(node->GetObjectRef()->Display(0, node, &viewport, 0), 0);
        const std::string name = desc->ClassName();
        ASSERT_EQ(gw.Count(zgtest::GwOp::SetColor), 1) << name;
        const Point3 color = gw.Of(zgtest::GwOp::SetColor).front().color;
        ExpectNear(color, {0.0f, 128.0f / 255.0f, 1.0f}, 1e-6f);
        EXPECT_GT(gw.Count(zgtest::GwOp::Polyline), 0) << name;
        EXPECT_EQ(gw.Limits(), host::kRndZBuffer | host::kRndBoxOnly) << name;

        host::Box3 box;
        node->GetObjectRef()->GetWorldBoundBox(0, node, &viewport, box);
        ASSERT_FALSE(box.IsEmpty()) << name;
        host::Box3 grown = box;
        grown += box.pmin - Point3(1e-4f, 1e-4f, 1e-4f);
        grown += box.pmax + Point3(1e-4f, 1e-4f, 1e-4f);
        const host::Matrix3 tm = gw.Of(zgtest::GwOp::SetTransform).back().transform;
        for (const zgtest::GwCall& line : gw.Of(zgtest::GwOp::Polyline))
            for (const Point3& p : line.points) EXPECT_TRUE(grown.Contains(tm.PointTransform(p))) << name;
    }
}

TEST_F(WarpTest, TheBoxOnlyStateDrawsAndPicksTheBoxAroundTheIcon) {
    zgtest::RecordingGraphicsWindow gw(host::kRndBoxOnly);
    zgtest::FakeViewport viewport(&gw);
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses()) {
        Node* node = Add(desc->ClassName(), {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 30.0f}, {1.0f, 1.0f, 1.0f});
        const std::string name = desc->ClassName();
        gw.Clear();
        node->GetObjectRef()->Display(0, node, &viewport, 0);
        const auto lines = gw.Of(zgtest::GwOp::Polyline);
        ASSERT_EQ(lines.size(), 6u) << name;
        // Two closed faces of four corners, then the four edges between them.
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].points.size(), i < 2 ? 4u : 2u) << name;
            EXPECT_EQ(lines[i].flag, i < 2 ? 1 : 0) << name;
        }
        // Every point is a corner of the box around the icon, in the icon's space.
        host::Box3 world;
        node->GetObjectRef()->GetWorldBoundBox(0, node, &viewport, world);
        const host::Matrix3 tm = gw.Of(zgtest::GwOp::SetTransform).back().transform;
        host::Box3 drawn;
        for (const zgtest::GwCall& line : lines)
            for (const Point3& p : line.points) drawn += tm.PointTransform(p);
        ExpectNear(drawn.pmin, world.pmin, 1e-4f);
        ExpectNear(drawn.pmax, world.pmax, 1e-4f);
        EXPECT_EQ(gw.Limits(), host::kRndBoxOnly) << name;

        // Picking tests the same box: a window that hits any polyline sees six at most.
        gw.Clear();
        gw.HitWhen([](const zgtest::GwCall& call) { return call.op == zgtest::GwOp::Polyline; });
        host::IPoint2 p{0, 0};
        EXPECT_EQ(node->GetObjectRef()->HitTest(0, node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 1)
            << name;
        EXPECT_EQ(gw.Count(zgtest::GwOp::Polyline), 6) << name;
        gw.HitWhen(nullptr);
    }
}

TEST_F(WarpTest, SelectedAndFrozenNodesUseTheInterfaceColours) {
    zgtest::RecordingGraphicsWindow gw;
    zgtest::FakeViewport viewport(&gw);
    Node* node = Add("Gravity");
    node->SetSelected(true);
    node->SetFrozen(true);
    node->GetObjectRef()->Display(0, node, &viewport, 0);
    EXPECT_EQ(gw.Of(zgtest::GwOp::SetColor).back().color, host::GetUIColor(host::COLOR_SELECTION));
    node->SetSelected(false);
    node->GetObjectRef()->Display(0, node, &viewport, 0);
    EXPECT_EQ(gw.Of(zgtest::GwOp::SetColor).back().color, host::GetUIColor(host::COLOR_FREEZE));
}

TEST_F(WarpTest, HitTestAnswersTheWindowsVerdictAndRestoresLimits) {
    zgtest::RecordingGraphicsWindow gw(host::kRndIllum | host::kRndZBuffer);
    zgtest::FakeViewport viewport(&gw);
    Node* node = Add("Vortex");
    host::IPoint2 p{10, 10};
    EXPECT_EQ(node->GetObjectRef()->HitTest(0, node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 0);
    gw.HitWhen([](const zgtest::GwCall& call) { return call.op == zgtest::GwOp::Polyline; });
    EXPECT_EQ(node->GetObjectRef()->HitTest(0, node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 1);
    EXPECT_EQ(gw.Limits(), host::kRndIllum | host::kRndZBuffer);
    // Drawing for the hit test was done with picking on and shading off.
    const auto limits = gw.Of(zgtest::GwOp::SetRndLimits);
    ASSERT_GE(limits.size(), 2u);
    EXPECT_EQ(limits[limits.size() - 2].limits & (host::kRndPicking | host::kRndIllum), host::kRndPicking);
    EXPECT_EQ(gw.Of(zgtest::GwOp::SetHitRegion).back().region.epsilon, 4);
}

}  // namespace
