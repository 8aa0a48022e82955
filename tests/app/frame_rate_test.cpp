// Frame rates: ticks per frame, the rates refused, and frames to ticks and back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "app/scene/frame_rate.h"

namespace {

using zg::scene::FrameRate;

TEST(FrameRateTest, TicksPerFrameDivide4800) {
    std::string error;
    EXPECT_EQ(FrameRate().Fps(), 25);
    EXPECT_EQ(FrameRate().TicksPerFrame(), 192);
    for (const auto& [fps, ticks] : {std::pair{24, 200}, {30, 160}, {60, 80}, {1, 4800}, {4800, 1}}) {
        const auto rate = FrameRate::FromFps(fps, error);
        ASSERT_TRUE(rate) << fps;
        EXPECT_EQ(rate->TicksPerFrame(), ticks) << fps;
    }
}

TEST(FrameRateTest, RefusesRatesThatDoNotDivide4800) {
    for (long long fps : {0LL, -25LL, 7LL, 29LL, 4801LL, 9600LL}) {
        std::string error;
        EXPECT_FALSE(FrameRate::FromFps(fps, error)) << fps;
        EXPECT_NE(error.find("does not divide 4800"), std::string::npos) << error;
    }
}

TEST(FrameRateTest, FramesToTicksAndBack) {
    const FrameRate rate;
    EXPECT_EQ(rate.FrameToTicks(10), 1920);
    EXPECT_EQ(rate.FrameToTicks(-3), -576);
    EXPECT_EQ(rate.FrameToTicks(2.5), 480);
    EXPECT_DOUBLE_EQ(rate.TicksToFrame(480), 2.5);
    EXPECT_FALSE(rate.FrameToTicks(1e9));
    EXPECT_FALSE(rate.FrameToTicks(NAN));
    EXPECT_FALSE(rate.FrameToTicks(INFINITY));

    std::string error;
    EXPECT_FALSE(rate.FrameToTicks(NAN, error));
    EXPECT_EQ(error, "frame nan is not a number");
    EXPECT_FALSE(rate.FrameToTicks(1e9, error));
    EXPECT_EQ(error, "frame 1000000000 lies outside the time range at 25 fps");
}

}  // namespace
