// The construction grid: round spacings, and lines that cover an orthographic view.
#include <gtest/gtest.h>

#include <cmath>

#include "app/viewport/construction_grid.h"
#include "app/viewport/display_list.h"
#include "app/viewport/viewport_window.h"

namespace rendertest {
namespace {

using namespace zg::viewport;

TEST(GridTest, SpacingIsRoundAndTheOrthographicGridCoversTheView) {
    EXPECT_DOUBLE_EQ(RoundGridSpacing(0.3), 0.5);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(1.0), 1.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(1.2), 2.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(60.0), 100.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(-1.0), 1.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(std::nan("")), 1.0);

    const Camera top = Camera::Orthographic({1, 0, 0}, {0, 1, 0}, {3, 0, 0}, 20.0, 400, 200);
    DisplayList list(400, 200);
    ViewportGraphicsWindow gw(top, &list);
    DrawConstructionGrid(gw, top, host::Box3());
    // 20 pixels per unit asks for lines 2.4 units apart: every 5 units, 4 across, 2 up.
    std::size_t vertical = 0;
    for (const DisplayItem& item : list.Items()) {
        ASSERT_EQ(item.points.size(), 2u);
        if (item.points[0].x == item.points[1].x) ++vertical;
        // Every line spans the whole image.
        const bool spansX = item.points[0].x == 0 && item.points[1].x == 400;
        const bool spansY = item.points[0].y == 200 && item.points[1].y == 0;
        EXPECT_TRUE(spansX || spansY);
    }
    EXPECT_EQ(vertical, 4u);   // x = -5, 0, 5, 10
    EXPECT_EQ(list.Items().size(), 4u + 3u);  // y = -5, 0, 5
    // The world X axis is drawn last-but-one, in its colour.
    EXPECT_EQ(list.Items()[list.Items().size() - 2].color, kAxisXColor);
}

}  // namespace
}  // namespace rendertest
