// Message boxes shown by a page: a box belongs to its page while the others are served.
#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/web/page_dialogs.h"
#include "app/web/ui_thread.h"
#include "host/platform.h"
#include "tests/app/eventually.h"

namespace webtest {
namespace {

TEST(PageDialogsTest, ABoxBelongsToItsPageWhileTheOtherPagesAreServed) {
    zg::web::UiThread ui;
    std::mutex mutex;
    std::string ran;  // the tasks run, in order
    bool shown = false;
    const auto note = [&](char what) {
        std::lock_guard lock(mutex);
        ran += what;
    };
    const auto seen = [&] {
        std::lock_guard lock(mutex);
        return ran;
    };
    zg::web::PageDialogs dialogs(
        [&](zg::web::ClientId page, std::string message, bool) {
            std::lock_guard lock(mutex);
            shown = shown || (page == 1 && message.find(R"("type":"messageBox")") != std::string::npos);
        },
        [] { return std::optional<zg::web::ClientId>(1); }, true, &ui);
    int answer = 0;
    ui.Post([&] { answer = dialogs.Show(nullptr, "Sure?", "Question", 1); note('A'); }, 1);
    ui.Post([&] { note('b'); }, 2);
    ui.Post([&] { note('a'); }, 1);  // page 1's next message waits for its box
    std::thread thread([&] { ui.Run(); });
    ASSERT_TRUE(Eventually([&] { return seen() == "b"; }));
    dialogs.Reply(2, 1, host::IDOK);  // another page cannot answer it
    ui.Post([&] { note('c'); }, 2);
    ASSERT_TRUE(Eventually([&] { return seen() == "bc"; }));
    dialogs.Reply(1, 1, host::IDCANCEL);
    EXPECT_TRUE(Eventually([&] { return seen() == "bcAa"; })) << seen();
    ui.Stop();
    thread.join();
    EXPECT_TRUE(shown);
    EXPECT_EQ(answer, host::IDCANCEL);
}

}  // namespace
}  // namespace webtest
