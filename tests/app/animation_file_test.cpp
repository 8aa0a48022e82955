// Animated files encoded frame by frame; the program's tests read them back with other
// decoders (python/tests), these check the encoders' own contracts.
#include <gtest/gtest.h>

#include <vector>

#include "app/render/animation_file.h"

namespace {

using zg::render::AnimationFile;
using zg::render::AnimationFormat;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// An opaque frame in Cairo's ARGB32 layout whose colour depends on `shade`.
std::vector<unsigned char> Frame(int shade) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = static_cast<unsigned char>(shade * 40);
        pixels[i + 1] = static_cast<unsigned char>(i % 251);
        pixels[i + 2] = 200;
        pixels[i + 3] = 255;
    }
    return pixels;
}

TEST(AnimationFileTest, EachFormatWritesItsFileAndNeedsAFrame) {
    const struct {
        AnimationFormat format;
        std::size_t offset;
        std::string magic;
    } cases[] = {{AnimationFormat::kWebp, 8, "WEBP"}, {AnimationFormat::kGif, 0, "GIF89a"}, {AnimationFormat::kMp4, 4, "ftyp"}};
    for (const auto& c : cases) {
        std::string error;
        zg::files::StringSink out;
        auto file = AnimationFile::Open(c.format, kWidth, kHeight, 25, out, error);
        ASSERT_NE(file, nullptr) << error;
        for (int f = 0; f < 3; ++f) ASSERT_TRUE(file->AddFrame(Frame(f).data(), kWidth * 4, error)) << error;
        ASSERT_TRUE(file->Finish(error)) << error;
        EXPECT_EQ(out.Text().substr(c.offset, c.magic.size()), c.magic);

        zg::files::StringSink empty;
        auto none = AnimationFile::Open(c.format, kWidth, kHeight, 25, empty, error);
        ASSERT_NE(none, nullptr) << error;
        EXPECT_FALSE(none->Finish(error));
        EXPECT_NE(error.find("at least one frame"), std::string::npos) << error;
    }
}

TEST(AnimationFileTest, WhatTheEncoderHoldsIsChargedToTheBudget) {
    host::SetMemoryBudget(1 << 20);
    for (const AnimationFormat format : {AnimationFormat::kWebp, AnimationFormat::kGif, AnimationFormat::kMp4}) {
        std::string error;
        zg::files::StringSink out;
        EXPECT_EQ(AnimationFile::Open(format, 1024, 1024, 25, out, error), nullptr);
        EXPECT_NE(error.find("memory budget"), std::string::npos) << error;
    }
    host::ResetMemoryBudget();
    std::string error;
    EXPECT_FALSE(AnimationFile::CheckSize(AnimationFormat::kMp4, 65, 48, error));
    EXPECT_NE(error.find("even width"), std::string::npos) << error;
}

}  // namespace
