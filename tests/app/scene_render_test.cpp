// Image sizes read from the command line, and views laid out as panels of one image.
#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "app/render/scene_render.h"

namespace rendertest {
namespace {

TEST(LayoutTest, PanelsTileTheImageWithoutOverlapping) {
    using zg::render::LayoutPanels;
    EXPECT_EQ(LayoutPanels(1, 1280, 720), (std::vector<std::array<int, 4>>{{0, 0, 1280, 720}}));
    const auto sideBySide = LayoutPanels(2, 1280, 720);
    ASSERT_EQ(sideBySide.size(), 2u);
    EXPECT_EQ(sideBySide[0][1], sideBySide[1][1]);
    EXPECT_LT(sideBySide[0][0] + sideBySide[0][2], sideBySide[1][0]);
    EXPECT_EQ(sideBySide[1][0] + sideBySide[1][2], 1280);
    const auto stacked = LayoutPanels(2, 600, 1000);
    EXPECT_EQ(stacked[0][0], stacked[1][0]);
    for (int n : {3, 4}) {
        const auto panels = LayoutPanels(n, 1000, 800);
        ASSERT_EQ(panels.size(), static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < panels.size(); ++i) {
            const auto& a = panels[i];
            EXPECT_GE(a[0], 0);
            EXPECT_LE(a[0] + a[2], 1000);
            EXPECT_LE(a[1] + a[3], 800);
            for (std::size_t j = i + 1; j < panels.size(); ++j) {
                const auto& b = panels[j];
                const bool apart =
                    a[0] + a[2] <= b[0] || b[0] + b[2] <= a[0] || a[1] + a[3] <= b[1] || b[1] + b[3] <= a[1];
                EXPECT_TRUE(apart) << n << ": " << i << " and " << j;
            }
        }
    }
}

TEST(ImageSizeTest, WidthByHeightWithinLimits) {
    std::string error;
    EXPECT_EQ(zg::render::ParseImageSize("1280x720", error), (std::pair{1280, 720}));
    EXPECT_EQ(zg::render::ParseImageSize("1X1", error), (std::pair{1, 1}));
    for (const char* bad : {"", "1280", "x720", "1280x", "0x10", "-5x10", "12.5x10", "1280x720x3", "8193x10"}) {
        EXPECT_FALSE(zg::render::ParseImageSize(bad, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace rendertest
