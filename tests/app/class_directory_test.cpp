// ClassDirectory: a folder of good and broken modules loads the good ones, one problem
// line per broken file; classes are found by name and identity and grouped by
// category; modules unload last-loaded first.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/plugins/class_directory.h"
#include "tests/app/module_files.h"
#include "tests/support/temp_folder.h"

using zg::plugins::ClassDirectory;
using zg::plugins::ClassEntry;
using namespace loadertest;
namespace fs = std::filesystem;

namespace {

const host::Class_ID kZentrographId(0x0F016797, 0x762B0972);

std::vector<std::string> ProblemsAbout(const ClassDirectory& directory, const fs::path& file) {
    std::vector<std::string> found;
    for (const std::string& line : directory.Problems()) {
        if (line.starts_with(file.string() + ":")) found.push_back(line);
    }
    return found;
}

std::vector<std::string> ModuleFileNames(const ClassDirectory& directory) {
    std::vector<std::string> names;
    for (const auto& module : directory.Modules()) names.push_back(module->File().filename().string());
    return names;
}

// A class of the host's own, as the application's built-in space warps are.
class BuiltinWindDesc : public host::ClassDesc2 {
public:
    explicit BuiltinWindDesc(host::Class_ID id = host::Class_ID(0x7001, 0x7002)) : id_(id) {}
    int IsPublic() override { return 1; }
    host::Animatable* Create(int) override { return nullptr; }
    const char* ClassName() override { return "Wind"; }
    host::SClass_ID SuperClassID() override { return host::kWSMObjectSuperClassId; }
    host::Class_ID ClassID() override { return id_; }
    const char* Category() override { return "Forces"; }
    const char* InternalName() override { return "Wind"; }

private:
    host::Class_ID id_;
};

}  // namespace

TEST(ClassDirectory, LoadsTheGoodModulesOfAFolderAndReportsEachBrokenOne) {
    testsupport::TempFolder folder;
    const fs::path& dir = folder.Path();
    fs::create_symlink(ZentrographModule(), dir / "Zentrograph.dlo");
    fs::create_symlink(TestModule("gauges"), dir / "gauges.dlo");
    const fs::path garbage = folder.Write("x.dlo", Garbage());
    fs::create_symlink(TestModule("missing_export"), dir / "missing_export.dlo");
    fs::create_symlink(TestModule("other_version"), dir / "other_version.dlo");
    fs::create_symlink(TestModule("refuses_attach"), dir / "refuses_attach.dlo");
    folder.Write("notes.txt", "not a module, and not named like one");
    fs::create_directory(dir / "folder.dlo");
    folder.Write("two\nlines.dlo", Garbage());

    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadFolder(dir));

    // File-name order; the broken files in between did not stop the loading.
    EXPECT_EQ(ModuleFileNames(directory), (std::vector<std::string>{"Zentrograph.dlo", "gauges.dlo"}));
    EXPECT_EQ(directory.SkippedModules(), 5);
    EXPECT_EQ(ProblemsAbout(directory, dir / "two\\nlines.dlo").size(), 1u);
    for (const fs::path& bad : {garbage, dir / "missing_export.dlo", dir / "other_version.dlo",
                                dir / "refuses_attach.dlo"}) {
        const auto lines = ProblemsAbout(directory, bad);
        ASSERT_EQ(lines.size(), 1u) << bad;
        EXPECT_EQ(lines[0].find('\n'), std::string::npos) << lines[0];
    }
    EXPECT_EQ(ProblemsAbout(directory, dir / "missing_export.dlo")[0],
              (dir / "missing_export.dlo").string() + ": missing export LibClassDesc");
    // The gauges module's empty class slot is its one line; its classes are listed.
    EXPECT_EQ(ProblemsAbout(directory, dir / "gauges.dlo"),
              (std::vector<std::string>{(dir / "gauges.dlo").string() + ": LibClassDesc(1) answered none"}));
    EXPECT_EQ(directory.Problems().size(), 6u);
    EXPECT_EQ(directory.Classes().size(), 3u);
}

