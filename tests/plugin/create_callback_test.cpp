// Interactive creation: what the creation callback does with each mouse message, the
// sizes it sets from the drag, the lattice switch it keeps, and the objects it forgets.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <filesystem>

#include "tests/plugin/plugin_fixture.h"
#include "tests/support/temp_folder.h"

namespace zgtest {
namespace {

class CreateCallbackTest : public ZentrographTest {
protected:
    void SetUp() override {
        ZentrographTest::SetUp();
        cb = object->GetCreateMouseCallBack();
        ASSERT_NE(cb, nullptr);
    }
    void TearDown() override {
        cb->proc(&viewport, host::MOUSE_UNINIT, 0, 0, {}, mat);
        ZentrographTest::TearDown();
    }
    int Send(int msg, int point, host::IPoint2 at) { return cb->proc(&viewport, msg, point, 0, at, mat); }
    int Lattice() { return block->GetInt(pid::displayLattice); }
    // Point 0 at `from`, then a release at `to`.
    int Drag(host::IPoint2 from, host::IPoint2 to) {
        Send(host::MOUSE_POINT, 0, from);
        Send(host::MOUSE_MOVE, 1, to);
        return Send(host::MOUSE_POINT, 1, to);
    }

    host::CreateMouseCallBack* cb = nullptr;
    host::Matrix3 mat;
};

TEST_F(CreateCallbackTest, AReleaseUnderThreePixelsFromTheFirstPointCancels) {
    struct Case {
        host::IPoint2 from, to;
        int result;
    };
    const Case cases[] = {
        {{10, 10}, {12, 12}, host::CREATE_ABORT},  // n = 8, r = 2
        {{10, 10}, {13, 10}, host::CREATE_STOP},   // r = 3
        {{10, 10}, {12, 13}, host::CREATE_STOP},   // n = 13, r = 3
        {{10, 10}, {10, 10}, host::CREATE_ABORT},  // the very first point
        // So far apart that the squared distance does not fit 32 bits.
        {{INT_MIN + 1, 0}, {INT_MAX, 0}, host::CREATE_STOP},
        {{-60000, -60000}, {60000, 60000}, host::CREATE_STOP},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Drag(c.from, c.to), c.result) << c.from.x << "," << c.from.y << " to " << c.to.x << "," << c.to.y;
    }
}

TEST_F(CreateCallbackTest, TheDragSetsTheSizesAndTheMatrixStaysAtTheFirstPoint) {
    mat.SetFlags(host::kMatrixIdentity);
    EXPECT_EQ(Send(host::MOUSE_POINT, 0, {3, 4}), host::CREATE_CONTINUE);
    EXPECT_EQ(mat.GetTrans(), host::Point3(3, 4, 0));
    EXPECT_EQ(mat.GetFlags() & host::kMatrixIdentityPos, 0u);
    mat = host::Matrix3();
    EXPECT_EQ(Send(host::MOUSE_MOVE, 1, {6, 8}), host::CREATE_CONTINUE);  // 5 units from the first point
    EXPECT_EQ(mat.GetTrans(), host::Point3(3, 4, 0));
    EXPECT_EQ(block->GetFloat(pid::sizeX), 10.0f);
    EXPECT_EQ(block->GetFloat(pid::sizeY), 10.0f);
    EXPECT_EQ(std::bit_cast<uint32_t>(block->GetFloat(pid::sizeZ)),
              std::bit_cast<uint32_t>(10.0f * std::bit_cast<float>(0x3CA0A0A1u)));
    // A drag beyond the largest size leaves the clamped value.
    EXPECT_EQ(Send(host::MOUSE_POINT, 1, {3, 4 + 600000}), host::CREATE_STOP);
    EXPECT_EQ(block->GetFloat(pid::sizeX), 999999.0f);
}

TEST_F(CreateCallbackTest, TheLatticeShowsDuringTheDragAndReturnsToItsValue) {
    for (int before : {0, 1}) {
        for (host::IPoint2 release : {host::IPoint2{40, 0}, host::IPoint2{1, 0}}) {  // completes, cancels
            ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, before));
            Send(host::MOUSE_POINT, 0, {0, 0});
            EXPECT_EQ(Lattice(), 1);
            Send(host::MOUSE_MOVE, 1, release);
            EXPECT_EQ(Lattice(), 1);
            Send(host::MOUSE_POINT, 1, release);
            EXPECT_EQ(Lattice(), before) << "before " << before << ", release at " << release.x;
        }
    }
    // A second first point saves the value the first one forced.
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 0));
    Send(host::MOUSE_POINT, 0, {0, 0});
    Send(host::MOUSE_POINT, 0, {1, 1});
    Send(host::MOUSE_POINT, 1, {50, 50});
    EXPECT_EQ(Lattice(), 1);
}

