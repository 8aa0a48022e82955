// Reading inputs: regular files and standard input only, never more than the limit,
// and a FIFO or a device is refused without waiting on it.
#include "app/files/input_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(InputFileTest, ReadsARegularFileOrStandardInputUpToTheLimit) {
    testsupport::TempFolder folder;
    std::istringstream standardInput("from stdin");
    std::string error;
    EXPECT_EQ(zg::files::ReadInputFile(folder.Write("a.json", "{}"), 2, standardInput, error), "{}");
    EXPECT_EQ(zg::files::ReadInputFile("-", 100, standardInput, error), "from stdin");
    EXPECT_EQ(zg::files::InputName("-"), "standard input");
}

TEST(InputFileTest, RefusesWhatIsNotARegularFileOrTooLarge) {
    testsupport::TempFolder folder;
    const fs::path fifo = folder.Path() / "fifo.json";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        fs::path path;
        std::string says;
    };
    const Case cases[] = {
        {folder.Write("big.json", std::string(101, ' ')), "larger than the"},
        {fifo, "is a FIFO"},
        {"/dev/zero", "is a character device"},
        {folder.Path(), "is a folder"},
        {folder.Path() / "missing.json", "cannot open: No such file"},
    };
    for (const Case& c : cases) {
        std::istringstream standardInput;
        std::string error;
        EXPECT_FALSE(zg::files::ReadInputFile(c.path, 100, standardInput, error)) << c.path;
        EXPECT_TRUE(error.starts_with(c.path.string() + ": ")) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    std::istringstream endless(std::string(1000, 'z'));
    std::string error;
    EXPECT_FALSE(zg::files::ReadInputFile("-", 100, endless, error));
    EXPECT_EQ(error, "standard input: larger than the 100 bytes this program reads");
}

}  // namespace
