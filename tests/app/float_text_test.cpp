// Number text: the shortest float text that reads back the same, in JSON and for frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/render/float_text.h"

namespace rendertest {
namespace {

TEST(FloatTextTest, TextIsTheShortestThatReadsBackToTheSameFloat) {
    EXPECT_EQ(zg::render::FloatText(0.1f), "0.1");
    EXPECT_EQ(zg::render::FloatText(0.50196081f), "0.5019608");
    EXPECT_EQ(zg::render::FloatText(-0.0f), "-0");
    EXPECT_EQ(zg::render::FloatText(1e30f), "1e+30");
    for (float v : {1.0f / 3.0f, 0.019607844f, 3.4028235e38f, 1.1754944e-38f, -123456.79f}) {
        EXPECT_EQ(std::strtof(zg::render::FloatText(v).c_str(), nullptr), v);
    }
    EXPECT_EQ(zg::render::DumpJson(zg::render::Json::array({zg::render::JsonFloat(0.1f), zg::render::JsonFloat(1e30f),
                                                             zg::render::JsonFloat(NAN)})),
              "[0.1,1e+30,null]");
    EXPECT_EQ(zg::render::FrameText(7.0), "7");
    EXPECT_EQ(zg::render::FrameText(-0.25), "-0.25");
}

}  // namespace
}  // namespace rendertest