TEST(ClassDirectory, FindsClassesByInternalNameAndByIdentity) {
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(ZentrographModule()));
    ASSERT_TRUE(directory.LoadModule(TestModule("gauges")));

    const ClassEntry* byName = directory.Find("Zentrograph");
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName->facts.name, "Zentrograph");
    EXPECT_EQ(byName->facts.category, "Tarnwick");
    EXPECT_EQ(byName->facts.classId, kZentrographId);
    EXPECT_TRUE(byName->facts.isPublic);
    EXPECT_EQ(byName->module, directory.Modules()[0].get());
    EXPECT_EQ(byName->desc, directory.Modules()[0]->ClassAt(0));

    EXPECT_EQ(directory.Find(host::kHelperSuperClassId, kZentrographId), byName);
    EXPECT_EQ(directory.Find(host::kWSMObjectSuperClassId, kZentrographId), nullptr);
    EXPECT_EQ(directory.Find(host::kHelperSuperClassId, host::Class_ID(0x0F016797, 0)), nullptr);
    EXPECT_EQ(directory.Find("RingGauge")->facts.name, "Ring Gauge");
    EXPECT_EQ(directory.Find("zentrograph"), nullptr);
    // The class without an internal name is not found by the empty name.
    EXPECT_EQ(directory.Find(""), nullptr);
}

TEST(ClassDirectory, GuardsMissingStringsAndGroupsByCategory) {
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(ZentrographModule()));
    ASSERT_TRUE(directory.LoadModule(TestModule("gauges")));

    const ClassEntry* silent = directory.Find(host::kWSMObjectSuperClassId, host::Class_ID(0x33, 0x44));
    ASSERT_NE(silent, nullptr);
    EXPECT_EQ(silent->facts.name, "");
    EXPECT_EQ(silent->facts.category, "");
    EXPECT_EQ(silent->facts.internalName, "");
    EXPECT_FALSE(silent->facts.isPublic);

    const auto groups = directory.ByCategory();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups.at("Tarnwick"), (std::vector<const ClassEntry*>{directory.Find("Zentrograph")}));
    EXPECT_EQ(groups.at("Gauges"), (std::vector<const ClassEntry*>{directory.Find("RingGauge")}));
    EXPECT_EQ(groups.at(""), (std::vector<const ClassEntry*>{silent}));
    EXPECT_EQ(directory.ClassesOf(directory.Modules()[1].get()).size(), 2u);
}

TEST(ClassDirectory, KeepsTheFirstOfTwoClassesWithOneIdentity) {
    testsupport::TempFolder folder;
    // Two copies are two modules to the loader, offering the same classes.
    fs::copy_file(TestModule("gauges"), folder.Path() / "a.dlo");
    fs::copy_file(TestModule("gauges"), folder.Path() / "b.dlo");
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadFolder(folder.Path()));

    EXPECT_EQ(directory.Modules().size(), 2u);
    EXPECT_EQ(directory.Classes().size(), 2u);
    EXPECT_EQ(directory.Find("RingGauge")->module, directory.Modules()[0].get());
    const auto fromB = ProblemsAbout(directory, folder.Path() / "b.dlo");
    ASSERT_EQ(fromB.size(), 3u);  // its empty slot and its two duplicate classes
    EXPECT_NE(fromB[0].find("\"Ring Gauge\""), std::string::npos) << fromB[0];
    EXPECT_NE(fromB[0].find((folder.Path() / "a.dlo").string()), std::string::npos) << fromB[0];
}

TEST(ClassDirectory, RefusesToLoadOneFileTwice) {
    testsupport::TempFolder folder;
    fs::create_symlink(TestModule("gauges"), folder.Path() / "other_name.dlo");
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(TestModule("gauges")));
    EXPECT_FALSE(directory.LoadModule(folder.Path() / "other_name.dlo"));
    EXPECT_EQ(directory.Modules().size(), 1u);
    EXPECT_EQ(directory.SkippedModules(), 1);
    EXPECT_EQ(directory.Problems().back(),
              (folder.Path() / "other_name.dlo").string() + ": already loaded as " + TestModule("gauges").string());
}

