// The host's built-in classes: their identities, and their listing beside the modules'.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "app/plugins/class_directory.h"
#include "app/warps/builtin_classes.h"
#include "host/classdesc.h"
#include "host/object.h"

namespace {

host::ClassDesc2* ClassNamed(std::string_view name) {
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses())
        if (name == desc->ClassName()) return desc;
    return nullptr;
}

TEST(BuiltinClassesTest, IdentitiesAreDistinctAndOnlyBarrierAndRippleCarryRefusedIds) {
    const host::Class_ID plugin{0x0F016797, 0x762B0972};
    const host::Class_ID refusedA{0x1C915E12, 0x5C8E760E};
    const host::Class_ID refusedB{0x70AB0669, 0x734F496D};
    std::set<std::pair<uint32_t, uint32_t>> seen;
    std::set<std::string> names;
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses()) {
        const host::Class_ID id = desc->ClassID();
        EXPECT_TRUE(seen.insert({id.PartA(), id.PartB()}).second) << desc->ClassName();
        EXPECT_TRUE(names.insert(desc->ClassName()).second);
        EXPECT_FALSE(id == plugin) << desc->ClassName();
        EXPECT_STREQ(desc->InternalName(), desc->ClassName());
        EXPECT_EQ(desc->IsPublic(), 1);
        const std::string name = desc->ClassName();
        EXPECT_EQ(id == refusedA, name == "Barrier") << name;
        EXPECT_EQ(id == refusedB, name == "Ripple") << name;
        // The object made agrees with its descriptor.
        host::Animatable* made = desc->Create(0);
        ASSERT_NE(made, nullptr) << name;
        EXPECT_EQ(made->SuperClassID(), desc->SuperClassID());
        EXPECT_TRUE(made->ClassID() == id);
        host::CStr className;
        made->GetClassName(className);
        EXPECT_EQ(className, name);
        made->DeleteThis();
    }
    EXPECT_EQ(names, (std::set<std::string>{"Gravity", "Wind", "Vortex", "Drag", "UniformForce", "Barrier", "Ripple",
                                            "Anchor", "Point"}));
    EXPECT_EQ(ClassNamed("Point")->SuperClassID(), host::kHelperSuperClassId);
    EXPECT_EQ(ClassNamed("Anchor")->SuperClassID(), host::kWSMObjectSuperClassId);
}

TEST(BuiltinClassesTest, ListedInADirectoryInTheirOrderAsTheHostsOwn) {
    zg::plugins::ClassDirectory directory;
    zg::warps::ListBuiltinClasses(directory);
    const auto& classes = zg::warps::BuiltinClasses();
    ASSERT_EQ(directory.Classes().size(), classes.size());
    for (std::size_t i = 0; i < classes.size(); ++i) {
        EXPECT_EQ(directory.Classes()[i].desc, classes[i]) << i;
        EXPECT_EQ(directory.Classes()[i].module, nullptr) << i;
    }
    EXPECT_TRUE(directory.Problems().empty());
}

}  // namespace
