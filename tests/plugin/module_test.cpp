// The module as the host's loader sees it: exports, string table, class descriptor
// and the description of parameter block 0.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "host/module.h"
#include "host/platform.h"
#include "tests/plugin/plugin_fixture.h"

namespace zgtest {
namespace {

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = ZentrographModule(error);
        ASSERT_NE(module, nullptr) << error;
        desc = module->ClassAt(0);
        ASSERT_NE(desc, nullptr);
    }

    template <typename Fn>
    Fn Export(const char* name) {
        return reinterpret_cast<Fn>(module->Symbol(name));
    }

    zg::plugins::PluginModule* module = nullptr;
    host::ClassDesc2* desc = nullptr;
};

TEST_F(ModuleTest, LibraryFunctionsDescribeOneClass) {
    auto libClassDesc = Export<host::LibClassDescFn>("LibClassDesc");
    auto libVersion = Export<host::LibVersionFn>("LibVersion");
    auto libDescription = Export<host::LibDescriptionFn>("LibDescription");
    auto libNumberClasses = Export<host::LibNumberClassesFn>("LibNumberClasses");
    ASSERT_NE(libClassDesc, nullptr);
    ASSERT_NE(libVersion, nullptr);
    ASSERT_NE(libDescription, nullptr);
    ASSERT_NE(libNumberClasses, nullptr);

    EXPECT_EQ(libNumberClasses(), 1);
    EXPECT_EQ(libVersion(), 0x23281500u);
    EXPECT_STREQ(libDescription(), "Direcly view the effect of spacewarps");
    EXPECT_EQ(module->Description(), "Direcly view the effect of spacewarps");
    EXPECT_EQ(libClassDesc(0), desc);
    // The descriptor is a module-global (host/classdesc.h): it lies in the module's own
    // image, beside its exports, not on a heap.
    Dl_info global{};
    Dl_info entry{};
    ASSERT_NE(dladdr(libClassDesc(0), &global), 0);
    ASSERT_NE(dladdr(module->Symbol("LibClassDesc"), &entry), 0);
    EXPECT_EQ(global.dli_fbase, entry.dli_fbase);
    EXPECT_EQ(libClassDesc(1), nullptr);
    EXPECT_EQ(libClassDesc(-1), nullptr);
}

TEST_F(ModuleTest, OnlyTheLibraryFunctionsAreExported) {
    for (const char* name : {"DllMain", "LibDescription", "LibNumberClasses", "LibClassDesc", "LibVersion",
                             "HostModuleResources"})
        EXPECT_NE(module->Symbol(name), nullptr) << name;
    // The string reader and the descriptor accessor stay inside the module.
    EXPECT_EQ(module->Symbol("_ZN11zentrograph9GetStringEi"), nullptr);
    EXPECT_EQ(module->Symbol("_ZN11zentrograph23TheZentrographClassDescEv"), nullptr);
}

TEST_F(ModuleTest, ClassDescriptorIdentity) {
    EXPECT_EQ(desc->IsPublic(), 1);
    EXPECT_EQ(desc->SuperClassID(), 0x50u);
    EXPECT_EQ(desc->ClassID(), kZentrographId);
    EXPECT_STREQ(desc->ClassName(), "Zentrograph");
    EXPECT_STREQ(desc->Category(), "Tarnwick");
    EXPECT_STREQ(desc->InternalName(), "Zentrograph");
    EXPECT_EQ(desc->HInstance(), module->Instance());
}

TEST_F(ModuleTest, NamesShareOneStringBuffer) {
    const char* className = desc->ClassName();
    ASSERT_STREQ(className, "Zentrograph");
    const char* category = desc->Category();
    EXPECT_EQ(category, className);
    EXPECT_STREQ(className, "Tarnwick");
}

TEST_F(ModuleTest, EntryRoutineSucceedsForEveryReason) {
    auto entry = Export<host::DllMainFn>("DllMain");
    ASSERT_NE(entry, nullptr);
    for (host::DWORD reason : {0u, 2u, 3u, 77u}) EXPECT_EQ(entry(nullptr, reason, nullptr), 1) << reason;
    // Only reason 1 takes the instance handle.
    EXPECT_EQ(desc->HInstance(), module->Instance());
    EXPECT_STREQ(desc->ClassName(), "Zentrograph");
}

