// Soak: field viewers created with the mouse, edited in the command panel, drawn and
// deleted through the edit session, round after round. After a warm-up the host heap
// holds exactly what it held, and the process's resident memory stays within a small
// bound.
#include <malloc.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "app/session/edit_session.h"
#include "host/heap.h"
#include "tests/app/render_scene_fixture.h"

namespace {

using zg::session::PointerPhase;

constexpr int kWarmUpRounds = 20;
constexpr int kRounds = 300;
// Allocator noise stays far below this; a leaked field viewer per round (its samples
// alone take some 60 KB) would pass it within a hundred rounds.
constexpr long kMaxResidentGrowth = 4L << 20;
constexpr int kWidth = 640;
// Parameters of the field viewer's block 0.
constexpr host::ParamID kSizeX = 0;
constexpr host::ParamID kResolutionX = 3;
constexpr host::ParamID kForceNodes = 6;
constexpr int kHeight = 400;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer keeps freed memory in quarantine, so resident memory grows by design.
constexpr bool kResidentMemoryMeaningful = false;
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif

long ResidentBytes() {
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

class SoakTest : public rendertest::RenderSceneFixture {};

TEST_F(SoakTest, CreatingEditingDrawingAndDeletingViewersKeepsMemoryFlat) {
    Load(R"({"zentrographScene": 1, "nodes": [{"name": "Pull", "class": "Gravity", "position": [1, 1, 0]}]})");
    zg::session::EditSession session(directory, std::move(scene), {});
    zg::panel::CommandPanel& panel = session.Panel();
    // The panel's control bound to `param` in `role`.
    auto control = [&](host::ParamID param, zg::panel::BindingRole role) -> host::HWND {
        for (const zg::panel::Rollout& r : panel.Rollouts())
            for (const zg::panel::Control& c : r.controls)
                if (c.binding.param == param && c.binding.role == role) return c.handle;
        return nullptr;
    };
    auto round = [&] {
        std::string error;
        ASSERT_TRUE(session.EnterCreateMode("Zentrograph", error)) << error;
        const std::pair<PointerPhase, host::IPoint2> drag[] = {
            {PointerPhase::kDown, {300, 200}}, {PointerPhase::kMove, {340, 230}}, {PointerPhase::kUp, {380, 260}}};
        for (const auto& [phase, at] : drag) ASSERT_TRUE(session.Pointer({1, phase, at, 0, false, kWidth, kHeight}, error));
        session.LeaveCreateMode();
        ASSERT_NE(session.EditedNode(), nullptr) << session.Status();
        EXPECT_TRUE(panel.EnterText(control(kSizeX, zg::panel::BindingRole::kValue), "3.5", error)) << error;
        EXPECT_TRUE(panel.Spin(control(kResolutionX, zg::panel::BindingRole::kSpinner), 4, error)) << error;
        EXPECT_TRUE(panel.Click(control(kForceNodes, zg::panel::BindingRole::kAdd), error)) << error;
        EXPECT_TRUE(session.PickNode("Pull")) << session.Status();
        for (int view = 0; view < 2; ++view) EXPECT_FALSE(session.Draw(view, kWidth, kHeight).Items().empty());
        session.DeleteSelection();
        ASSERT_EQ(session.Scene().NodeCount(), 1);
    };
    for (int i = 0; i < kWarmUpRounds; ++i) round();
    const host::HeapStats heap = host::GetHeapStats();
    const long resident = ResidentBytes();
    for (int i = 0; i < kRounds && !HasFatalFailure(); ++i) round();
    const host::HeapStats heapAfter = host::GetHeapStats();
    const long growth = ResidentBytes() - resident;

    std::cout << "soak: " << kRounds << " rounds after " << kWarmUpRounds << " to warm up; host heap "
              << static_cast<long long>(heapAfter.liveBlocks) - static_cast<long long>(heap.liveBlocks)
              << " blocks, resident memory " << growth / 1024 << " KiB\n";
    RecordProperty("rounds", kRounds);
    RecordProperty("residentGrowthKiB", std::to_string(growth / 1024));
    EXPECT_EQ(heapAfter.liveBlocks, heap.liveBlocks);
    EXPECT_EQ(heapAfter.budgetBytesHeld, heap.budgetBytesHeld);
    if (kResidentMemoryMeaningful) {
        EXPECT_LT(growth, kMaxResidentGrowth);
    }
}

}  // namespace
