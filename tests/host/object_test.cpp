#include "host/object.h"

#include <gtest/gtest.h>

#include "tests/support/host_fakes.h"

namespace {

// An object that names itself, to see InitNodeName follow GetObjectName.
class NamedHelper : public hostfakes::FakeHelperObject {
public:
    const char* GetObjectName() override { return name; }
    const char* name = "Field";
};

class NoCallBack : public host::CreateMouseCallBack {
public:
    int proc(host::ViewportContext*, int, int, int, host::IPoint2, host::Matrix3&) override {
        return host::CREATE_STOP;
    }
};

TEST(ObjectTest, DefaultsAHelperKeeps) {
    hostfakes::FakeHelperObject helper;
    EXPECT_EQ(helper.SuperClassID(), host::kHelperSuperClassId);
    EXPECT_EQ(helper.IsRenderable(), 0);
    EXPECT_EQ(helper.Eval(120).obj, &helper);
    EXPECT_EQ(helper.FindBaseObject(), &helper);
    EXPECT_EQ(helper.ObjectValidity(5), host::FOREVER);
    EXPECT_EQ(helper.GetForceField(nullptr), nullptr);
    EXPECT_EQ(helper.GetCreateMouseCallBack(), nullptr);
    EXPECT_EQ(helper.CanCacheObject(), 1);
    EXPECT_EQ(helper.IsWorldSpaceObject(), 0);
    EXPECT_EQ(helper.Display(0, nullptr, nullptr, 0), 0);

    host::Box3 box(host::Point3(0, 0, 0), host::Point3(1, 1, 1));
    helper.GetLocalBoundBox(0, nullptr, nullptr, box);
    EXPECT_TRUE(box.IsEmpty());
    box += host::Point3(1, 1, 1);
    helper.GetWorldBoundBox(0, nullptr, nullptr, box);
    EXPECT_TRUE(box.IsEmpty());
}

TEST(ObjectTest, ObjectFlagWord) {
    hostfakes::FakeHelperObject helper;
    EXPECT_EQ(helper.GetObjectFlags(), 0u);
    helper.SetAFlag(host::kObjectBeingCreated | 0x1);
    EXPECT_TRUE(helper.TestAFlag(host::kObjectBeingCreated));
    helper.ClearAFlag(host::kObjectBeingCreated);
    EXPECT_EQ(helper.GetObjectFlags(), 0x1u);
}

TEST(ObjectTest, InitNodeNameFollowsTheObjectName) {
    NamedHelper helper;
    host::CStr name;
    helper.InitNodeName(name);
    EXPECT_EQ(name, "Field");
    helper.name = nullptr;
    helper.InitNodeName(name);
    EXPECT_EQ(name, "");
}

TEST(ObjectTest, CreateMouseCallBackDefaults) {
    NoCallBack cb;
    EXPECT_EQ(cb.OverrideMode(3), 3);
    EXPECT_EQ(cb.StartNewCreation(), 1);
    EXPECT_EQ(cb.IgnoreSnap(), 0);
}

TEST(ObjectTest, SpaceWarpHandsOutForceFieldsItsCallerReleases) {
    hostfakes::FakeSpaceWarp warp(host::Class_ID(1, 2), host::Point3(0, 0, 3));
    EXPECT_EQ(warp.SuperClassID(), host::kWSMObjectSuperClassId);
    const int before = hostfakes::ConstantForceField::Live();
    host::ForceField* field = warp.GetForceField(nullptr);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Force(0, host::Point3(), host::Point3(), 0), host::Point3(0, 0, 3));
    EXPECT_EQ(hostfakes::ConstantForceField::Live(), before + 1);
    field->DeleteThis();
    EXPECT_EQ(hostfakes::ConstantForceField::Live(), before);
}

}  // namespace