TEST(ClassDirectory, UnloadsModulesLastLoadedFirst) {
    testsupport::TempFolder folder;
    fs::copy_file(TestModule("gauges"), folder.Path() / "a.dlo");
    fs::copy_file(TestModule("gauges"), folder.Path() / "b.dlo");
    EntryLog log;
    host::HINSTANCE a = nullptr;
    host::HINSTANCE b = nullptr;
    {
        ClassDirectory directory;
        ASSERT_TRUE(directory.LoadFolder(folder.Path()));
        ASSERT_EQ(directory.Modules().size(), 2u);
        a = directory.Modules()[0]->Instance();
        b = directory.Modules()[1]->Instance();
    }
    EXPECT_EQ(log.Calls(), (std::vector<EntryCall>{{host::DLL_PROCESS_ATTACH, a},
                                                   {host::DLL_PROCESS_ATTACH, b},
                                                   {host::DLL_PROCESS_DETACH, b},
                                                   {host::DLL_PROCESS_DETACH, a}}));
    EXPECT_FALSE(StillLoaded(folder.Path() / "a.dlo"));
    EXPECT_FALSE(StillLoaded(folder.Path() / "b.dlo"));
}

TEST(ClassDirectory, AnEmptyFolderIsNoProblem) {
    testsupport::TempFolder folder;
    ClassDirectory directory;
    EXPECT_TRUE(directory.LoadFolder(folder.Path()));
    EXPECT_TRUE(directory.Modules().empty());
    EXPECT_TRUE(directory.Problems().empty());
}

TEST(ClassDirectory, AFolderThatCannotBeReadIsOneProblemLine) {
    testsupport::TempFolder folder;
    const fs::path missing = folder.Path() / "no-such-folder";
    const fs::path file = folder.Write("plain-file", "x");

    ClassDirectory directory;
    EXPECT_FALSE(directory.LoadFolder(missing));
    EXPECT_FALSE(directory.LoadFolder(file));
    EXPECT_FALSE(directory.LoadFolder(""));
    EXPECT_EQ(directory.Problems(), (std::vector<std::string>{missing.string() + ": plug-in folder does not exist",
                                                              file.string() + ": plug-in folder is not a folder",
                                                              "no plug-in folder given"}));
    EXPECT_EQ(directory.SkippedModules(), 0);
}

TEST(ClassDirectory, ListsTheHostsBuiltinClassesBesideTheModules) {
    BuiltinWindDesc wind;
    BuiltinWindDesc sameIdentity;
    BuiltinWindDesc takesZentrographsId(kZentrographId);
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(ZentrographModule()));
    directory.AddBuiltin(&wind);
    directory.AddBuiltin(nullptr);
    directory.AddBuiltin(&sameIdentity);
    // Another super class: a different identity, so it is listed.
    directory.AddBuiltin(&takesZentrographsId);

    const ClassEntry* found = directory.Find("Wind");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->desc, &wind);
    EXPECT_EQ(found->module, nullptr);
    EXPECT_EQ(directory.Find(host::kWSMObjectSuperClassId, host::Class_ID(0x7001, 0x7002)), found);
    EXPECT_EQ(directory.Find(host::kWSMObjectSuperClassId, kZentrographId)->desc, &takesZentrographsId);
    EXPECT_EQ(directory.ClassesOf(nullptr).size(), 2u);
    EXPECT_EQ(directory.ByCategory().at("Forces").size(), 2u);
    ASSERT_EQ(directory.Problems().size(), 1u);
    EXPECT_TRUE(directory.Problems()[0].starts_with("the host's built-in classes: class \"Wind\"")) << directory.Problems()[0];
}
