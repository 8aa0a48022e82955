// The object's identity, references, parameters with their clamping and validation,
// cache invalidation, cloning and the paths where memory runs out.
#include <gtest/gtest.h>

#include "host/heap.h"
#include "tests/plugin/plugin_fixture.h"

namespace zgtest {
namespace {

using ObjectTest = ZentrographTest;

TEST_F(ObjectTest, NewObjectHasTheDefaults) {
    EXPECT_EQ(block->GetFloat(pid::sizeX), 1.0f);
    EXPECT_EQ(block->GetFloat(pid::sizeY), 1.0f);
    EXPECT_EQ(block->GetFloat(pid::sizeZ), 1.0f);
    EXPECT_EQ(block->GetInt(pid::resolutionX), 51);
    EXPECT_EQ(block->GetInt(pid::resolutionY), 51);
    EXPECT_EQ(block->GetInt(pid::resolutionZ), 1);
    EXPECT_EQ(block->Count(pid::forceNodes), 0);
    EXPECT_EQ(block->GetFloat(pid::vectorScale), 10.0f);
    EXPECT_EQ(block->GetInt(pid::displayVectorBases), 0);
    EXPECT_EQ(block->GetInt(pid::displayLattice), 0);
    EXPECT_TRUE(object->TestAFlag(host::kObjectBeingCreated));
}

TEST_F(ObjectTest, Identity) {
    EXPECT_EQ(object->SuperClassID(), 0x50u);
    EXPECT_EQ(object->ClassID(), kZentrographId);
    EXPECT_EQ(object->IsSubClassOf(kZentrographId), 1);
    EXPECT_EQ(object->IsSubClassOf(host::Class_ID(0x0F016797, 0)), 0);
    EXPECT_EQ(object->IsSubClassOf(host::Class_ID(0, 0x762B0972)), 0);
    EXPECT_EQ(object->IsRenderable(), 0);
    EXPECT_EQ(object->UsesWireColor(), 1);
    EXPECT_EQ(object->DoOwnSelectHilite(), 1);
    EXPECT_EQ(object->CanCacheObject(), 0);
    EXPECT_EQ(object->IsWorldSpaceObject(), 1);
    EXPECT_EQ(object->ObjectValidity(100), host::Interval(100, 100));
    EXPECT_EQ(object->ObjectValidity(-7), host::Interval(-7, -7));
    EXPECT_EQ(object->Eval(0).obj, object);
    EXPECT_EQ(object->Eval(4800).obj, object);
    EXPECT_EQ(object->FindBaseObject(), object);
    EXPECT_EQ(object->GetForceField(&node), nullptr);
}

TEST_F(ObjectTest, Names) {
    host::CStr name = "previous";
    object->GetClassName(name);
    EXPECT_EQ(name, "Zentrograph");
    name = "previous";
    object->InitNodeName(name);
    EXPECT_EQ(name, "Zentrograph");
    EXPECT_STREQ(object->GetObjectName(), "Zentrograph");
    EXPECT_EQ(object->SubAnimName(0), "Parameters");
    EXPECT_EQ(object->SubAnimName(5), "Parameters");
}

TEST_F(ObjectTest, TheBlockIsTheOneReferenceSubAnimAndBlock) {
    EXPECT_EQ(object->NumRefs(), 1);
    EXPECT_EQ(object->NumSubs(), 1);
    EXPECT_EQ(object->NumParamBlocks(), 1);
    EXPECT_EQ(object->GetReference(0), block);
    EXPECT_EQ(object->GetReference(3), block);
    EXPECT_EQ(object->SubAnim(7), block);
    EXPECT_EQ(object->GetParamBlock(2), block);
    EXPECT_EQ(object->GetParamBlockByID(0), block);
    EXPECT_EQ(object->GetParamBlockByID(1), nullptr);
    EXPECT_EQ(object->GetParamBlockByID(-1), nullptr);
    EXPECT_EQ(block->GetOwner(), object);
}

TEST_F(ObjectTest, SizesAreClampedWhenStored) {
    for (host::ParamID id : {pid::sizeX, pid::sizeY, pid::sizeZ}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(block->SetFloat(id, 0, -3.5f));
        EXPECT_EQ(block->GetFloat(id), 0.0f);
        ASSERT_TRUE(block->SetFloat(id, 0, 2000000.0f));
        EXPECT_EQ(block->GetFloat(id), 999999.0f);
        ASSERT_TRUE(block->SetFloat(id, 0, 999999.0f));
        EXPECT_EQ(block->GetFloat(id), 999999.0f);
        ASSERT_TRUE(block->SetFloat(id, 0, 0.0f));
        EXPECT_EQ(block->GetFloat(id), 0.0f);
        ASSERT_TRUE(block->SetFloat(id, 0, 12.25f));
        EXPECT_EQ(block->GetFloat(id), 12.25f);
        // An int stored into a size is clamped as a float.
        ASSERT_TRUE(block->SetInt(id, 0, -4));
        EXPECT_EQ(block->GetFloat(id), 0.0f);
    }
}

TEST_F(ObjectTest, ResolutionsAreClampedWhenStored) {
    for (host::ParamID id : {pid::resolutionX, pid::resolutionY, pid::resolutionZ}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(block->SetInt(id, 0, 0));
        EXPECT_EQ(block->GetInt(id), 1);
        ASSERT_TRUE(block->SetInt(id, 0, -7));
        EXPECT_EQ(block->GetInt(id), 1);
        ASSERT_TRUE(block->SetInt(id, 0, 1000));
        EXPECT_EQ(block->GetInt(id), 999);
        ASSERT_TRUE(block->SetInt(id, 0, 1));
        EXPECT_EQ(block->GetInt(id), 1);
        ASSERT_TRUE(block->SetInt(id, 0, 999));
        EXPECT_EQ(block->GetInt(id), 999);
    }
}

TEST_F(ObjectTest, VectorScaleAndSwitchesAreStoredAsGiven) {
    ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, -5.0f));
    EXPECT_EQ(block->GetFloat(pid::vectorScale), -5.0f);
    ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, 5e6f));
    EXPECT_EQ(block->GetFloat(pid::vectorScale), 5e6f);
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    EXPECT_EQ(block->GetInt(pid::displayLattice), 1);
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    EXPECT_EQ(block->GetInt(pid::displayVectorBases), 1);
}

