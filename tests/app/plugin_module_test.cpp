// PluginModule against the real plug-in and against modules that are wrong in one way
// each: whatever fails leaves one line naming the file and nothing loaded or registered.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "app/plugins/plugin_module.h"
#include "host/module.h"
#include "tests/app/module_files.h"
#include "tests/support/temp_folder.h"

using zg::plugins::PluginModule;
using namespace loadertest;

namespace {

// The error line: one line, beginning with the file exactly as the caller named it.
void ExpectOneLineAbout(const std::string& error, const std::filesystem::path& file) {
    EXPECT_TRUE(error.starts_with(file.string() + ": ")) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

}  // namespace

TEST(PluginModule, LoadsZentrographAndReadsItsExports) {
    std::string error;
    auto module = PluginModule::Load(ZentrographModule(), error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(module->File(), ZentrographModule());
    EXPECT_EQ(module->Description(), "Direcly view the effect of spacewarps");
    EXPECT_EQ(module->Version(), host::kHostInterfaceVersion);
    ASSERT_EQ(module->NumClasses(), 1);

    host::ClassDesc2* desc = module->ClassAt(0);
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->ClassID(), host::Class_ID(0x0F016797, 0x762B0972));
    EXPECT_EQ(desc->SuperClassID(), host::kHelperSuperClassId);
    EXPECT_EQ(module->ClassAt(1), nullptr);
    EXPECT_EQ(module->ClassAt(-1), nullptr);

    // The entry routine received the handle the module's resources are registered under.
    EXPECT_NE(module->Instance(), nullptr);
    EXPECT_EQ(desc->HInstance(), module->Instance());
    EXPECT_NE(host::ModuleResources(module->Instance()), nullptr);

    EXPECT_NE(module->Symbol("LibVersion"), nullptr);
    EXPECT_EQ(module->Symbol("NoSuchExport"), nullptr);
    EXPECT_EQ(module->Symbol(nullptr), nullptr);
}

TEST(PluginModule, UnloadingDetachesUnregistersAndCloses) {
    EntryLog log;
    std::string error;
    auto module = PluginModule::Load(TestModule("gauges"), error);
    ASSERT_NE(module, nullptr) << error;
    const host::HINSTANCE instance = module->Instance();
    // The description is read from the module's own string table through that handle.
    EXPECT_EQ(module->Description(), "Gauges for the loader tests");
    EXPECT_EQ(log.Calls(), (std::vector<EntryCall>{{host::DLL_PROCESS_ATTACH, instance}}));

    module.reset();
    EXPECT_EQ(log.Calls(), (std::vector<EntryCall>{{host::DLL_PROCESS_ATTACH, instance},
                                                   {host::DLL_PROCESS_DETACH, instance}}));
    EXPECT_EQ(host::ModuleResources(instance), nullptr);
    EXPECT_FALSE(StillLoaded(TestModule("gauges")));
}

TEST(PluginModule, RefusesFilesTheLoaderCannotOpen) {
    testsupport::TempFolder folder;
    const auto garbage = folder.Write("x.dlo", Garbage());
    const auto empty = folder.Write("empty.dlo", "");
    const auto missing = folder.Path() / "missing.dlo";

    for (const auto& file : {garbage, empty, missing}) {
        std::string error;
        EXPECT_EQ(PluginModule::Load(file, error), nullptr);
        ExpectOneLineAbout(error, file);
        EXPECT_TRUE(error.starts_with(file.string() + ": not a loadable module: ")) << error;
        // The loader's own message, without the path a second time.
        EXPECT_EQ(error.find(file.string(), 1), std::string::npos) << error;
        EXPECT_GT(error.size(), (file.string() + ": not a loadable module: ").size()) << error;
    }
}

TEST(PluginModule, RefusesAModuleWithoutLibClassDesc) {
    std::string error;
    const auto file = TestModule("missing_export");
    EXPECT_EQ(PluginModule::Load(file, error), nullptr);
    EXPECT_EQ(error, file.string() + ": missing export LibClassDesc");
    EXPECT_FALSE(StillLoaded(file));
}

TEST(PluginModule, RefusesAnotherInterfaceVersionAfterDetachingIt) {
    EntryLog log;
    std::string error;
    const auto file = TestModule("other_version");
    EXPECT_EQ(PluginModule::Load(file, error), nullptr);
    EXPECT_EQ(error, file.string() + ": built for host interface version 0x2a000001, this host is 0x23281500");

    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].reason, host::DLL_PROCESS_ATTACH);
    EXPECT_EQ(calls[1], (EntryCall{host::DLL_PROCESS_DETACH, calls[0].instance}));
    EXPECT_EQ(host::ModuleResources(calls[0].instance), nullptr);
    EXPECT_FALSE(StillLoaded(file));
}

TEST(PluginModule, RefusesAModuleWhoseEntryRoutineFails) {
    EntryLog log;
    std::string error;
    const auto file = TestModule("refuses_attach");
    EXPECT_EQ(PluginModule::Load(file, error), nullptr);
    ExpectOneLineAbout(error, file);
    EXPECT_NE(error.find("refused to attach"), std::string::npos) << error;

    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], (EntryCall{host::DLL_PROCESS_DETACH, calls[0].instance}));
    EXPECT_EQ(host::ModuleResources(calls[0].instance), nullptr);
    EXPECT_FALSE(StillLoaded(file));
}

// A bare file name means the file in the working folder, not a library-path search.
TEST(PluginModule, ABareFileNameIsTheFileInTheWorkingFolder) {
    testsupport::TempFolder folder;
    std::filesystem::copy_file(TestModule("gauges"), folder.Path() / "gauges.dlo");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    std::string error;
    auto module = PluginModule::Load("gauges.dlo", error);
    std::filesystem::current_path(previous);

    ASSERT_NE(module, nullptr) << error;
    EXPECT_EQ(module->File(), "gauges.dlo");
    EXPECT_EQ(module->NumClasses(), 3);
}
