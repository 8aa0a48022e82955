#include "host/paramblock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/host/test_class.h"
#include "tests/support/host_fakes.h"

using host::ParamBlock;
using host::PB2Value;
using hostfakes::FakeHelperObject;
using hostfakes::FakeSceneNode;

namespace {

enum : host::ParamID { kWidth = 0, kSteps = 1, kShow = 2, kNodes = 3, kSpare = 4, kScale = 5 };

// Clamps the width to 0..100 and the steps to at least 1, and records what it saw.
class RecordingAccessor : public host::PBAccessor {
public:
    struct Store {
        host::ReferenceMaker* owner;
        host::ParamID id;
        int tabIndex;
        host::TimeValue t;
        PB2Value value;
    };
    struct TableChange {
        int change;
        host::ParamID id;
        int tabIndex;
        int count;
    };

    void Set(PB2Value& v, host::ReferenceMaker* owner, host::ParamID id, int tabIndex, host::TimeValue t) override {
        stores.push_back({owner, id, tabIndex, t, v});
        if (id == kWidth) v.f = std::fmin(std::fmax(v.f, 0.0f), 100.0f);
        if (id == kSteps && v.i < 1) v.i = 1;
    }
    void TabChanged(int change, host::ReferenceMaker*, host::ParamID id, int tabIndex, int count) override {
        tableChanges.push_back({change, id, tabIndex, count});
    }

    std::vector<Store> stores;
    std::vector<TableChange> tableChanges;
};

// Accepts nodes whose name starts with "Warp".
class WarpNameValidator : public host::PBValidator {
public:
    int Validate(PB2Value& v, host::ReferenceMaker* owner, host::ParamID id, int tabIndex) override {
        lastOwner = owner;
        lastId = id;
        lastTabIndex = tabIndex;
        ++asked;
        return host::PBValidator::Validate(v, owner, id, tabIndex);
    }
    int Validate(PB2Value& v) override {
        return v.node != nullptr && std::string(v.node->GetName()).rfind("Warp", 0) == 0 ? 1 : 0;
    }

    host::ReferenceMaker* lastOwner = nullptr;
    host::ParamID lastId = -1;
    int lastTabIndex = -1;
    int asked = 0;
};

host::ParamDef Param(host::ParamID id, const char* name, host::ParamType type) {
    host::ParamDef def;
    def.id = id;
    def.internalName = name;
    def.type = type;
    return def;
}

class ParamBlockTest : public ::testing::Test {
protected:
    ParamBlockTest() : desc_(&classDesc_, Block(), Params()) {}

    static host::BlockDef Block() {
        host::BlockDef block;
        block.internalName = "Parameters";
        block.flags = host::P_AUTO_CONSTRUCT | host::P_AUTO_UI;
        block.rollout = host::RolloutDef();
        block.rollout->dialogId = 101;
        return block;
    }
    std::vector<host::ParamDef> Params() {
        std::vector<host::ParamDef> params;
        params.push_back(Param(kWidth, "width", host::TYPE_FLOAT));
        params.back().defaultFloat = 1.5f;
        params.back().accessor = &accessor_;
        params.push_back(Param(kSteps, "steps", host::TYPE_INT));
        params.back().defaultInt = 51;
        params.back().accessor = &accessor_;
        params.push_back(Param(kShow, "show", host::TYPE_BOOL));
        params.push_back(Param(kNodes, "forceNodes", host::TYPE_INODE_TAB));
        params.back().flags = host::P_VARIABLE_SIZE;
        params.back().accessor = &accessor_;
        params.back().validator = &validator_;
        params.push_back(Param(kSpare, "spareNodes", host::TYPE_INODE_TAB));
        params.back().tableSize = 2;
        params.push_back(Param(kScale, "scale", host::TYPE_FLOAT));
        params.back().defaultFloat = 10.0f;
        return params;
    }