// The validator of forceNodes, through the block and called directly.
class ForceNodeValidation : public ZentrographTest {
protected:
    host::PBValidator& Validator() {
        const host::ParamDef* def = desc->GetParamBlockDesc(0)->FindParam(pid::forceNodes);
        EXPECT_NE(def, nullptr);
        EXPECT_NE(def->validator, nullptr);
        return *def->validator;
    }
    int Validate(host::SceneNode* n) {
        host::PB2Value v;
        v.node = n;
        const int shortForm = Validator().Validate(v);
        EXPECT_EQ(Validator().Validate(v, object, pid::forceNodes, 3), shortForm);
        return shortForm;
    }
    FakeNode& WarpNode(host::Class_ID id, host::SClass_ID superClass = host::kWSMObjectSuperClassId) {
        FakeForceWarp& warp = warps.emplace_back(id);
        warp.SetSuperClass(superClass);
        return AddNode(&warp);
    }
};

TEST_F(ForceNodeValidation, AcceptsSpaceWarpsOfEveryClassButTwo) {
    EXPECT_EQ(Validate(nullptr), 0);
    EXPECT_EQ(Validate(&WarpNode(FakeForceWarp::kPlainWarpId)), 1);
    EXPECT_EQ(Validate(&WarpNode(host::Class_ID(0x1C915E12, 0x5C8E760E))), 0);
    EXPECT_EQ(Validate(&WarpNode(host::Class_ID(0x70AB0669, 0x734F496D))), 0);
    // Only whole pairs are refused.
    EXPECT_EQ(Validate(&WarpNode(host::Class_ID(0x1C915E12, 0x734F496D))), 1);
    EXPECT_EQ(Validate(&WarpNode(host::Class_ID(0x70AB0669, 0x5C8E760E))), 1);
    EXPECT_EQ(Validate(&WarpNode(host::Class_ID(0x1C915E12, 0))), 1);
}

