// The host's built-in object classes: parameters, and force formulas through their force
// fields.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "app/warps/class_ids.h"
#include "app/warps/drag.h"
#include "app/warps/gravity.h"
#include "app/warps/inert_warps.h"
#include "app/warps/point_helper.h"
#include "app/warps/uniform_force.h"
#include "app/warps/vortex.h"
#include "app/warps/wind.h"
#include "host/forcefield.h"
#include "tests/app/warp_scene.h"

namespace {

using host::Point3;
using warptest::ExpectNear;
using zg::scene::AnimatedPoint;
using zg::scene::Node;

constexpr float k = host::kForceUnit;
constexpr Point3 kUpVelocity{0.0f, 0.0f, 1.0f};

// A scene of built-in nodes, and a way to ask a node's force field.
class WarpTest : public warptest::WarpScene {
protected:
    static Point3 Force(Node* node, const Point3& pos, host::TimeValue t = 0, const Point3& vel = kUpVelocity) {
        host::ForceField* field = node->GetObjectRef()->GetForceField(node);
        EXPECT_NE(field, nullptr);
        if (field == nullptr) return {};
        const Point3 f = field->Force(t, pos, vel, 0);
        field->DeleteThis();
        return f;
    }
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

}  // namespace
