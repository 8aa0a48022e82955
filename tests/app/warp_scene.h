// A scene for tests of the host's built-in object classes: nodes of any built-in class
// added by class name, and points compared within a tolerance.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/scene/scene.h"
#include "app/warps/builtin_classes.h"
#include "host/paramblock.h"

namespace warptest {

inline void ExpectNear(const host::Point3& actual, const host::Point3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

inline host::ClassDesc2* ClassNamed(std::string_view name) {
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses())
        if (name == desc->ClassName()) return desc;
    return nullptr;
}

// A scene that test cases fill with nodes of the built-in classes.
class WarpScene : public ::testing::Test {
protected:
    zg::scene::Node* Add(std::string_view className, host::Point3 position = {}, host::Point3 rotation = {},
                         host::Point3 scale = {1, 1, 1}) {
        host::ClassDesc2* desc = ClassNamed(className);
        EXPECT_NE(desc, nullptr) << className;
        if (desc == nullptr) return nullptr;
        std::string error;
        zg::scene::Node* node =
            scene.AddNode(scene.UniqueName(className), static_cast<host::Object*>(desc->Create(0)), error);
        node->SetPosition(zg::scene::AnimatedPoint(position));
        node->SetRotation(zg::scene::AnimatedPoint(rotation));
        node->SetScale(zg::scene::AnimatedPoint(scale));
        return node;
    }
    static host::ParamBlock* Params(zg::scene::Node* node) { return node->GetObjectRef()->GetParamBlock(0); }

    zg::scene::Scene scene;
};

}  // namespace warptest