TEST_F(ForceNodeValidation, RefusesWhatIsNoSpaceWarp) {
    EXPECT_EQ(Validate(&WarpNode(FakeForceWarp::kPlainWarpId, host::kHelperSuperClassId)), 0);
    EXPECT_EQ(Validate(&WarpNode(FakeForceWarp::kPlainWarpId, 0x831)), 0);
    FakeHelper& helper = helpers.emplace_back();
    EXPECT_EQ(Validate(&AddNode(&helper)), 0);
    EXPECT_EQ(Validate(&AddNode(nullptr)), 0);
    // The Zentrograph node itself.
    EXPECT_EQ(Validate(&node), 0);
}

TEST_F(ForceNodeValidation, JudgesTheBaseObjectUnderModifiers) {
    FakeForceWarp& warp = warps.emplace_back();
    FakeForceWarp& modified = warps.emplace_back();
    modified.SetSuperClass(host::kHelperSuperClassId);
    modified.SetBaseObject(&warp);
    EXPECT_EQ(Validate(&AddNode(&modified)), 1);

    FakeForceWarp& onHelper = warps.emplace_back();
    onHelper.SetBaseObject(&helpers.emplace_back());
    EXPECT_EQ(Validate(&AddNode(&onHelper)), 0);
}

TEST_F(ForceNodeValidation, TheBlockStoresOnlyAcceptedNodes) {
    FakeNode& good = WarpNode(FakeForceWarp::kPlainWarpId);
    FakeNode& refused = WarpNode(host::Class_ID(0x70AB0669, 0x734F496D));
    EXPECT_TRUE(block->Append(pid::forceNodes, &good));
    EXPECT_FALSE(block->Append(pid::forceNodes, &refused));
    EXPECT_FALSE(block->SetNode(pid::forceNodes, 0, &refused, 0));
    ASSERT_EQ(block->Count(pid::forceNodes), 1);
    EXPECT_EQ(block->GetNode(pid::forceNodes, 0, 0), &good);
}

// The cache is observed through the node: the object asks for its transform only when
// it resamples, and through the warp's Force calls.
TEST_F(ObjectTest, ChangeMessagesClearTheCache) {
    FakeForceWarp& warp = AddForceWarp();
    LocalBox();
    ASSERT_EQ(warp.Calls().size(), 2601u);
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 2601u) << "same time, nothing changed: samples reused";

    host::PartID part = host::PART_ALL;
    EXPECT_EQ(object->NotifyRefChanged(host::FOREVER, block, part, host::REFMSG_TARGET_DELETED), host::REF_SUCCEED);
    EXPECT_EQ(object->NotifyRefChanged(host::FOREVER, block, part, 0x51), host::REF_SUCCEED);
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 2601u) << "other messages leave the cache";

    EXPECT_EQ(object->NotifyRefChanged(host::FOREVER, block, part, host::REFMSG_CHANGE), host::REF_SUCCEED);
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 2u * 2601u);

    object->WSStateInvalidate();
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 3u * 2601u);

    LocalBox(160);
    EXPECT_EQ(warp.Calls().size(), 4u * 2601u) << "another time resamples";
    LocalBox(160);
    EXPECT_EQ(warp.Calls().size(), 4u * 2601u);
}

TEST_F(ObjectTest, ParameterEditsAndListedNodeChangesReachTheCache) {
    FakeForceWarp& warp = AddForceWarp();
    LocalBox();
    ASSERT_EQ(warp.Calls().size(), 2601u);

    ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, 2.0f));
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 2u * 2601u);

    // A listed node's own change is passed on by the block.
    NodeOf(warp).NotifyDependents(host::FOREVER, host::PART_TM, host::REFMSG_CHANGE);
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 3u * 2601u);

    // The node showing the object is not a dependency: moving it without a notice
    // keeps the samples, which are keyed by time alone.
    node.SetTM(host::Matrix3::Translation({5.0f, 0.0f, 0.0f}));
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 3u * 2601u);
}