// Restores the module's instance handle however the test ends.
class WithoutInstanceHandle {
public:
    explicit WithoutInstanceHandle(zg::plugins::PluginModule& module)
        : module_(module), entry_(reinterpret_cast<host::DllMainFn>(module.Symbol("DllMain"))) {
        entry_(nullptr, host::DLL_PROCESS_ATTACH, nullptr);
    }
    ~WithoutInstanceHandle() { entry_(module_.Instance(), host::DLL_PROCESS_ATTACH, nullptr); }

private:
    zg::plugins::PluginModule& module_;
    host::DllMainFn entry_;
};

TEST_F(ModuleTest, UnreadableStringsGiveNoneOrEmptyNames) {
    host::Animatable* made = desc->Create(0);
    ASSERT_NE(made, nullptr);
    auto* object = dynamic_cast<host::BaseObject*>(made);
    ASSERT_NE(object, nullptr);
    {
        WithoutInstanceHandle guard(*module);
        EXPECT_EQ(desc->HInstance(), nullptr);
        EXPECT_EQ(desc->ClassName(), nullptr);
        EXPECT_EQ(desc->Category(), nullptr);
        EXPECT_STREQ(desc->InternalName(), "Zentrograph");
        EXPECT_EQ(Export<host::LibDescriptionFn>("LibDescription")(), nullptr);
        EXPECT_EQ(object->GetObjectName(), nullptr);
        host::CStr name = "previous";
        object->GetClassName(name);
        EXPECT_EQ(name, "");
        name = "previous";
        object->InitNodeName(name);
        EXPECT_EQ(name, "");
        EXPECT_EQ(object->SubAnimName(0), "");
    }
    EXPECT_STREQ(desc->ClassName(), "Zentrograph");
    made->DeleteThis();
}

