// The page's files as the server finds them: its own names only, and an index that
// preloads each of the page's modules.
#include <gtest/gtest.h>

#include <string>

#include "app/web/page_assets.h"

namespace {

TEST(PageAssetsTest, TheIndexPreloadsEveryModuleInItsHeadAndOnlyThePagesOwnNamesAreFound) {
    const zg::web::EmbeddedFile* index = zg::web::FindPageFile("/");
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index, zg::web::FindPageFile("/index.html"));
    const std::string html(index->bytes);
    int modules = 0;
    for (const zg::web::EmbeddedFile& file : zg::web::PageFiles()) {
        const std::string link = "<link rel=\"modulepreload\" href=\"/" + std::string(file.name) + "\">";
        const bool module = file.name.ends_with(".mjs");
        modules += module;
        const std::size_t at = html.find(link);
        EXPECT_EQ(at != std::string::npos, module) << file.name;
        if (module) {
            EXPECT_LT(at, html.find("</head>")) << file.name;
        }
    }
    EXPECT_GT(modules, 10);
    for (const char* path : {"", "main.mjs", "/../CMakeLists.txt", "/nothing.mjs", "//main.mjs"})
        EXPECT_EQ(zg::web::FindPageFile(path), nullptr) << path;
}

}  // namespace
