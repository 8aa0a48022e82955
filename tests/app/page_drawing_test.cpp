// The drawing pages get: chunks that are sent only when they changed, views redrawn
// alone when they turn, and a lattice the budget refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/session/edit_session.h"
#include "app/web/frame_encoding.h"
#include "app/web/page_drawing.h"
#include "tests/app/render_scene_fixture.h"

namespace pagedrawingtest {
namespace {

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
    turned.eye = {1.94, 9.81, 10};  // a third of the markers flip
    ASSERT_TRUE(session.SetCamera(1, turned));
    const std::vector<zg::web::ViewSize> sizes = {{80, 60}, {80, 60}};
    std::vector<uint32_t> flipped;
    drawing.Refresh(session, {&sizes});
    drawing.Bring(copy, sizes, [&](std::string m, bool binary) {
        if (!binary) return;
        uint32_t word;
        std::memcpy(&word, m.data(), sizeof word);
        flipped.push_back(word);
    });
    EXPECT_EQ(flipped, std::vector<uint32_t>{zg::web::kPlacedMagic}) << "all of them, placed, is smaller than the patch";
    const zg::web::PageDrawing::PageCopy held = copy;
    turned.eye = {1.6, 9.9, 10};
    ASSERT_TRUE(session.SetCamera(1, turned));
    std::vector<std::string> parts;
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
    EXPECT_EQ(std::count(magics.begin(), magics.end(), zg::web::kPlacedMagic), 2) << "each view's markers, on their segments";
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