    void SetUp() override {
        classDesc_.MakeAutoParamBlocks(&owner_);
        block_ = dynamic_cast<ParamBlock*>(owner_.GetReference(0));
        ASSERT_NE(block_, nullptr);
        owner_.ClearHeard();
    }
    void TearDown() override {
        host::FailHeapAllocations(0, 0);
        host::ResetMemoryBudget();
    }

    int ParameterChanges() const { return owner_.ChangesHeard(host::PART_PARAMETER); }

    RecordingAccessor accessor_;
    WarpNameValidator validator_;
    hosttest::TestClassDesc classDesc_;
    host::ParamBlockDesc2 desc_;
    FakeSceneNode warp_{"Warp01"};
    FakeSceneNode warp2_{"Warp02"};
    FakeSceneNode box_{"Box01"};
    FakeHelperObject owner_;
    ParamBlock* block_ = nullptr;
};

TEST_F(ParamBlockTest, NewBlockHoldsEveryDefault) {
    EXPECT_EQ(block_->ID(), 0);
    EXPECT_EQ(block_->GetDesc(), &desc_);
    EXPECT_EQ(block_->GetOwner(), &owner_);
    EXPECT_FLOAT_EQ(block_->GetFloat(kWidth), 1.5f);
    EXPECT_EQ(block_->GetInt(kSteps), 51);
    EXPECT_EQ(block_->GetInt(kShow), 0);
    EXPECT_FLOAT_EQ(block_->GetFloat(kScale), 10.0f);
    EXPECT_EQ(block_->Count(kNodes), 0);
    EXPECT_EQ(block_->Count(kSpare), 2);
    EXPECT_EQ(block_->GetNode(kSpare, 0, 1), nullptr);
    EXPECT_EQ(block_->NumRefs(), 2);
    // Reads across types convert; wrong ids and indexes give nothing.
    EXPECT_EQ(block_->GetInt(kWidth), 2);
    EXPECT_FLOAT_EQ(block_->GetFloat(kSteps), 51.0f);
    EXPECT_EQ(block_->GetFloat(99), 0.0f);
    EXPECT_EQ(block_->GetFloat(kWidth, 0, 1), 0.0f);
    EXPECT_EQ(block_->GetNode(kSpare, 0, 2), nullptr);
    EXPECT_EQ(block_->GetNode(kSpare, 0, -1), nullptr);
    EXPECT_EQ(block_->Count(kWidth), 0);
}

TEST_F(ParamBlockTest, AccessorSeesAndMayChangeEveryStore) {
    ASSERT_TRUE(block_->SetFloat(kWidth, 160, -3.5f));
    ASSERT_EQ(accessor_.stores.size(), 1u);
    const auto& seen = accessor_.stores[0];
    EXPECT_EQ(seen.owner, &owner_);
    EXPECT_EQ(seen.id, kWidth);
    EXPECT_EQ(seen.tabIndex, 0);
    EXPECT_EQ(seen.t, 160);
    EXPECT_FLOAT_EQ(seen.value.f, -3.5f);
    EXPECT_FLOAT_EQ(block_->GetFloat(kWidth), 0.0f);

    ASSERT_TRUE(block_->SetFloat(kWidth, 0, 250.0f));
    EXPECT_FLOAT_EQ(block_->GetFloat(kWidth), 100.0f);
    ASSERT_TRUE(block_->SetInt(kSteps, 0, -7));
    EXPECT_EQ(block_->GetInt(kSteps), 1);
}

TEST_F(ParamBlockTest, StoresAcrossTypesConvertBeforeTheAccessor) {
    ASSERT_TRUE(block_->SetInt(kWidth, 0, 7));
    EXPECT_FLOAT_EQ(accessor_.stores.back().value.f, 7.0f);
    EXPECT_FLOAT_EQ(block_->GetFloat(kWidth), 7.0f);

    ASSERT_TRUE(block_->SetFloat(kSteps, 0, 2.6f));
    EXPECT_EQ(accessor_.stores.back().value.i, 3);
    EXPECT_EQ(block_->GetInt(kSteps), 3);

    ASSERT_TRUE(block_->SetFloat(kSteps, 0, 1e20f));
    EXPECT_EQ(block_->GetInt(kSteps), INT32_MAX);
}

TEST_F(ParamBlockTest, NonFiniteFloatsAndWrongTargetsAreRefused) {
    for (float bad : {NAN, INFINITY, -INFINITY}) {
        EXPECT_FALSE(block_->SetFloat(kWidth, 0, bad));
        EXPECT_FALSE(block_->SetFloat(kScale, 0, bad));
        EXPECT_FALSE(block_->SetFloat(kSteps, 0, bad));
    }
    EXPECT_FALSE(block_->SetFloat(99, 0, 1.0f));
    EXPECT_FALSE(block_->SetInt(kSteps, 0, 4, 1));
    EXPECT_FALSE(block_->SetFloat(kNodes, 0, 1.0f));
    EXPECT_FALSE(block_->SetNode(kWidth, 0, &warp_));
    EXPECT_FLOAT_EQ(block_->GetFloat(kWidth), 1.5f);
    EXPECT_FLOAT_EQ(block_->GetFloat(kScale), 10.0f);
    EXPECT_EQ(block_->GetInt(kSteps), 51);
    EXPECT_TRUE(accessor_.stores.empty());
    EXPECT_EQ(ParameterChanges(), 0);
}

TEST_F(ParamBlockTest, EveryStoreReachesTheOwnerEvenOfAnEqualValue) {
    ASSERT_TRUE(block_->SetFloat(kScale, 0, 10.0f));
    EXPECT_EQ(ParameterChanges(), 1);
    ASSERT_TRUE(block_->SetFloat(kScale, 0, 10.0f));
    ASSERT_TRUE(block_->SetInt(kShow, 0, 1));
    EXPECT_EQ(ParameterChanges(), 3);
    ASSERT_EQ(owner_.Heard().size(), 3u);
    EXPECT_EQ(owner_.Heard().back().target, block_);
    EXPECT_EQ(block_->GetInt(kShow), 1);
}

TEST_F(ParamBlockTest, ValidatorRefusalLeavesTheTableUnchanged) {
    EXPECT_FALSE(block_->Append(kNodes, &box_));
    EXPECT_FALSE(block_->Append(kNodes, nullptr));
    EXPECT_EQ(block_->Count(kNodes), 0);
    EXPECT_FALSE(box_.HasDependents());
    EXPECT_EQ(ParameterChanges(), 0);
    EXPECT_TRUE(accessor_.tableChanges.empty());

    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    EXPECT_EQ(validator_.lastOwner, &owner_);
    EXPECT_EQ(validator_.lastId, kNodes);
    EXPECT_EQ(validator_.lastTabIndex, 0);
    EXPECT_EQ(block_->Count(kNodes), 1);
    EXPECT_EQ(block_->GetNode(kNodes), &warp_);
    EXPECT_EQ(warp_.Dependents().size(), 1u);
    ASSERT_EQ(accessor_.tableChanges.size(), 1u);
    EXPECT_EQ(accessor_.tableChanges[0].change, host::kTabAppend);
    EXPECT_EQ(accessor_.tableChanges[0].count, 1);
    EXPECT_EQ(ParameterChanges(), 1);

    EXPECT_FALSE(block_->SetNode(kNodes, 0, &box_, 0));
    EXPECT_EQ(block_->GetNode(kNodes), &warp_);
    EXPECT_EQ(ParameterChanges(), 1);

    const int asked = validator_.asked;
    ASSERT_TRUE(block_->SetNode(kNodes, 0, nullptr, 0));  // emptying needs no validation
    EXPECT_EQ(validator_.asked, asked);
    EXPECT_EQ(block_->GetNode(kNodes), nullptr);
    EXPECT_EQ(block_->Count(kNodes), 1);
    EXPECT_FALSE(warp_.HasDependents());
}

TEST_F(ParamBlockTest, ListedNodeChangesArePassedOnWithTheirPart) {
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    owner_.ClearHeard();
    warp_.SetTM(host::Matrix3::Translation(host::Point3(1, 0, 0)));
    warp_.SetWireColor(0xFF);
    ASSERT_EQ(owner_.Heard().size(), 2u);
    EXPECT_EQ(owner_.Heard()[0].part, host::PART_TM);
    EXPECT_EQ(owner_.Heard()[0].message, host::REFMSG_CHANGE);
    EXPECT_EQ(owner_.Heard()[0].target, block_);
    EXPECT_EQ(owner_.Heard()[1].part, host::PART_DISPLAY);

    // A node that is no longer listed is no longer heard.
    ASSERT_TRUE(block_->Delete(kNodes, 0, 1));
    owner_.ClearHeard();
    warp_.SetTM(host::Matrix3());
    EXPECT_TRUE(owner_.Heard().empty());
}

TEST_F(ParamBlockTest, DeletedNodeEmptiesItsEntries) {
    auto* doomed = new FakeSceneNode("WarpDoomed");
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    ASSERT_TRUE(block_->Append(kNodes, doomed));
    ASSERT_TRUE(block_->SetNode(kSpare, 0, doomed, 1));
    owner_.ClearHeard();

    doomed->DeleteThis();
    EXPECT_EQ(block_->Count(kNodes), 2);
    EXPECT_EQ(block_->GetNode(kNodes, 0, 0), &warp_);
    EXPECT_EQ(block_->GetNode(kNodes, 0, 1), nullptr);
    EXPECT_EQ(block_->GetNode(kSpare, 0, 1), nullptr);
    EXPECT_GE(ParameterChanges(), 1);
}

TEST_F(ParamBlockTest, RemovingEntriesReleasesButNeverDeletesNodes) {
    auto* lonely = new FakeSceneNode("WarpLonely");
    ASSERT_TRUE(block_->Append(kNodes, lonely));
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    ASSERT_TRUE(block_->Append(kNodes, &warp2_));
    EXPECT_FALSE(block_->Delete(kNodes, 2, 2));
    EXPECT_FALSE(block_->Delete(kNodes, -1, 1));
    accessor_.tableChanges.clear();

    ASSERT_TRUE(block_->Delete(kNodes, 0, 1));
    EXPECT_FALSE(lonely->HasDependents());  // still alive: the block never deletes a node
    EXPECT_EQ(block_->Count(kNodes), 2);
    EXPECT_EQ(block_->GetNode(kNodes, 0, 0), &warp_);
    ASSERT_EQ(accessor_.tableChanges.size(), 1u);
    EXPECT_EQ(accessor_.tableChanges[0].change, host::kTabDelete);
    EXPECT_EQ(accessor_.tableChanges[0].tabIndex, 0);
    EXPECT_EQ(accessor_.tableChanges[0].count, 1);
    lonely->DeleteThis();

    ASSERT_TRUE(block_->SetCount(kNodes, 1));
    EXPECT_FALSE(warp2_.HasDependents());
    EXPECT_TRUE(warp_.HasDependents());
    ASSERT_TRUE(block_->SetCount(kNodes, 3));
    EXPECT_EQ(block_->GetNode(kNodes, 0, 2), nullptr);
    EXPECT_EQ(accessor_.tableChanges.back().change, host::kTabSetCount);
    EXPECT_EQ(accessor_.tableChanges.back().count, 3);
    EXPECT_FALSE(block_->SetCount(kNodes, -1));
    EXPECT_FALSE(block_->SetCount(kWidth, 2));
    EXPECT_EQ(block_->Count(kNodes), 3);
}

// Every edit of a node table tells the owner, and the entries hold exactly their share
// of the memory budget, however the table grows or shrinks.
TEST_F(ParamBlockTest, EveryTableEditTellsTheOwnerAndKeepsTheBudgetExact) {
    const std::size_t empty = host::GetHeapStats().budgetBytesHeld;
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    const std::size_t entry = host::GetHeapStats().budgetBytesHeld - empty;
    ASSERT_GT(entry, 0u);
    struct Edit {
        const char* what;
        std::function<bool()> edit;
        std::size_t entries;  // after the edit
    };
    const Edit edits[] = {
        {"SetNode", [&] { return block_->SetNode(kNodes, 0, &warp2_, 0); }, 1},
        {"SetCount growing", [&] { return block_->SetCount(kNodes, 5); }, 5},
        {"SetNode emptying", [&] { return block_->SetNode(kNodes, 0, nullptr, 0); }, 5},
        {"SetCount shrinking", [&] { return block_->SetCount(kNodes, 2); }, 2},
        {"Delete", [&] { return block_->Delete(kNodes, 0, 1); }, 1},
        {"SetCount to none", [&] { return block_->SetCount(kNodes, 0); }, 0},
    };
    for (const Edit& e : edits) {
        owner_.ClearHeard();
        ASSERT_TRUE(e.edit()) << e.what;
        EXPECT_EQ(ParameterChanges(), 1) << e.what;
        EXPECT_EQ(host::GetHeapStats().budgetBytesHeld, empty + e.entries * entry) << e.what;
    }
}

TEST_F(ParamBlockTest, TableSizeIsBoundByTheMemoryBudget) {
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    host::SetMemoryBudget(host::GetHeapStats().budgetBytesHeld + 1000);
    owner_.ClearHeard();
    EXPECT_FALSE(block_->SetCount(kNodes, 1000000));
    EXPECT_FALSE(block_->SetCount(kNodes, INT32_MAX));
    EXPECT_EQ(block_->Count(kNodes), 1);
    EXPECT_EQ(block_->GetNode(kNodes), &warp_);
    EXPECT_EQ(ParameterChanges(), 0);
}

TEST_F(ParamBlockTest, ReferencesNumberNodeEntriesInDeclarationOrder) {
    ASSERT_TRUE(block_->SetNode(kSpare, 0, &box_, 1));  // no validator on this table
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    ASSERT_TRUE(block_->Append(kNodes, &warp2_));
    ASSERT_EQ(block_->NumRefs(), 4);
    EXPECT_EQ(block_->GetReference(0), &warp_);
    EXPECT_EQ(block_->GetReference(1), &warp2_);
    EXPECT_EQ(block_->GetReference(2), nullptr);
    EXPECT_EQ(block_->GetReference(3), &box_);
    EXPECT_EQ(block_->GetReference(4), nullptr);
    EXPECT_EQ(box_.Dependents().size(), 1u);
    EXPECT_EQ(box_.Dependents()[0], block_);
}

TEST_F(ParamBlockTest, CloneCopiesValuesAndRemapsNodes) {
    ASSERT_TRUE(block_->SetFloat(kWidth, 0, 42.0f));
    ASSERT_TRUE(block_->SetInt(kShow, 0, 1));
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    ASSERT_TRUE(block_->Append(kNodes, &warp2_));
    FakeSceneNode warpCopy("WarpCopy");
    host::RemapDir remap;
    remap.AddEntry(&warp_, &warpCopy);

    auto* clone = dynamic_cast<ParamBlock*>(block_->Clone(remap));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetDesc(), &desc_);
    EXPECT_EQ(clone->GetOwner(), nullptr);
    EXPECT_FLOAT_EQ(clone->GetFloat(kWidth), 42.0f);
    EXPECT_EQ(clone->GetInt(kShow), 1);
    EXPECT_EQ(clone->GetInt(kSteps), 51);
    EXPECT_EQ(clone->Count(kSpare), 2);
    ASSERT_EQ(clone->Count(kNodes), 2);
    EXPECT_EQ(clone->GetNode(kNodes, 0, 0), &warpCopy);
    EXPECT_EQ(clone->GetNode(kNodes, 0, 1), &warp2_);
    EXPECT_EQ(remap.FindMapping(block_), clone);
    EXPECT_EQ(warp2_.Dependents().size(), 2u);

