#include "host/reference.h"

#include <gtest/gtest.h>

#include <array>

#include <algorithm>

#include "tests/support/host_fakes.h"

using hostfakes::FakeHelperObject;
using host::ReferenceTarget;

namespace {

// A target that counts its live instances, so tests see what the reference system deleted.
class CountedTarget : public ReferenceTarget {
public:
    CountedTarget() { ++live; }
    ~CountedTarget() override { --live; }
    host::SClass_ID SuperClassID() override { return 0x7E57; }
    host::Class_ID ClassID() override { return host::Class_ID(0x7E57, 1); }
    static inline int live = 0;
};

// A maker that keeps its references when destroyed: the base must still unregister it.
class CarelessMaker : public host::ReferenceMaker {
public:
    host::SClass_ID SuperClassID() override { return 0x7E57; }
    host::Class_ID ClassID() override { return host::Class_ID(0x7E57, 2); }
    int NumRefs() override { return 1; }
    ReferenceTarget* GetReference(int) override { return ref; }
    void SetReference(int, ReferenceTarget* t) override { ref = t; }
    ReferenceTarget* ref = nullptr;
};

// A maker that drops its reference while it hears a change.
class LetGoOnChange : public FakeHelperObject {
public:
    host::RefResult NotifyRefChanged(const host::Interval& iv, ReferenceTarget* target, host::PartID& part,
                                     host::RefMessage message) override {
        FakeHelperObject::NotifyRefChanged(iv, target, part, message);
        if (message == host::REFMSG_CHANGE) ReplaceReference(0, nullptr, false);
        return host::REF_SUCCEED;
    }
};

int Occurrences(const ReferenceTarget& t, host::ReferenceMaker* m) {
    return static_cast<int>(std::count(t.Dependents().begin(), t.Dependents().end(), m));
}

class ReferenceTest : public ::testing::Test {
protected:
    void SetUp() override { CountedTarget::live = 0; }
};

TEST_F(ReferenceTest, ReplaceReferenceRegistersOncePerReference) {
    auto* target = new CountedTarget;
    FakeHelperObject maker(2);
    EXPECT_EQ(maker.ReplaceReference(0, target), host::REF_SUCCEED);
    EXPECT_EQ(maker.ReplaceReference(1, target), host::REF_SUCCEED);
    EXPECT_EQ(Occurrences(*target, &maker), 2);

    EXPECT_EQ(maker.DeleteReference(0), host::REF_SUCCEED);
    EXPECT_EQ(maker.GetReference(0), nullptr);
    EXPECT_EQ(Occurrences(*target, &maker), 1);
    EXPECT_EQ(CountedTarget::live, 1);  // still held through slot 1

    EXPECT_EQ(maker.DeleteReference(1), host::REF_SUCCEED);
    EXPECT_EQ(CountedTarget::live, 0);
}

TEST_F(ReferenceTest, ReleaseDeletesAnOrphanAndKeepsASharedTarget) {
    auto* shared = new CountedTarget;
    auto* orphan = new CountedTarget;
    auto* replacement = new CountedTarget;
    FakeHelperObject a, b;
    a.ReplaceReference(0, shared);
    b.ReplaceReference(0, shared);
    a.ReplaceReference(0, replacement);  // shared still has b
    EXPECT_EQ(CountedTarget::live, 3);
    EXPECT_EQ(Occurrences(*shared, &a), 0);
    EXPECT_EQ(Occurrences(*shared, &b), 1);

    b.ReplaceReference(0, orphan);  // nothing refers to shared any more
    EXPECT_EQ(CountedTarget::live, 2);

    b.ReplaceReference(0, nullptr, false);  // kept without the release flag
    EXPECT_EQ(CountedTarget::live, 2);
    EXPECT_FALSE(orphan->HasDependents());
    orphan->DeleteThis();

    a.DeleteAllRefsFromMe();
    EXPECT_EQ(CountedTarget::live, 0);
    EXPECT_EQ(a.GetReference(0), nullptr);
}

TEST_F(ReferenceTest, OutOfRangeSlotFails) {
    CountedTarget target;
    FakeHelperObject maker(1);
    EXPECT_EQ(maker.ReplaceReference(1, &target), host::REF_FAIL);
    EXPECT_EQ(maker.ReplaceReference(-1, &target), host::REF_FAIL);
    EXPECT_FALSE(target.HasDependents());
}

TEST_F(ReferenceTest, DestroyedTargetTellsAndClearsItsDependents) {
    auto* target = new CountedTarget;
    FakeHelperObject maker(3);
    auto* other = new CountedTarget;
    maker.ReplaceReference(0, target);
    maker.ReplaceReference(1, other);
    maker.ReplaceReference(2, target);

    target->DeleteThis();
    EXPECT_EQ(maker.GetReference(0), nullptr);
    EXPECT_EQ(maker.GetReference(1), other);
    EXPECT_EQ(maker.GetReference(2), nullptr);
    ASSERT_FALSE(maker.Heard().empty());
    EXPECT_EQ(maker.Heard().front().message, host::REFMSG_TARGET_DELETED);
    EXPECT_EQ(maker.Heard().front().target, target);
    // The maker's later release must not touch the freed target.
    maker.DeleteAllRefsFromMe();
    EXPECT_EQ(CountedTarget::live, 0);
}

TEST_F(ReferenceTest, DestroyedMakerLeavesItsTargets) {
    CountedTarget target;
    {
        CarelessMaker maker;
        maker.ReplaceReference(0, &target);
        EXPECT_EQ(Occurrences(target, &maker), 1);
    }
    EXPECT_FALSE(target.HasDependents());
    target.NotifyDependents(host::FOREVER, host::PART_ALL, host::REFMSG_CHANGE);
}

TEST_F(ReferenceTest, NotifyDependentsReachesEveryDependentInOrder) {
    auto* target = new CountedTarget;
    FakeHelperObject first, third;
    LetGoOnChange second;
    first.ReplaceReference(0, target);
    second.ReplaceReference(0, target);
    third.ReplaceReference(0, target);

    target->NotifyDependents(host::Interval(0, 100), host::PART_TM, host::REFMSG_CHANGE);
    for (const FakeHelperObject* m : {&first, static_cast<FakeHelperObject*>(&second), &third}) {
        ASSERT_EQ(m->Heard().size(), 1u);
        EXPECT_EQ(m->Heard()[0].part, host::PART_TM);
        EXPECT_EQ(m->Heard()[0].target, target);
    }
    // The second let go while hearing; the others are still there, in order.
    ASSERT_EQ(target->Dependents().size(), 2u);
    EXPECT_EQ(target->Dependents()[0], &first);
    EXPECT_EQ(target->Dependents()[1], &third);
    first.DeleteAllRefsFromMe();
    EXPECT_EQ(CountedTarget::live, 1);
    third.DeleteAllRefsFromMe();
    EXPECT_EQ(CountedTarget::live, 0);
}

// A maker that keeps every message it hears to itself.
class Stopper : public FakeHelperObject {
public:
    host::RefResult NotifyRefChanged(const host::Interval& iv, ReferenceTarget* target, host::PartID& part,
                                     host::RefMessage message) override {
        FakeHelperObject::NotifyRefChanged(iv, target, part, message);
        return host::REF_STOP;
    }
};

TEST_F(ReferenceTest, AChangeTravelsOnUntilAMakerStopsItAndAroundALoopOnce) {
    CountedTarget target;
    FakeHelperObject near, far, loop;
    Stopper stopper;
    FakeHelperObject behindStopper;
    near.ReplaceReference(0, &target, false);
    far.ReplaceReference(0, &near, false);
    stopper.ReplaceReference(0, &target, false);
    behindStopper.ReplaceReference(0, &stopper, false);
    loop.ReplaceReference(0, &far, false);
    far.ClearHeard();

    target.NotifyDependents(host::FOREVER, host::PART_TM, host::REFMSG_CHANGE);
    EXPECT_EQ(far.ChangesHeard(host::PART_TM), 1);
    EXPECT_EQ(loop.ChangesHeard(host::PART_TM), 1);
    EXPECT_EQ(stopper.ChangesHeard(host::PART_TM), 1);
    EXPECT_TRUE(behindStopper.Heard().empty());

    // both and loop depend on each other: the message goes round once.
    FakeHelperObject both(2);
    both.ReplaceReference(0, &loop, false);
    loop.ReplaceReference(0, &both, false);
    loop.ClearHeard();
    both.ClearHeard();
    loop.NotifyDependents(host::FOREVER, host::PART_DISPLAY, host::REFMSG_CHANGE);
    EXPECT_EQ(both.ChangesHeard(host::PART_DISPLAY), 1);
    EXPECT_EQ(loop.ChangesHeard(host::PART_DISPLAY), 1);
    // Every object here lives on the stack: let go without deleting anything.
    const std::array<host::ReferenceMaker*, 6> all = {&near, &far, &loop, &stopper, &behindStopper, &both};
    for (host::ReferenceMaker* m : all)
        for (int i = 0; i < m->NumRefs(); ++i) m->ReplaceReference(i, nullptr, false);
}

TEST_F(ReferenceTest, RemapDirAndBaseClone) {
    CountedTarget original, copy, unrelated;
    host::RemapDir remap;
    EXPECT_EQ(remap.FindMapping(&original), &original);
    EXPECT_EQ(remap.FindMapping(nullptr), nullptr);

    hostfakes::FakeHelperObject source, clone;
    source.SetAFlag(host::kObjectBeingCreated);
    source.BaseClone(&source, &clone, remap);
    EXPECT_EQ(remap.FindMapping(&source), &clone);
    EXPECT_FALSE(clone.TestAFlag(host::kObjectBeingCreated));

    remap.AddEntry(&original, &copy);
    EXPECT_EQ(remap.FindMapping(&original), &copy);
    EXPECT_EQ(remap.FindMapping(&unrelated), &unrelated);
}

TEST_F(ReferenceTest, AnimatableDefaults) {
    CountedTarget t;
    host::CStr name = "x";
    t.GetClassName(name);
    EXPECT_EQ(name, "");
    EXPECT_EQ(t.IsSubClassOf(host::Class_ID(0x7E57, 1)), 1);
    EXPECT_EQ(t.IsSubClassOf(host::Class_ID(0x7E57, 0)), 0);
    EXPECT_EQ(t.NumSubs(), 0);
    EXPECT_EQ(t.SubAnim(0), nullptr);
    EXPECT_EQ(t.GetParamBlockByID(0), nullptr);
    EXPECT_EQ(t.GetInterface(1), nullptr);
    host::RemapDir remap;
    EXPECT_EQ(t.Clone(remap), nullptr);
}

}  // namespace
