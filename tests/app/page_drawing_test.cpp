// The drawing pages get: records in world space from the recording graphics window,
// chunks that are sent only when they changed, and their parts on the wire.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "app/session/edit_session.h"
#include "app/viewport/world_viewport.h"
#include "app/web/frame_encoding.h"
#include "app/web/page_drawing.h"
#include "tests/app/render_scene_fixture.h"

namespace pagedrawingtest {
namespace {

using zg::viewport::WorldDrawing;
using zg::viewport::WorldGraphicsWindow;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Edge {
    float ax, bx;
    uint32_t flags;
};

std::vector<Edge> Edges(const WorldDrawing& d) {
    std::vector<Edge> edges;
    for (const auto& l : d.Lines()) edges.push_back({l.a[0], l.b[0], l.node >> 24});
    return edges;
}

TEST(WorldWindowTest, PolylinesArriveAsWorldEdgesCutAtPointsThatAreNotFinite) {
    using zg::viewport::kPolylineClosed;
    using zg::viewport::kPolylineStart;
    const host::Point3 square[] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    const host::Point3 holed[] = {{0, 0, 0}, {kNaN, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    struct Case {
        const char* what;
        const host::Point3* points;
        int closed;
        std::vector<std::tuple<float, float, uint32_t>> edges;  // a.x, b.x, flags (world x is 10 + 2x)
    };
    const Case cases[] = {
        {"open", square, 0, {{10, 12, kPolylineStart}, {12, 14, 0}, {14, 16, 0}}},
        {"closed", square, 1,
         {{10, 12, kPolylineStart | kPolylineClosed}, {12, 14, 0}, {14, 16, 0}, {16, 10, 0}}},
        {"open with a hole", holed, 0, {{14, 16, kPolylineStart}}},
        // The piece through the first point stays one piece.
        {"closed with a hole", holed, 1, {{14, 16, kPolylineStart}, {16, 10, 0}}},
    };
    for (const Case& c : cases) {
        WorldDrawing drawing;
        WorldGraphicsWindow gw;
        gw.Begin(&drawing, nullptr, 3, {1, 1, 1});
        host::Matrix3 tm;
        tm.SetRow(0, {2, 0, 0});
        tm.SetRow(3, {10, 0, 0});
        gw.setTransform(tm);
        gw.polyline(4, c.points, c.closed);
        const std::vector<Edge> got = Edges(drawing);
        ASSERT_EQ(got.size(), c.edges.size()) << c.what;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].ax, std::get<0>(c.edges[i])) << c.what << " edge " << i;
            EXPECT_EQ(got[i].bx, std::get<1>(c.edges[i])) << c.what << " edge " << i;
            EXPECT_EQ(got[i].flags & ~zg::viewport::kDrawnInNodeColor, std::get<2>(c.edges[i])) << c.what;
        }
    }
}

TEST(WorldWindowTest, RecordsCarryNodeColourStyleAndCodeAndLookingAtTheViewSplitsThem) {
    WorldDrawing shared;
    WorldDrawing view;
    zg::viewport::WorldViewport viewport("Top", zg::viewport::Camera());
    WorldGraphicsWindow& gw = viewport.Window();
    gw.Begin(&shared, &view, 7, {1, 0, 0});
    const host::Point3 seg[] = {{0, 0, 0}, {1, 0, 0}};
    gw.segment(seg, 1);
    gw.segment(seg, 0);  // an invisible edge
    gw.setColor(host::LINE_COLOR, 0, 1, 0);
    gw.marker(&seg[1], host::kMarkerRing);
    host::Matrix3 m;
    viewport.GetAffineTM(m);
    gw.marker(&seg[0], static_cast<host::MarkerType>(300));
    gw.setRndLimits(gw.getRndLimits() | host::kRndPicking);
    gw.marker(&seg[0], host::kMarkerRing);  // picking records nothing

    ASSERT_EQ(shared.Lines().size(), 1u);
    const auto& line = shared.Lines()[0];
    EXPECT_EQ(line.style, zg::viewport::LineStyle::kForceSegment);
    EXPECT_EQ(line.node, 7u | zg::viewport::kDrawnInNodeColor << 24);
    EXPECT_EQ(line.rgb[0], 255);
    ASSERT_EQ(shared.Markers().size(), 1u);
    EXPECT_EQ(shared.Markers()[0].code, host::kMarkerRing);
    EXPECT_EQ(shared.Markers()[0].node, 7u);  // green: not the node's colour
    EXPECT_TRUE(gw.ViewDependent());
    ASSERT_EQ(view.Markers().size(), 1u);
    EXPECT_EQ(view.Markers()[0].code, zg::viewport::kUnknownMarkerCode);
}

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

// HelperScene's scene with a perspective view after its top view.
std::string TwoViews(const std::string& params, const std::string& extraNodes) {
    std::string text = rendertest::HelperScene(params, extraNodes);
    const std::string persp = R"(, {"name": "Persp", "projection": "perspective", "eye": [10, -10, 10], "target": [0, 0, 0]}]})";
    return text.replace(text.rfind("]}"), 2, persp);
}

class PageDrawingTest : public rendertest::RenderSceneFixture {
protected:
    // What one page is sent for each change: binary parts and the text that ends them.
    struct Sent {
        std::size_t parts = 0;
        std::string commit;
    };
    Sent Bring(zg::session::EditSession& session, std::vector<zg::web::ViewSize> sizes = {{80, 60}, {80, 60}}) {
        drawing.Refresh(session, {&sizes});
        Sent sent;
        drawing.Bring(copy, sizes, [&](std::string m, bool binary) {
            if (binary)
                ++sent.parts;
            else
                sent.commit = m;
        });
        return sent;
    }
    zg::web::PageDrawing drawing;
    zg::web::PageDrawing::PageCopy copy;
};

TEST_F(PageDrawingTest, OnlyWhatChangedIsSentAndCameraMovesRedrawOnlyWhatLooksAtTheView) {
    Load(TwoViews(R"("resolutionX": 3, "resolutionY": 3)", R"({"name": "Pull", "class": "Gravity"})"));
    zg::session::EditSession session(directory, std::move(scene), {});
    // Two grids, the viewer's chunk and the gravity's icon; the chunks are shared.
    Sent first = Bring(session);
    EXPECT_EQ(first.parts, 4u);
    EXPECT_NE(first.commit.find(R"("nodes":[[0,"Helper01"],[1,"Pull"]])"), std::string::npos) << first.commit;

    EXPECT_EQ(Bring(session).parts + Bring(session).commit.size(), 0u) << "nothing changed";
    zg::scene::ViewDefinition turned = session.Views()[1];
    turned.eye = {-10, 10, 10};
    ASSERT_TRUE(session.SetCamera(1, turned));
    EXPECT_EQ(Bring(session).commit, "") << "a turn of a view nothing looks at (its grid the same)";

    std::string error;
    ASSERT_TRUE(session.SetFrame(1, error));
    session.Scene().FindNode("Pull")->SetPosition(zg::scene::AnimatedPoint({1, 1, 0}));
    const Sent moved = Bring(session);
    EXPECT_EQ(moved.parts, 2u) << "the moved gravity and the viewer whose arrows turned";

    session.Select({"Pull"});
    EXPECT_EQ(Bring(session).parts, 0u) << "selection is the page's to show";
    EXPECT_TRUE(session.Scene().FindNode("Pull")->Selected());
    EXPECT_EQ(drawing.ChunkCount(), 6u);  // the grids, the nodes and the two empty overlays
}

TEST_F(PageDrawingTest, ViewMarkersAreRedrawnForTheTurnedViewAlone) {
    Load(TwoViews(R"("resolutionX": 3, "resolutionY": 3, "displayVectorBases": true, "forceNodes": ["Pull"])",
                  R"({"name": "Pull", "class": "Gravity", "position": [1, 0, 0]})"));
    zg::session::EditSession session(directory, std::move(scene), {});
    Bring(session);
    zg::scene::ViewDefinition turned = session.Views()[1];
    turned.eye = {3, 0, -10};  // from below: the markers flip
    ASSERT_TRUE(session.SetCamera(1, turned));
    const Sent sent = Bring(session);
    EXPECT_EQ(sent.parts, 1u) << "the viewer's markers for the perspective view";
    EXPECT_NE(sent.commit.find(R"("drop":[])"), std::string::npos) << "the chunk keeps its id: " << sent.commit;
}

TEST_F(PageDrawingTest, ASmallTurnSendsTheFlippedMarkersToAPageThatHoldsTheLastDrawingAndAllToOneThatDoesNot) {
    Load(TwoViews(R"("resolutionX": 30, "resolutionY": 30, "displayVectorBases": true, "forceNodes": ["Pull"])",
                  R"({"name": "Pull", "class": "Gravity", "position": [1, 0, 0], "params": {"spherical": true}})"));
    zg::session::EditSession session(directory, std::move(scene), {});
    Bring(session);
    zg::scene::ViewDefinition turned = session.Views()[1];
    turned.eye = {-10, 10, 10};
    ASSERT_TRUE(session.SetCamera(1, turned));
    Bring(session);  // most markers flip
    const zg::web::PageDrawing::PageCopy held = copy;
    turned.eye = {-10.5, 9.5, 10};
    ASSERT_TRUE(session.SetCamera(1, turned));
    std::vector<std::string> parts;
    const std::vector<zg::web::ViewSize> sizes = {{80, 60}, {80, 60}};
    drawing.Refresh(session, {&sizes});
    drawing.Bring(copy, sizes, [&](std::string m, bool binary) { if (binary) parts.push_back(std::move(m)); });
    ASSERT_EQ(parts.size(), 1u);
    uint32_t magic;
    std::memcpy(&magic, parts[0].data(), sizeof magic);
    EXPECT_EQ(magic, zg::web::kPatchMagic);
    EXPECT_LT(parts[0].size(), 961 * 20 / 2) << "fewer than half of the viewer's markers";

    EXPECT_EQ(drawing.Lacking(held, sizes), parts[0].size());
    zg::web::PageDrawing::PageCopy fresh;
    std::vector<uint32_t> magics;
    drawing.Bring(fresh, sizes, [&](std::string m, bool binary) {
        if (!binary) return;
        std::memcpy(&magic, m.data(), sizeof magic);
        magics.push_back(magic);
    });
    EXPECT_EQ(std::count(magics.begin(), magics.end(), zg::web::kPatchMagic), 0) << "a page that holds nothing";
}

TEST_F(PageDrawingTest, ALatticeTheBudgetRefusesIsSaidInRendersWords) {
    Load(TwoViews(R"("resolutionX": 400, "resolutionY": 400, "resolutionZ": 20)", R"({"name": "Pull", "class": "Gravity"})"));
    zg::session::EditSession session(directory, std::move(scene), {});
    host::SetMemoryBudget(host::GetHeapStats().budgetBytesHeld + (4u << 20));
    Bring(session);
    host::ResetMemoryBudget();
    ASSERT_EQ(drawing.Warnings().size(), 1u);
    EXPECT_EQ(drawing.Warnings()[0].rfind("node \"Helper01\": the memory budget of ", 0), 0u) << drawing.Warnings()[0];
}

}  // namespace
}  // namespace pagedrawingtest