TEST_F(CreateCallbackTest, AbortWritesBackTheSavedLattice) {
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 0));
    Send(host::MOUSE_POINT, 0, {0, 0});
    EXPECT_EQ(Send(host::MOUSE_ABORT, 0, {9, 9}), host::CREATE_ABORT);
    EXPECT_EQ(Lattice(), 0);
    // The saved value outlives the creation: a later abort writes it again.
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    EXPECT_EQ(Send(host::MOUSE_ABORT, 0, {}), host::CREATE_ABORT);
    EXPECT_EQ(Lattice(), 0);
}

TEST_F(CreateCallbackTest, MessagesWithNothingToDoContinueAndChangeNothing) {
    const int snaps = viewport.SnapRequests();
    const std::pair<int, int> messages[] = {{host::MOUSE_POINT, 2}, {host::MOUSE_MOVE, -1}, {3, 0},
                                            {4, 1},                 {7, 0},                 {-1, 0}};
    for (const auto& [msg, point] : messages) {
        EXPECT_EQ(Send(msg, point, {100, 100}), host::CREATE_CONTINUE) << msg << "/" << point;
    }
    EXPECT_EQ(viewport.SnapRequests(), snaps);
    EXPECT_EQ(block->GetFloat(pid::sizeX), 1.0f);
    EXPECT_EQ(Lattice(), 0);
    EXPECT_EQ(mat, host::Matrix3());
}

TEST_F(CreateCallbackTest, AnUnboundCallbackAbortsButStillPreviewsTheSnap) {
    EXPECT_EQ(Send(host::MOUSE_UNINIT, 0, {}), host::CREATE_CONTINUE);
    for (int msg : {host::MOUSE_ABORT, host::MOUSE_POINT, host::MOUSE_MOVE})
        EXPECT_EQ(Send(msg, 0, {5, 5}), host::CREATE_ABORT) << msg;
    EXPECT_EQ(Lattice(), 0);
    EXPECT_EQ(mat, host::Matrix3());
    EXPECT_EQ(Send(host::MOUSE_FREEMOVE, 0, {5, 5}), host::CREATE_CONTINUE);
    EXPECT_EQ(viewport.PreviewRequests(), 1);
    EXPECT_EQ(cb->proc(nullptr, host::MOUSE_FREEMOVE, 0, 0, {}, mat), host::CREATE_CONTINUE);
}

TEST_F(CreateCallbackTest, DestroyingTheBoundObjectUnbindsTheCallback) {
    host::Object* other = dynamic_cast<host::Object*>(desc->Create(0));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetCreateMouseCallBack(), cb);
    Send(host::MOUSE_POINT, 0, {0, 0});
    other->DeleteThis();
    EXPECT_EQ(Send(host::MOUSE_POINT, 1, {50, 0}), host::CREATE_ABORT);
    EXPECT_EQ(block->GetFloat(pid::sizeX), 1.0f);  // the fixture's object was not the one bound
    // Destroying an object that is not bound leaves the binding alone.
    object->GetCreateMouseCallBack();
    host::Object* third = dynamic_cast<host::Object*>(desc->Create(0));
    third->DeleteThis();
    EXPECT_EQ(Send(host::MOUSE_POINT, 0, {0, 0}), host::CREATE_CONTINUE);
}

TEST(CreateCallbackLoadTest, AnAbortBeforeAnyCreationWritesOneIntoTheLattice) {
    // A copy of the module has module-wide state of its own, fresh from load.
    testsupport::TempFolder folder;
    const std::filesystem::path copy = folder.Path() / "Fresh.dlo";
    std::filesystem::copy_file(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo", copy);
    std::string error;
    auto module = zg::plugins::PluginModule::Load(copy, error);
    ASSERT_NE(module, nullptr) << error;
    host::Object* fresh = dynamic_cast<host::Object*>(module->ClassAt(0)->Create(0));
    ASSERT_NE(fresh, nullptr);
    host::Matrix3 mat;
    RecordingGraphicsWindow gw;
    FakeViewport viewport(&gw);
    EXPECT_EQ(fresh->GetCreateMouseCallBack()->proc(&viewport, host::MOUSE_ABORT, 0, 0, {}, mat), host::CREATE_ABORT);
    EXPECT_EQ(fresh->GetParamBlock(0)->GetInt(pid::displayLattice), 1);
    fresh->DeleteThis();
}

}  // namespace
}  // namespace zgtest
