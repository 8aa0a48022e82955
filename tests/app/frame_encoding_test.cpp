// The drawing on the wire: chunks too large for one part travel in parts that together
// hold every record, and a chunk drawn again travels as the runs that changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
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

TEST(ChunkEncodingTest, APatchCarriesTheChangedRunsJoinedAcrossShortGapsWhenThatIsSmaller) {
    const auto drawingWith = [](std::size_t markers, const std::vector<std::size_t>& flipped) {
        WorldDrawing d;
        for (std::size_t i = 0; i < markers; ++i) {
            const bool flip = std::find(flipped.begin(), flipped.end(), i) != flipped.end();
            d.AddMarker({{static_cast<float>(i), 0, 0}, {}, static_cast<uint8_t>(flip ? 10 : 14), 0});
        }
        return d;
    };
    using Runs = std::vector<zg::web::RecordRun>;
    const struct {
        std::size_t markers;
        std::vector<std::size_t> flipped;
        std::optional<Runs> runs;
    } cases[] = {
        {100, {3}, Runs{{3, 1}}},
        {100, {3, 4, 5, 90}, Runs{{3, 3}, {90, 1}}},
        {100, {3, 5}, Runs{{3, 3}}},             // one record between: cheaper sent than a run's words
        {100, {3, 6}, Runs{{3, 1}, {6, 1}}},
        {100, {}, Runs{}},
        {4, {0, 1, 2}, std::nullopt},           // no smaller than half of the chunk
    };
    for (const auto& c : cases) {
        const WorldDrawing before = drawingWith(c.markers, {});
        const WorldDrawing now = drawingWith(c.markers, c.flipped);
        const auto patch = zg::web::PatchBetween(before, now);
        ASSERT_EQ(patch.has_value(), c.runs.has_value()) << c.flipped.size();
        if (!patch) continue;
        EXPECT_EQ(patch->markers, *c.runs);
        const std::string part = zg::web::EncodePatch(now, *patch, 9, 5, 4, 2);
        ASSERT_EQ(part.size(), zg::web::EncodedPatchBytes(*patch));
        uint32_t w[7];
        std::memcpy(w, part.data(), sizeof w);
        EXPECT_EQ(std::vector<uint32_t>(w, w + 7), (std::vector<uint32_t>{zg::web::kPatchMagic, 9, 5, 4, 2, 0,
                                                                          static_cast<uint32_t>(c.runs->size())}));
        if (c.flipped.empty()) continue;
        EXPECT_EQ(static_cast<uint8_t>(part[zg::web::kPatchHeaderBytes + 8 * c.runs->size() + 15]), 10)
            << "the first changed marker's code";
    }
    EXPECT_FALSE(zg::web::PatchBetween(drawingWith(3, {}), drawingWith(4, {}))) << "counts differ";
}

TEST(ChunkEncodingTest, MarkersOnTheStartsOfAnotherChunksLinesTravelWithoutTheirPositions) {
    WorldDrawing source;
    source.AddLine({{2, 1, 0}, {0, 0, 0}, {}, {}, 0});  // a box edge from a sample's point, before the segments
    for (int i = 0; i < 4; ++i) source.AddLine({{static_cast<float>(i), 1, 0}, {0, 0, 0}, {}, {}, 3});
    const auto markersAt = [](std::vector<float> xs, uint32_t lastNode = 3) {
        WorldDrawing d;
        for (std::size_t i = 0; i < xs.size(); ++i)
            d.AddMarker({{xs[i], 1, 0}, {1, 2, 3}, static_cast<uint8_t>(10 + i), i + 1 == xs.size() ? lastNode : 3});
        return d;
    };
    const struct {
        WorldDrawing markers;
        std::optional<uint32_t> first;
    } cases[] = {
        {markersAt({0, 1, 2, 3}), 1u},
        {markersAt({2, 3}), 3u},
        {markersAt({1, 3}), std::nullopt},        // not on lines in turn
        {markersAt({2, 3, 4}), std::nullopt},     // past the source's last line
        {markersAt({0, 1}, 4), std::nullopt},     // of two node words
        {markersAt({}), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(zg::web::MarkersOnLineStarts(c.markers, source), c.first);

    const WorldDrawing markers = markersAt({0, 1, 2, 3});
    std::vector<std::string> parts;
    zg::web::EncodePlacedMarkers(markers, 7, 0x100000005ull, 3, {2, 6, 1}, [&](std::string p) { parts.push_back(std::move(p)); });
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].size(), zg::web::EncodedPlacedMarkersBytes(markers));
    std::vector<uint32_t> words(parts[0].size() / 4);
    std::memcpy(words.data(), parts[0].data(), parts[0].size());
    EXPECT_EQ(words, (std::vector<uint32_t>{zg::web::kPlacedMagic, 7, 5, 3, 4, 0, 4, 2, 6, 1, 3, 0x0A030201,
                                            0x0B030201, 0x0C030201, 0x0D030201}));
}

}  // namespace
}  // namespace pagedrawingtest
