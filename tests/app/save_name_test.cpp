// Where the page may save a scene: inside its folder, under a name every platform holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/files/save_name.h"
#include "tests/support/temp_folder.h"

namespace savenametest {
namespace {

namespace fs = std::filesystem;

TEST(SaveNameTest, AcceptsNamesInsideTheFolderAndRefusesTheRestNamingThemRelatively) {
    const std::string longPart(256, 'a');
    const struct {
        std::string requested;
        std::string expected;  // the relative path, or a part of the refusal
        bool accepted;
    } cases[] = {
        {"a.json", "a.json", true},
        {"sub/a.json", "sub/a.json", true},
        {"/srv/scenes/sub/../b.json", "b.json", true},
        {"CONSOLE.json", "CONSOLE.json", true},
        {"com10.json", "com10.json", true},
        {"../up.json", "../up.json: outside the scene's folder", false},
        {"a/../../b.json", "a/../../b.json: outside", false},
        {"a/../b.json", "outside", false},
        {"/etc/x.json", "../../etc/x.json: outside", false},
        {"/srv/scenes", "outside", false},
        {"/srv/scenes2/x.json", "../scenes2/x.json: outside", false},
        {"a:b?*.json", R"(may not hold <>:"\|?*)", false},
        {"a\\b.json", "may not hold", false},
        {"a\tb.json", "a\\tb.json: a file name may not hold", false},
        {"CON", "CON names a device", false},
        {"con.json", "con names a device", false},
        {"Lpt9.x.json", "Lpt9 names a device", false},
        {"nul .json", "nul names a device", false},
        {"sub/aux/x.json", "aux names a device", false},
        {"x.json.", "may not end in a dot or a space", false},
        {"x.json ", "may not end in a dot or a space", false},
        {"dir./x.json", "may not end in a dot", false},
        {"./x.json", "may not end in a dot", false},
        {"", "the file name is empty", false},
        {"a//b.json", "a name between slashes is empty", false},
        {"sub/", "a name between slashes is empty", false},
        {longPart + ".json", "longer than 255 bytes", false},
        {std::string(1100, 'b'), "a file name is at most 1024 bytes", false},
        {"x.txt", "x.txt: a scene file name ends in .json", false},
        {".json", "ends in .json", false},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto relative = zg::files::RelativeSaveName("/srv/scenes", c.requested, error);
        ASSERT_EQ(relative.has_value(), c.accepted) << c.requested << ": " << error;
        if (c.accepted)
            EXPECT_EQ(relative->string(), c.expected) << c.requested;
        else
            EXPECT_NE(error.find(c.expected), std::string::npos) << c.requested << ": " << error;
        EXPECT_EQ(error.find("/srv"), std::string::npos) << error;
    }
}

TEST(SaveNameTest, ALinkLeadingOutOfTheFolderCountsAsOutside) {
    testsupport::TempFolder dir;
    const fs::path scenes = dir.Path() / "scenes";
    fs::create_directories(scenes / "inner");
    fs::create_directories(dir.Path() / "elsewhere");
    fs::create_directory_symlink(dir.Path() / "elsewhere", scenes / "out");
    fs::create_directory_symlink(scenes / "inner", scenes / "in");
    fs::create_symlink(dir.Path() / "elsewhere" / "new.json", scenes / "dangling.json");
    const struct {
        std::string requested;
        bool accepted;
    } cases[] = {{"out/x.json", false}, {"dangling.json", false}, {"in/x.json", true}, {"x.json", true}};
    for (const auto& c : cases) {
        std::string error;
        const auto path = zg::files::SavePathInFolder(scenes, c.requested, error);
        EXPECT_EQ(path.has_value(), c.accepted) << c.requested << ": " << error;
        if (!c.accepted) {
            EXPECT_EQ(error, c.requested + ": leads outside the scene's folder through a link: save inside it");
        }
    }
    EXPECT_EQ(zg::files::RelativeToFolder("cannot open " + (scenes / "a" / "b.json").string(), scenes), "cannot open a/b.json");
}

}  // namespace
}  // namespace savenametest
