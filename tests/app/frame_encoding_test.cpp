// The drawing on the wire: chunks too large for one part travel in parts that together
// hold every record.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/viewport/world_viewport.h"
#include "app/web/frame_encoding.h"

namespace pagedrawingtest {
namespace {

using zg::viewport::WorldDrawing;

TEST(ChunkEncodingTest, LargeChunksTravelInPartsThatTogetherHoldEveryRecord) {
    WorldDrawing drawing;
    const std::size_t lines = zg::web::kPartRecordBytes / sizeof(zg::viewport::WorldLine) + 5;
    for (std::size_t i = 0; i < lines; ++i) drawing.AddLine({{static_cast<float>(i), 0, 0}, {0, 0, 0}, {}, {}, 0});
    for (int i = 0; i < 3; ++i) drawing.AddMarker({{static_cast<float>(i), 0, 0}, {}, 14, 0});
    std::vector<std::string> parts;
    zg::web::EncodeChunk(drawing, 9, 0x100000002ull, 4, [&](std::string p) { parts.push_back(std::move(p)); });
    ASSERT_EQ(parts.size(), 2u);
    std::size_t records = 0;
    for (const std::string& part : parts) {
        uint32_t w[10];
        std::memcpy(w, part.data(), sizeof w);
        EXPECT_EQ(w[0], zg::web::kChunkMagic);
        EXPECT_EQ(w[1], 9u);
        EXPECT_EQ(w[2], 2u);  // the revision's low word
        EXPECT_EQ(w[4], lines);
        EXPECT_EQ(w[5], 3u);
        EXPECT_EQ(part.size(), zg::web::kChunkHeaderBytes + w[7] * 32 + w[9] * 20);
        records += w[7] + w[9];
    }
    EXPECT_EQ(records, lines + 3);
    float lastX;
    std::memcpy(&lastX, parts[1].data() + parts[1].size() - 20, sizeof lastX);
    EXPECT_EQ(lastX, 2.0f);
}

}  // namespace
}  // namespace pagedrawingtest
