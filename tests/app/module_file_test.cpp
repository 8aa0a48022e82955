// Module files are checked before the dynamic loader maps them: a module cut short
// anywhere, or one whose headers point outside the file or its own segments, is one
// line and a skip instead of a crash.
#include "app/plugins/module_file.h"

#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>
#include <functional>
#include <string>

#include "app/plugins/class_directory.h"
#include "tests/app/module_files.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

namespace {

using zg::plugins::FindModuleImageProblem;

const std::string& RealModule() {
    static const std::string image = testsupport::ReadFile(loadertest::ZentrographModule());
    return image;
}

TEST(ModuleFileTest, TheRealModulePassesAndEveryCutOfItIsRefused) {
    ASSERT_GT(RealModule().size(), 20000u);
    EXPECT_EQ(FindModuleImageProblem(RealModule()), std::nullopt);
    for (std::size_t cut = 0; cut < RealModule().size(); cut += cut < 20480 ? 512 : 20480)
        EXPECT_TRUE(FindModuleImageProblem(RealModule().substr(0, cut))) << "cut at " << cut;
    EXPECT_TRUE(FindModuleImageProblem(RealModule().substr(0, RealModule().size() - 1)));
}

// The real module with one header field changed through `edit`.
struct Edit {
    const char* what;
    std::function<void(ElfW(Ehdr)&, ElfW(Phdr)*, ElfW(Dyn)*)> edit;
    const char* says;
};

std::string Edited(const Edit& e) {
    std::string image = RealModule();
    auto& header = *reinterpret_cast<ElfW(Ehdr)*>(image.data());
    auto* segments = reinterpret_cast<ElfW(Phdr)*>(image.data() + header.e_phoff);
    ElfW(Dyn)* dynamic = nullptr;
    for (int i = 0; i < header.e_phnum; ++i)
        if (segments[i].p_type == PT_DYNAMIC) dynamic = reinterpret_cast<ElfW(Dyn)*>(image.data() + segments[i].p_offset);
    e.edit(header, segments, dynamic);
    return image;
}

ElfW(Dyn)& Entry(ElfW(Dyn)* dynamic, ElfW(Sxword) tag) {
    while (dynamic->d_tag != tag && dynamic->d_tag != DT_NULL) ++dynamic;
    return *dynamic;
}

TEST(ModuleFileTest, HeadersThatPointOutsideTheFileOrItsSegmentsAreRefused) {
    const std::size_t size = RealModule().size();
    const Edit edits[] = {
        {"magic", [](auto& h, auto*, auto*) { h.e_ident[EI_MAG1] = 'X'; }, "not an ELF file"},
        {"class", [](auto& h, auto*, auto*) { h.e_ident[EI_CLASS] = ELFCLASS32; }, "built for 32-bit machines"},
        {"type", [](auto& h, auto*, auto*) { h.e_type = ET_EXEC; }, "not a shared object"},
        {"machine", [](auto& h, auto*, auto*) { h.e_machine = EM_S390; }, "built for machine 22"},
        {"program headers", [&](auto& h, auto*, auto*) { h.e_phoff = size - 8; }, "cut short: its program headers"},
        {"section headers", [&](auto& h, auto*, auto*) { h.e_shoff = ~0ull - 8; }, "cut short: its section headers"},
        {"segment", [&](auto&, auto* p, auto*) { p[0].p_filesz += size; }, "cut short: its segments"},
        {"bss", [&](auto&, auto* p, auto*) { p[0].p_memsz = p[0].p_filesz - 1; }, "holds more bytes than it maps"},
        {"dynamic", [](auto& h, auto* p, auto*) {
             for (int i = 0; i < h.e_phnum; ++i)
                 if (p[i].p_type == PT_DYNAMIC) p[i].p_vaddr += 1ull << 40;
         }, "lies outside the loadable segments"},
        {"string table", [](auto&, auto*, auto* d) { Entry(d, DT_STRTAB).d_un.d_ptr += 1ull << 40; },
         "dynamic entry 5 points outside"},
        {"init", [](auto&, auto*, auto* d) { Entry(d, DT_INIT_ARRAY).d_un.d_ptr = 0xFFFFFFF0; },
         "dynamic entry 25 points outside"},
        {"needed", [](auto&, auto*, auto* d) { Entry(d, DT_NEEDED).d_un.d_val = Entry(d, DT_STRSZ).d_un.d_val; },
         "a name in the dynamic segment lies outside"},
        {"no end", [](auto& h, auto* p, auto* d) {
             for (int i = 0; i < h.e_phnum; ++i)
                 if (p[i].p_type == PT_DYNAMIC) p[i].p_filesz = (&Entry(d, DT_NULL) - d) * sizeof(ElfW(Dyn));
         }, "the dynamic segment has no end"},
    };
    for (const Edit& e : edits) {
        const auto problem = FindModuleImageProblem(Edited(e));
        ASSERT_TRUE(problem) << e.what;
        EXPECT_NE(problem->find(e.says), std::string::npos) << e.what << ": " << *problem;
    }
}

// A module cut short used to kill every command with SIGBUS as the loader mapped it.
TEST(ModuleFileTest, AFolderWithAModuleCutShortLoadsTheRestAndNamesIt) {
    testsupport::TempFolder folder;
    const auto cut = folder.Write("cut.dlo", RealModule().substr(0, 10000));
    std::filesystem::create_symlink(loadertest::ZentrographModule(), folder.Path() / "Zentrograph.dlo");
    zg::plugins::ClassDirectory directory;
    ASSERT_TRUE(directory.LoadFolder(folder.Path()));
    EXPECT_EQ(directory.Modules().size(), 1u);
    ASSERT_EQ(directory.Problems().size(), 1u);
    EXPECT_EQ(directory.Problems()[0], cut.string() +
                                           ": not a loadable module: cut short: its section headers run to byte " +
                                           std::to_string(RealModule().size()) + ", the file holds 10000");
}

}  // namespace
