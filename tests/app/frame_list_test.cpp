// Frame lists as farms write them, and the chunks a farm cuts them into.
#include <gtest/gtest.h>

#include "app/scene/frame_list.h"

namespace {

using zg::scene::ChunkOfFrames;
using zg::scene::ParseFrameList;

TEST(FrameListTest, ReadsEveryFormOfItem) {
    const struct {
        const char* text;
        std::vector<int> frames;
    } cases[] = {
        {"5", {5}},
        {"0:3", {0, 1, 2, 3}},
        {"1-3,5,7-20:4", {1, 2, 3, 5, 7, 11, 15, 19}},
        {"-3--1", {-3, -2, -1}},
        {"-2:0", {-2, -1, 0}},
        {"10-12,2", {10, 11, 12, 2}},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto frames = ParseFrameList(c.text, error);
        ASSERT_TRUE(frames) << c.text << ": " << error;
        EXPECT_EQ(*frames, c.frames) << c.text;
    }
}

TEST(FrameListTest, RefusesBadListsWithTheReason) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"", "empty"},
        {"1-", "expected a frame"},
        {"1,,2", "expected a frame"},
        {"a-b", "expected a frame"},
        {"0:24:2", "expected a frame"},
        {"5-2", "first frame comes after the last"},
        {"1-10:0", "step must be 1 or more"},
        {"1-5,3", "frame 3 is listed twice"},
        {"0-2147483647", "more than the 10000"},
        {"1-9999,20000-20001", "more than the 10000"},
        {"0-99999999999", "must lie between"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseFrameList(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
    }
}

TEST(FrameListTest, ChunksAreEqualConsecutiveParts) {
    std::string error;
    const std::vector<int> frames = *ParseFrameList("1-10", error);
    const struct {
        const char* chunk;
        std::vector<int> frames;
    } cases[] = {
        {"1/3", {1, 2, 3, 4}}, {"2/3", {5, 6, 7}}, {"3/3", {8, 9, 10}}, {"1/1", frames}, {"10/10", {10}},
    };
    for (const auto& c : cases) {
        const auto part = ChunkOfFrames(frames, c.chunk, error);
        ASSERT_TRUE(part) << c.chunk << ": " << error;
        EXPECT_EQ(*part, c.frames) << c.chunk;
    }
    for (const char* bad : {"0/3", "4/3", "1/11", "1", "1/", "x/2", "1/2/3"}) {
        EXPECT_FALSE(ChunkOfFrames(frames, bad, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
}

}  // namespace
