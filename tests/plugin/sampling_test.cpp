// Sampling of the listed force fields over the lattice: positions, index order, sums,
// scaling, the object-space turn, the time-keyed cache, and tables that cannot grow.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "host/heap.h"
#include "tests/plugin/plugin_fixture.h"

namespace zgtest {
namespace {

using SamplingTest = ZentrographTest;

const host::Point3 kUnitX{host::kForceUnit, 0.0f, 0.0f};

// The positions of one axis as the lattice lays them: from -size/2, by repeated
// single-precision addition of size / (resolution - 1).
std::vector<float> AxisPositions(float size, int resolution) {
    if (resolution <= 1) return std::vector<float>(static_cast<std::size_t>(resolution > 0 ? 1 : 0), 0.0f);
    std::vector<float> positions;
    const float step = size / static_cast<float>(resolution - 1);
    float p = -size * 0.5f;
    for (int i = 0; i < resolution; ++i, p += step) positions.push_back(p);
    return positions;
}

void ExpectPositions(const std::vector<ForceCall>& calls, const std::vector<host::Point3>& expected) {
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(calls[k].position, expected[k]) << "sample " << k;
        EXPECT_EQ(calls[k].index, static_cast<int>(k));
    }
}

TEST_F(SamplingTest, DefaultLatticeIsTheXYPlaneInFiftiethSteps) {
    FakeForceWarp& warp = AddForceWarp();
    LocalBox(320);

    const std::vector<float> axis = AxisPositions(1.0f, 51);
    std::vector<host::Point3> expected;
    for (float y : axis)
        for (float x : axis) expected.emplace_back(x, y, 0.0f);
    ExpectPositions(warp.Calls(), expected);
    EXPECT_EQ(warp.Calls().front().position, host::Point3(-0.5f, -0.5f, 0.0f));
    EXPECT_NEAR(warp.Calls().back().position.x, 0.5f, 1e-6f);
    EXPECT_NEAR(warp.Calls().back().position.y, 0.5f, 1e-6f);
    // Accumulated steps, not start + i * step: the 51st x is not exactly 0.5.
    EXPECT_EQ(axis.back(), 0.500000179f);
    for (const ForceCall& call : warp.Calls()) {
        EXPECT_EQ(call.t, 320);
        EXPECT_EQ(call.velocity, host::Point3(0.0f, 0.0f, 1.0f));
    }
    EXPECT_EQ(warp.LastFieldNode(), &NodeOf(warp));
    EXPECT_EQ(warp.FieldsRequested(), 1);
    EXPECT_EQ(warp.FieldsLive(), 0);

    // The same positions are the sample points the vectors are drawn from.
    Draw(320);
    const std::vector<GwCall> segments = Segments();
    ASSERT_EQ(segments.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(segments[k].points[0], expected[k]);
}

TEST_F(SamplingTest, ResolutionsOneAndTwo) {
    FakeForceWarp& warp = AddForceWarp();
    SetSizes(4.0f, 6.0f, 8.0f);
    SetResolutions(1, 2, 2);
    LocalBox();
    ExpectPositions(warp.Calls(), {{0, -3, -4}, {0, 3, -4}, {0, -3, 4}, {0, 3, 4}});
}

TEST_F(SamplingTest, ZeroSizePutsEverySampleOnTheAxisOrigin) {
    FakeForceWarp& warp = AddForceWarp();
    SetSizes(0.0f, 2.0f, 0.0f);
    SetResolutions(3, 4, 2);
    LocalBox();
    std::vector<host::Point3> expected;
    for (int iz = 0; iz < 2; ++iz)
        for (float y : AxisPositions(2.0f, 4))
            for (int ix = 0; ix < 3; ++ix) expected.emplace_back(0.0f, y, 0.0f);
    ExpectPositions(warp.Calls(), expected);
    EXPECT_NEAR(warp.Calls()[3].position.y, -1.0f / 3.0f, 1e-6f);
}

TEST_F(SamplingTest, FieldsAreSummedInListOrderAndDuplicatesCountTwice) {
    std::vector<int> order;
    FakeForceWarp& a = AddForceWarp([&](const host::Point3&, int k) {
        order.push_back(100 + k);
        return kUnitX;
    });
    FakeForceWarp& b = AddForceWarp([&](const host::Point3&, int k) {
        order.push_back(200 + k);
        return host::Point3(0.0f, 2.0f * host::kForceUnit, 0.0f);
    });
    ASSERT_TRUE(block->Append(pid::forceNodes, &NodeOf(a)));
    SetResolutions(2, 1, 1);
    LocalBox();

    EXPECT_EQ(order, (std::vector<int>{100, 101, 200, 201, 100, 101}));
    EXPECT_EQ(a.FieldsRequested(), 2);
    EXPECT_EQ(b.FieldsRequested(), 1);
    EXPECT_EQ(a.FieldsLive() + b.FieldsLive(), 0);

    // A field of strength 1 draws one unit at the default scale of 10.
    Draw();
    for (const GwCall& s : Segments()) {
        const host::Point3 v = s.points[1] - s.points[0];
        EXPECT_NEAR(v.x, 2.0f, 1e-5f);
        EXPECT_NEAR(v.y, 2.0f, 1e-5f);
        EXPECT_EQ(v.z, 0.0f);
    }
}

TEST_F(SamplingTest, SkipsEmptyRefusedAndFieldlessEntries) {
    FakeForceWarp& noField = AddForceWarp();
    noField.SetGivesFields(false);
    FakeForceWarp& turnedHelper = AddForceWarp();
    ASSERT_TRUE(block->SetCount(pid::forceNodes, 3));  // third entry empty
    FakeForceWarp& good = AddForceWarp();
    // Listed while it was a space warp, no longer one when sampled.
    turnedHelper.SetSuperClass(host::kHelperSuperClassId);

    LocalBox();
    EXPECT_EQ(noField.FieldsRequested(), 1);
    EXPECT_EQ(turnedHelper.FieldsRequested(), 0);
    EXPECT_EQ(good.Calls().size(), 2601u);
    EXPECT_EQ(ForceCalls(), 2601);
}

TEST_F(SamplingTest, WithoutFieldsEverySampleStaysAtTheOrigin) {
    FakeForceWarp& noField = AddForceWarp();
    noField.SetGivesFields(false);
    SetResolutions(3, 3, 3);
    LocalBox();
    EXPECT_EQ(node.TransformRequests(), 1) << "the transform is taken even when nothing is sampled";
    LocalBox();
    EXPECT_EQ(node.TransformRequests(), 1) << "the empty result is cached too";
    EXPECT_EQ(noField.FieldsRequested(), 1);

    Draw();
    const std::vector<GwCall> segments = Segments();
    ASSERT_EQ(segments.size(), 27u);
    for (const GwCall& s : segments) {
        EXPECT_EQ(s.points[0], host::Point3());
        EXPECT_EQ(s.points[1], host::Point3());
    }
}

TEST_F(SamplingTest, NullNodeSamplesNothing) {
    FakeForceWarp& warp = AddForceWarp();
    host::Box3 box;
    object->GetLocalBoundBox(0, nullptr, &viewport, box);
    EXPECT_EQ(box.pmin, host::Point3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(box.pmax, host::Point3(0.5f, 0.5f, 0.5f));
    object->GetWorldBoundBox(0, nullptr, &viewport, box);
    EXPECT_EQ(box.pmax, host::Point3(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(object->Display(0, nullptr, &viewport, 0), 0);
    host::IPoint2 p(1, 1);
    EXPECT_EQ(object->HitTest(0, nullptr, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 0);
    EXPECT_EQ(warp.FieldsRequested(), 0);
    EXPECT_EQ(ForceCalls(), 0);
    EXPECT_EQ(gw.Count(GwOp::Segment), 2 * 2601);
}

TEST_F(SamplingTest, CachedCallsStillReadTheSevenParameters) {
    InstallProbeBlock();
    FakeForceWarp& warp = AddForceWarp();
    ReadProbe& probe = probeDesc.probe;
    probe.ResetReads();
    LocalBox();
    ASSERT_EQ(warp.Calls().size(), 2601u);
    for (host::ParamID id : {pid::sizeX, pid::sizeY, pid::sizeZ, pid::resolutionX, pid::resolutionY,
                             pid::resolutionZ, pid::vectorScale})
        EXPECT_EQ(probe.Reads(id), 1) << id;
    EXPECT_EQ(probe.Reads(pid::forceNodes), 1);
    EXPECT_EQ(probe.Reads(pid::displayVectorBases), 0);
    EXPECT_EQ(probe.Reads(pid::displayLattice), 0);

    // A value that changes without a change message: the samples are reused, the box
    // takes the size this call read.
    probe.ResetReads();
    probe.OverrideFloat(pid::sizeX, 4.0f);
    const host::Box3 box = LocalBox();
    EXPECT_EQ(warp.Calls().size(), 2601u);
    for (host::ParamID id : {pid::sizeX, pid::sizeY, pid::sizeZ, pid::resolutionX, pid::resolutionY,
                             pid::resolutionZ, pid::vectorScale})
        EXPECT_EQ(probe.Reads(id), 1) << id;
    EXPECT_EQ(probe.Reads(pid::forceNodes), 0);
    EXPECT_FLOAT_EQ(box.pmin.x, -2.0f);
    EXPECT_FLOAT_EQ(box.pmax.x, 2.0f);
}

TEST_F(SamplingTest, VectorScaleZeroAndNegative) {
    AddForceWarp(ConstantForce({host::kForceUnit, -host::kForceUnit, 0.0f}));
    SetResolutions(1, 1, 1);
    Draw();
    ASSERT_EQ(Segments().size(), 1u);
    const host::Point3 atTen = Segments()[0].points[1];
    EXPECT_NEAR(atTen.x, 1.0f, 1e-5f);
    EXPECT_NEAR(atTen.y, -1.0f, 1e-5f);

    ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, -10.0f));
    Draw();
    EXPECT_EQ(Segments()[0].points[1], -atTen);

    ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, 0.0f));
    Draw();
    EXPECT_EQ(Segments()[0].points[1], host::Point3());
    const host::Box3 box = LocalBox();
    EXPECT_EQ(box.pmin, host::Point3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(box.pmax, host::Point3(0.5f, 0.5f, 0.5f));
}

TEST_F(SamplingTest, VectorsAreTurnedIntoObjectSpace) {
    FakeForceWarp& warp = AddForceWarp(ConstantForce(kUnitX));
    SetResolutions(2, 1, 1);
    // Scaled by 2, turned a quarter about Z, moved 10 along X.
    node.SetTM(host::Matrix3::Scale({2.0f, 2.0f, 2.0f}) * host::Matrix3::RotateZ(std::numbers::pi_v<float> / 2) *
               host::Matrix3::Translation({10.0f, 0.0f, 0.0f}));
    Draw();

    ASSERT_EQ(warp.Calls().size(), 2u);
    // Object (-0.5, 0, 0) scales to (-1, 0, 0), turns to (0, -1, 0), moves to (10, -1, 0).
    EXPECT_NEAR(warp.Calls()[0].position.x, 10.0f, 1e-5f);
    EXPECT_NEAR(warp.Calls()[0].position.y, -1.0f, 1e-5f);
    EXPECT_NEAR(warp.Calls()[1].position.x, 10.0f, 1e-5f);
    EXPECT_NEAR(warp.Calls()[1].position.y, 1.0f, 1e-5f);

    // One unit along world X is half a unit along object -Y.
    for (const GwCall& s : Segments()) {
        const host::Point3 v = s.points[1] - s.points[0];
        EXPECT_NEAR(v.x, 0.0f, 1e-5f);
        EXPECT_NEAR(v.y, -0.5f, 1e-5f);
        EXPECT_NEAR(v.z, 0.0f, 1e-5f);
    }
}

// Restores the memory budget however the test ends.
struct SmallMemoryBudget {
    explicit SmallMemoryBudget(std::size_t bytes) { host::SetMemoryBudget(bytes); }
    ~SmallMemoryBudget() { host::ResetMemoryBudget(); }
};

TEST_F(SamplingTest, TablesThatCannotGrowStayEmpty) {
    FakeForceWarp& warp = AddForceWarp();
    const std::size_t heldBefore = host::GetHeapStats().budgetBytesHeld;
    SmallMemoryBudget budget(heldBefore + (1u << 20));
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    SetResolutions(999, 999, 999);

    const host::Box3 box = LocalBox();
    EXPECT_EQ(ForceCalls(), 0);
    EXPECT_EQ(warp.FieldsRequested(), 0);
    EXPECT_EQ(box.pmin, host::Point3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(box.pmax, host::Point3(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(host::GetHeapStats().budgetBytesHeld, heldBefore);

    Draw();
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6);
    EXPECT_EQ(gw.Count(GwOp::StartSegments), 1);
    EXPECT_EQ(gw.Count(GwOp::Segment), 0);
    EXPECT_EQ(gw.Count(GwOp::EndSegments), 1);
    EXPECT_EQ(gw.Count(GwOp::Marker), 0);

    // Within the budget again, the same time samples afresh.
    SetResolutions(2, 2, 2);
    LocalBox();
    EXPECT_EQ(ForceCalls(), 8);
}

TEST_F(SamplingTest, SampleCountsBeyondATableAreRefused) {
    InstallProbeBlock();
    FakeForceWarp& warp = AddForceWarp();
    struct Case {
        int x, y, z;
    };
    // 2^32 wraps to 0 in 32 bits; 8e9 wraps to a positive count; one negative factor.
    for (const Case& c : {Case{65536, 65536, 1}, Case{2000, 2000, 2000}, Case{-3, 2, 1}}) {
        SCOPED_TRACE(testing::Message() << c.x << " x " << c.y << " x " << c.z);
        SetResolutions(c.x, c.y, c.z);
        LocalBox();
        EXPECT_EQ(ForceCalls(), 0);
        Draw();
        EXPECT_EQ(gw.Count(GwOp::Segment), 0);
    }
    // Two negative factors make a positive count but an empty walk.
    SetResolutions(-1, -1, 5);
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 0u);
    Draw();
    EXPECT_EQ(gw.Count(GwOp::Segment), 5);
}

}  // namespace
}  // namespace zgtest