TEST_F(ModuleTest, StringTable) {
    struct Entry {
        int id;
        const char* text;
    };
    const Entry table[] = {
        {1, "Direcly view the effect of spacewarps"},
        {3, "Zentrograph"},
        {4, "Parameters"},
        {5, "Size X"},
        {6, "Size Y"},
        {7, "Size Z"},
        {8, "Resolution X"},
        {9, "Resolution Y"},
        {10, "Resolution Z"},
        {11, "Vector Scale"},
        {12, "Force Nodes"},
        {13, "Display Lattice"},
        {14, "Display Vector Bases"},
        {15, "2007.02.20"},
        {17, "Tarnwick"},
    };
    char buffer[256];
    for (const Entry& e : table) {
        EXPECT_GT(host::LoadStringA(module->Instance(), static_cast<host::UINT>(e.id), buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, e.text) << "string " << e.id;
    }
    EXPECT_GT(host::LoadStringA(module->Instance(), 16, buffer, sizeof buffer), 0);
    EXPECT_EQ(host::LoadStringA(module->Instance(), 2, buffer, sizeof buffer), 0);
    EXPECT_EQ(host::LoadStringA(module->Instance(), 18, buffer, sizeof buffer), 0);
}

TEST_F(ModuleTest, ParameterBlockDescription) {
    ASSERT_EQ(desc->NumParamBlockDescs(), 1);
    const host::ParamBlockDesc2* pbd = desc->GetParamBlockDesc(0);
    ASSERT_NE(pbd, nullptr);
    EXPECT_EQ(desc->GetParamBlockDescByID(0), pbd);
    EXPECT_EQ(pbd->ClassDescriptor(), desc);
    const host::BlockDef& block = pbd->Block();
    EXPECT_EQ(block.id, 0);
    EXPECT_STREQ(block.internalName, "Parameters");
    EXPECT_EQ(block.nameStringId, 0);
    EXPECT_EQ(block.flags, 6u);
    EXPECT_EQ(block.refNumber, 0);
    ASSERT_TRUE(block.rollout.has_value());
    EXPECT_EQ(block.rollout->dialogId, 101);
    EXPECT_EQ(block.rollout->titleStringId, 4);
    EXPECT_EQ(block.rollout->flagMask, 0u);
    EXPECT_EQ(block.rollout->rolloutFlags, 0u);
    EXPECT_EQ(block.rollout->userProc, nullptr);

    struct Expected {
        const char* name;
        host::ParamType type;
        uint32_t flags;
        int stringId;
        double lo, hi;  // lo > hi: no range
        bool accessor, validator;
        host::ControlKind kind;
        host::EditType editType;
        std::vector<int> controls;
        float spinnerScale;
    };
    const Expected expected[] = {
        {"sizeX", host::TYPE_FLOAT, 0x20, 5, 0.0, 999999.0, true, false, host::CONTROL_SPINNER,
         host::EDITTYPE_FLOAT, {1490, 1496}, -1.0f},
        {"sizeY", host::TYPE_FLOAT, 0x20, 6, 0.0, 999999.0, true, false, host::CONTROL_SPINNER,
         host::EDITTYPE_FLOAT, {1494, 1500}, -1.0f},
        {"sizeZ", host::TYPE_FLOAT, 0x20, 7, 0.0, 999999.0, true, false, host::CONTROL_SPINNER,
         host::EDITTYPE_FLOAT, {1495, 1501}, -1.0f},
        {"resolutionX", host::TYPE_INT, 0, 8, 1.0, 999.0, true, false, host::CONTROL_SPINNER, host::EDITTYPE_INT,
         {1491, 1497}, 1.0f},
        {"resolutionY", host::TYPE_INT, 0, 9, 1.0, 999.0, true, false, host::CONTROL_SPINNER, host::EDITTYPE_INT,
         {1492, 1498}, 1.0f},
        {"resolutionZ", host::TYPE_INT, 0, 10, 1.0, 999.0, true, false, host::CONTROL_SPINNER, host::EDITTYPE_INT,
         {1493, 1499}, 1.0f},
        {"forceNodes", host::TYPE_INODE_TAB, 0x1000, 12, 1.0, 0.0, false, true, host::CONTROL_NODE_LISTBOX,
         host::EDITTYPE_NONE, {1009, 1010, 0, 1011}, 0.0f},
        {"vectorScale", host::TYPE_FLOAT, 0, 11, -999999.0, 999999.0, false, false, host::CONTROL_SPINNER,
         host::EDITTYPE_FLOAT, {1502, 1503}, -1.0f},
        {"displayVectorBases", host::TYPE_BOOL, 0, 14, 1.0, 0.0, false, false, host::CONTROL_SINGLE_CHECKBOX,
         host::EDITTYPE_NONE, {1001}, 0.0f},
        {"displayLattice", host::TYPE_BOOL, 0, 13, 1.0, 0.0, false, false, host::CONTROL_SINGLE_CHECKBOX,
         host::EDITTYPE_NONE, {1002}, 0.0f},
    };
    ASSERT_EQ(pbd->Count(), 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(expected[i].name);
        const host::ParamDef& def = pbd->ParamAt(i);
        const Expected& e = expected[i];
        EXPECT_EQ(def.id, i);
        EXPECT_STREQ(def.internalName, e.name);
        EXPECT_EQ(def.type, e.type);
        EXPECT_EQ(def.flags, e.flags);
        EXPECT_EQ(def.nameStringId, e.stringId);
        if (e.lo <= e.hi) {
            ASSERT_TRUE(def.range.has_value());
            EXPECT_EQ(def.range->lo, e.lo);
            EXPECT_EQ(def.range->hi, e.hi);
        } else {
            EXPECT_FALSE(def.range.has_value());
        }
        EXPECT_EQ(def.accessor != nullptr, e.accessor);
        EXPECT_EQ(def.validator != nullptr, e.validator);
        EXPECT_EQ(def.ui.kind, e.kind);
        EXPECT_EQ(def.ui.editType, e.editType);
        EXPECT_EQ(def.ui.controls, e.controls);
        EXPECT_EQ(def.ui.spinnerScale, e.spinnerScale);
    }
    // One accessor serves the six clamped parameters.
    for (int i = 1; i < 6; ++i) EXPECT_EQ(pbd->ParamAt(i).accessor, pbd->ParamAt(0).accessor);
}

}  // namespace
}  // namespace zgtest
