// The recovery copy that keeps a scene's unsaved changes beside it.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/session/recovery_copy.h"
#include "tests/app/render_scene_fixture.h"
#include "tests/support/temp_folder.h"

namespace rendertest {
namespace {

namespace fs = std::filesystem;
using zg::session::RecoveryCopy;
using namespace std::chrono_literals;

class RecoveryCopyTest : public RenderSceneFixture {
protected:
    // Nodes in the copy on disk, or -1 when there is none.
    int NodesInCopy(const fs::path& copy) {
        if (!fs::exists(copy)) return -1;
        std::string error;
        const auto read = zg::scene::LoadSceneFile(copy, zg::cli::ResolverFor(directory), error);
        EXPECT_NE(read, nullptr) << error;
        return read ? read->NodeCount() : -1;
    }
};

TEST_F(RecoveryCopyTest, KeepsUnsavedChangesAtMostOnceAnIntervalAndGoesWhenTheSceneIsSaved) {
    const testsupport::TempFolder dir;
    Load(HelperScene("", R"({"name": "Gravity01", "class": "Gravity"}, {"name": "Wind01", "class": "Wind"})"));
    zg::session::EditSession session(directory, std::move(scene), {});
    std::string error;
    ASSERT_TRUE(session.Save(dir.Path() / "s.json", error)) << error;
    const fs::path copy = dir.Path() / ".s.json.recovery";
    EXPECT_EQ(RecoveryCopy::PathFor(session.File(), "/elsewhere"), copy);
    EXPECT_EQ(RecoveryCopy::PathFor({}, dir.Path()), dir.Path() / ".new-scene.json.recovery");

    RecoveryCopy recovery(session, dir.Path(), 3s);
    const auto t0 = RecoveryCopy::Clock::time_point{} + 100s;
    const auto deleteNode = [&](const char* name) {
        session.Select({name});
        session.DeleteSelection();
    };
    const struct {
        const char* deleted;  // before the update; null: save the scene
        std::chrono::seconds at;
        int nodesInCopy;  // -1: no copy
    } steps[] = {
        {"", 0s, -1},  // nothing unsaved
        {"Gravity01", 0s, 2},
        {"Wind01", 1s, 2},  // too soon after the last copy
        {"", 3s, 1},
        {nullptr, 4s, -1},  // saved: the copy goes
        {"Helper01", 7s, 0},
    };
    for (const auto& step : steps) {
        if (step.deleted == nullptr)
            ASSERT_TRUE(session.Save({}, error)) << error;
        else if (*step.deleted != '\0')
            deleteNode(step.deleted);
        EXPECT_TRUE(recovery.Update(t0 + step.at, error)) << error;
        EXPECT_EQ(NodesInCopy(copy), step.nodesInCopy) << step.at.count();
    }
    EXPECT_EQ(RecoveryCopy::FindNewer(session.File(), dir.Path()), copy);
    fs::last_write_time(session.File(), fs::last_write_time(copy) + 1s);
    EXPECT_EQ(RecoveryCopy::FindNewer(session.File(), dir.Path()), std::nullopt);  // the scene is newer
    recovery.Remove();
    EXPECT_FALSE(fs::exists(copy));

    // A copy that cannot be written is told once, not at every update.
    fs::create_directory(copy);
    session.MarkUnsaved();
    EXPECT_FALSE(recovery.Update(t0 + 10s, error));
    EXPECT_NE(error.find(".s.json.recovery"), std::string::npos) << error;
    session.MarkUnsaved();
    EXPECT_TRUE(recovery.Update(t0 + 20s, error));
}

}  // namespace
}  // namespace rendertest