TEST_F(ObjectTest, CloneIsIndependent) {
    FakeForceWarp& warp = AddForceWarp();
    SetSizes(2.0f, 3.0f, 4.0f);
    SetResolutions(3, 2, 1);
    ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, -2.5f));
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    LocalBox();
    ASSERT_EQ(warp.Calls().size(), 6u);
    object->ClearAFlag(host::kObjectBeingCreated);

    host::RemapDir remap;
    auto* copy = dynamic_cast<host::Object*>(object->Clone(remap));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, object);
    EXPECT_EQ(copy->ClassID(), kZentrographId);
    EXPECT_TRUE(copy->TestAFlag(host::kObjectBeingCreated));
    EXPECT_FALSE(object->TestAFlag(host::kObjectBeingCreated));
    EXPECT_EQ(remap.FindMapping(object), copy);

    host::ParamBlock* copyBlock = copy->GetParamBlock(0);
    ASSERT_NE(copyBlock, nullptr);
    EXPECT_NE(copyBlock, block);
    EXPECT_EQ(copyBlock->GetOwner(), copy);
    EXPECT_EQ(copyBlock->GetFloat(pid::sizeY), 3.0f);
    EXPECT_EQ(copyBlock->GetInt(pid::resolutionX), 3);
    EXPECT_EQ(copyBlock->GetFloat(pid::vectorScale), -2.5f);
    EXPECT_EQ(copyBlock->GetInt(pid::displayLattice), 1);
    ASSERT_EQ(copyBlock->Count(pid::forceNodes), 1);
    EXPECT_EQ(copyBlock->GetNode(pid::forceNodes, 0, 0), &NodeOf(warp));

    // The copy samples afresh; the source keeps its cache.
    host::Box3 box;
    copy->GetLocalBoundBox(0, &node, &viewport, box);
    EXPECT_EQ(warp.Calls().size(), 12u);
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 12u);

    // Edits of one block do not reach the other object.
    ASSERT_TRUE(copyBlock->SetFloat(pid::sizeY, 0, 9.0f));
    EXPECT_EQ(block->GetFloat(pid::sizeY), 3.0f);
    LocalBox();
    EXPECT_EQ(warp.Calls().size(), 12u);
    copy->DeleteThis();
    EXPECT_EQ(block->GetFloat(pid::sizeY), 3.0f);
    EXPECT_EQ(block->Count(pid::forceNodes), 1);
}

TEST_F(ObjectTest, CreateThatRunsOutOfMemoryLeavesNothing) {
    const std::size_t live = host::GetHeapStats().liveBlocks;
    // The first allocation is the object, the second its parameter block.
    for (std::size_t skip : {0u, 1u}) {
        SCOPED_TRACE(skip);
        host::FailHeapAllocations(skip, 1);
        EXPECT_EQ(desc->Create(0), nullptr);
        host::FailHeapAllocations(0, 0);
        EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
    }
    host::Animatable* made = desc->Create(1);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live + 2);
    made->DeleteThis();
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
}

TEST_F(ObjectTest, CloneThatRunsOutOfMemoryLeavesNothing) {
    AddForceWarp();
    ASSERT_TRUE(block->SetFloat(pid::sizeX, 0, 7.0f));
    const std::size_t live = host::GetHeapStats().liveBlocks;
    // The new object, its own block, then the copy of the source's block.
    for (std::size_t skip : {0u, 1u, 2u}) {
        SCOPED_TRACE(skip);
        host::RemapDir remap;
        host::FailHeapAllocations(skip, 1);
        EXPECT_EQ(object->Clone(remap), nullptr);
        host::FailHeapAllocations(0, 0);
        EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
    }
    EXPECT_EQ(object->GetParamBlock(0), block);
    EXPECT_EQ(block->GetFloat(pid::sizeX), 7.0f);
    EXPECT_EQ(block->Count(pid::forceNodes), 1);
    EXPECT_EQ(block->GetOwner(), object);
}

TEST_F(ObjectTest, DeleteReleasesTheBlockButNotTheListedNodes) {
    AddForceWarp();
    LocalBox();
    const std::size_t live = host::GetHeapStats().liveBlocks;
    object->DeleteThis();
    object = nullptr;
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live - 2);
    EXPECT_FALSE(sceneNodes.front().HasDependents());
}

TEST_F(ObjectTest, ObjectWithoutBlockStillAnswers) {
    object->DeleteReference(0);
    ASSERT_EQ(object->GetParamBlock(0), nullptr);
    EXPECT_EQ(object->GetParamBlockByID(0), nullptr);
    host::Box3 box = LocalBox();
    EXPECT_EQ(box.pmin, host::Point3());
    EXPECT_EQ(box.pmax, host::Point3());
    Draw();
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6);
    EXPECT_EQ(gw.Count(GwOp::Segment), 0);
    host::IPoint2 p(3, 4);
    EXPECT_EQ(object->HitTest(0, &node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 0);
}

}  // namespace
}  // namespace zgtest