    // The source is untouched, and the copy changes alone.
    ASSERT_TRUE(clone->SetFloat(kWidth, 0, 3.0f));
    EXPECT_FLOAT_EQ(block_->GetFloat(kWidth), 42.0f);
    EXPECT_EQ(block_->GetNode(kNodes, 0, 0), &warp_);
    clone->DeleteThis();
    EXPECT_EQ(warp2_.Dependents().size(), 1u);
    EXPECT_FALSE(warpCopy.HasDependents());
}

TEST_F(ParamBlockTest, CloneThatCannotAllocateLeavesNothing) {
    ASSERT_TRUE(block_->Append(kNodes, &warp_));
    const std::size_t live = host::GetHeapStats().liveBlocks;
    host::RemapDir remap;
    host::FailHeapAllocations(0, 1);
    EXPECT_EQ(block_->Clone(remap), nullptr);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
    EXPECT_EQ(warp_.Dependents().size(), 1u);
    EXPECT_EQ(remap.FindMapping(block_), block_);
}

TEST_F(ParamBlockTest, BlockWithoutOwnerStillStores) {
    ParamBlock loose(&desc_);
    EXPECT_EQ(loose.GetOwner(), nullptr);
    ASSERT_TRUE(loose.SetFloat(kWidth, 0, 500.0f));
    EXPECT_EQ(accessor_.stores.back().owner, nullptr);
    EXPECT_FLOAT_EQ(loose.GetFloat(kWidth), 100.0f);
}

