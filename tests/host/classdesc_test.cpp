#include "host/classdesc.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/host/test_class.h"
#include "tests/support/host_fakes.h"

using host::ParamBlock;
using host::ParamBlockDesc2;
using hostfakes::FakeHelperObject;

namespace {

ParamBlockDesc2* MakeDesc(host::ClassDesc2* cd, host::BlockID id, uint32_t flags, int refNumber, bool rollout) {
    host::BlockDef block;
    block.id = id;
    block.internalName = "Parameters";
    block.flags = flags;
    block.refNumber = refNumber;
    if (rollout) block.rollout = host::RolloutDef();
    host::ParamDef size;
    size.id = 0;
    size.internalName = "size";
    size.defaultFloat = 2.0f;
    return new ParamBlockDesc2(cd, block, {size});
}

class ClassDescTest : public ::testing::Test {
protected:
    void TearDown() override { host::FailHeapAllocations(0, 0); }
    hosttest::TestClassDesc cd_;
};

TEST_F(ClassDescTest, DescriptionsJoinAndLeaveTheirClass) {
    EXPECT_EQ(cd_.InternalName(), nullptr);
    EXPECT_EQ(cd_.HInstance(), nullptr);
    {
        std::unique_ptr<ParamBlockDesc2> first(MakeDesc(&cd_, 0, 0, 0, false));
        std::unique_ptr<ParamBlockDesc2> second(MakeDesc(&cd_, 3, 0, 1, false));
        ASSERT_EQ(cd_.NumParamBlockDescs(), 2);
        EXPECT_EQ(cd_.GetParamBlockDesc(0), first.get());
        EXPECT_EQ(cd_.GetParamBlockDescByID(3), second.get());
        EXPECT_EQ(cd_.GetParamBlockDescByID(1), nullptr);
        EXPECT_EQ(cd_.GetParamBlockDesc(2), nullptr);
        EXPECT_EQ(cd_.GetParamBlockDesc(-1), nullptr);
        EXPECT_EQ(first->ClassDescriptor(), &cd_);
        first.reset();
        EXPECT_EQ(cd_.NumParamBlockDescs(), 1);
        EXPECT_EQ(cd_.GetParamBlockDesc(0), second.get());
    }
    EXPECT_EQ(cd_.NumParamBlockDescs(), 0);
}

TEST_F(ClassDescTest, AutoBlocksAreInstalledAsTheDeclaredReference) {
    std::unique_ptr<ParamBlockDesc2> automatic(MakeDesc(&cd_, 0, host::P_AUTO_CONSTRUCT, 2, false));
    std::unique_ptr<ParamBlockDesc2> manual(MakeDesc(&cd_, 1, 0, 0, false));
    const std::size_t live = host::GetHeapStats().liveBlocks;
    {
        FakeHelperObject owner(3);
        cd_.MakeAutoParamBlocks(&owner);
        auto* block = dynamic_cast<ParamBlock*>(owner.GetReference(2));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->GetDesc(), automatic.get());
        EXPECT_EQ(block->GetOwner(), &owner);
        EXPECT_FLOAT_EQ(block->GetFloat(0), 2.0f);
        EXPECT_EQ(owner.GetReference(0), nullptr);
        EXPECT_EQ(owner.GetReference(1), nullptr);
        EXPECT_EQ(host::GetHeapStats().liveBlocks, live + 1);
    }
    // The owner released its block and nothing else held it.
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
    cd_.MakeAutoParamBlocks(nullptr);
}

TEST_F(ClassDescTest, BlockThatCannotBeAllocatedIsLeftOut) {
    std::unique_ptr<ParamBlockDesc2> automatic(MakeDesc(&cd_, 0, host::P_AUTO_CONSTRUCT, 0, false));
    FakeHelperObject owner;
    const std::size_t live = host::GetHeapStats().liveBlocks;
    host::FailHeapAllocations(0, 1);
    cd_.MakeAutoParamBlocks(&owner);
    EXPECT_EQ(owner.GetReference(0), nullptr);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
}

TEST_F(ClassDescTest, EditParamsShowsAndRemovesTheGeneratedRollouts) {
    std::unique_ptr<ParamBlockDesc2> shown(
        MakeDesc(&cd_, 0, host::P_AUTO_CONSTRUCT | host::P_AUTO_UI, 0, true));
    std::unique_ptr<ParamBlockDesc2> noUi(MakeDesc(&cd_, 1, host::P_AUTO_CONSTRUCT, 1, true));
    std::unique_ptr<ParamBlockDesc2> noRollout(
        MakeDesc(&cd_, 2, host::P_AUTO_CONSTRUCT | host::P_AUTO_UI, 2, false));
    FakeHelperObject first(3), second(3);
    cd_.MakeAutoParamBlocks(&first);
    cd_.MakeAutoParamBlocks(&second);
    hosttest::RecordingPanel panel;

    cd_.BeginEditParams(&panel, &first, 0, nullptr);
    cd_.BeginEditParams(&panel, &second, 0, nullptr);
    ASSERT_EQ(panel.created.size(), 2u);
    EXPECT_EQ(panel.created[0].cd, &cd_);
    EXPECT_EQ(panel.created[0].desc, shown.get());
    EXPECT_EQ(panel.created[0].block, first.GetReference(0));
    EXPECT_EQ(panel.created[1].block, second.GetReference(0));

    cd_.EndEditParams(&panel, &first, 0, nullptr);
    ASSERT_EQ(panel.destroyed.size(), 1u);
    EXPECT_EQ(panel.destroyed[0], panel.created[0].window);
    cd_.EndEditParams(&panel, &first, 0, nullptr);
    EXPECT_EQ(panel.destroyed.size(), 1u);
    cd_.EndEditParams(&panel, &second, 0, nullptr);
    ASSERT_EQ(panel.destroyed.size(), 2u);
    EXPECT_EQ(panel.destroyed[1], panel.created[1].window);

    cd_.BeginEditParams(nullptr, &first, 0, nullptr);
    cd_.EndEditParams(nullptr, &first, 0, nullptr);
    // An owner without the block gets no rollout.
    FakeHelperObject bare(3);
    cd_.BeginEditParams(&panel, &bare, 0, nullptr);
    EXPECT_EQ(panel.created.size(), 2u);
}

}  // namespace
