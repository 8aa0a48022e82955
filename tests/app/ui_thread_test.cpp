// The UI thread's task queue: owners' tasks dropped, timed tasks in order, and a task
// that throws ending only itself.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/web/ui_thread.h"

namespace webtest {
namespace {

TEST(UiThreadTest, DropsTheWaitingTasksOfOneOwnerOnly) {
    zg::web::UiThread ui;
    std::string ran;
    for (const auto& [owner, name] : std::vector<std::pair<uint64_t, char>>{{1, 'a'}, {2, 'b'}, {0, 'c'}, {1, 'd'}})
        ui.Post([&ran, name] { ran += name; }, owner);
    EXPECT_EQ(ui.Drop(1), 2u);
    EXPECT_EQ(ui.Drop(0), 0u);  // tasks without an owner are nobody's to drop
    ui.Post([&ui] { ui.Stop(); });
    ui.Run();
    EXPECT_EQ(ran, "bc");
}

TEST(UiThreadTest, TimedTasksRunInTheirOrderAndNeverWithinAWaitingTask) {
    zg::web::UiThread ui;
    std::string ran;
    ui.PostAfter(std::chrono::milliseconds(30), [&] {
        ran += 'b';
        ui.Stop();
    });
    ui.Post([&] {
        bool open = true;
        ui.PostAfter(std::chrono::milliseconds(0), [&] { ran += 'a'; });
        ui.Post([&] {
            ran += 'x';
            open = false;
            ui.Wake();
        });
        ui.RunWhile([&] { return open; }, 0);
        ran += 'w';
    });
    ui.Run();
    EXPECT_EQ(ran, "xwab");
}

TEST(UiThreadTest, ATaskThatThrowsEndsItselfNotTheThread) {
    zg::web::UiThread ui;
    bool ran = false;
    ui.Post([] { throw std::runtime_error("task"); });
    ui.Post([&] {
        ran = true;
        ui.Stop();
    });
    ui.Run();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace webtest