TEST_F(ParamBlockTest, DescriptionLooksUpParametersByIdAndName) {
    ASSERT_NE(desc_.FindParamByName("forceNodes"), nullptr);
    EXPECT_EQ(desc_.FindParamByName("forceNodes")->id, kNodes);
    EXPECT_EQ(desc_.FindParamByName("forcenodes"), nullptr);
    EXPECT_EQ(desc_.FindParamByName(""), nullptr);
    ASSERT_NE(desc_.FindParam(kScale), nullptr);
    EXPECT_STREQ(desc_.FindParam(kScale)->internalName, "scale");
    EXPECT_EQ(desc_.FindParam(-1), nullptr);
    EXPECT_EQ(desc_.Count(), 6);
    EXPECT_EQ(desc_.ParamAt(3).id, kNodes);
}

TEST_F(ParamBlockTest, BlockAnswersItsDescriptionsParameters) {
    for (const host::ParamDef& def : desc_.Params()) {
        EXPECT_EQ(block_->FindParam(def.id), &def) << def.internalName;
        EXPECT_EQ(block_->FindParamByName(def.internalName), &def) << def.internalName;
    }
    EXPECT_EQ(block_->FindParam(-1), nullptr);
    EXPECT_EQ(block_->FindParamByName("forcenodes"), nullptr);
    ParamBlock undescribed(nullptr);
    EXPECT_EQ(undescribed.FindParam(kScale), nullptr);
    EXPECT_EQ(undescribed.FindParamByName("scale"), nullptr);
}

TEST(ControlBindingTest, BindingsListTheirControlsInOrder) {
    const host::ControlBinding spin = host::SpinnerBinding(host::EDITTYPE_FLOAT, 1001, 1002, 0.1f);
    EXPECT_EQ(spin.kind, host::CONTROL_SPINNER);
    EXPECT_EQ(spin.editType, host::EDITTYPE_FLOAT);
    EXPECT_EQ(spin.controls, (std::vector<int>{1001, 1002}));
    EXPECT_FLOAT_EQ(spin.spinnerScale, 0.1f);
    EXPECT_EQ(host::CheckBoxBinding(1010).controls, std::vector<int>{1010});
    const host::ControlBinding list = host::NodeListBinding(1, 2, 0, 4);
    EXPECT_EQ(list.kind, host::CONTROL_NODE_LISTBOX);
    EXPECT_EQ(list.controls, (std::vector<int>{1, 2, 0, 4}));
}

}  // namespace
