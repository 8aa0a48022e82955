// The undo history's own rules: steps that change nothing are not steps, a merge key
// joins a step to the one before, unchanged nodes are stored once, and the oldest
// steps go first when the history is full.
#include <gtest/gtest.h>

#include "app/session/scene_history.h"

namespace {

using zg::session::SceneHistory;
using zg::session::SceneState;

SceneState State(const SceneHistory& history, std::vector<std::string> nodes) {
    return history.Share("{\"zentrographScene\":1,\"nodes\":[", std::move(nodes));
}

TEST(SceneHistoryTest, StepsJoinShareAndAreBounded) {
    SceneHistory history(3, 1 << 20);
    history.Reset(State(history, {"a1", "b1"}));
    EXPECT_FALSE(history.Record("Nothing", State(history, {"a1", "b1"})));
    ASSERT_TRUE(history.Record("Change Size", State(history, {"a2", "b1"}), "spin 1"));
    ASSERT_TRUE(history.Record("Change Size", State(history, {"a3", "b1"}), "spin 1"));  // the same drag
    EXPECT_EQ(history.Steps(), 1u);
    // The node that did not change is one text in both states.
    EXPECT_EQ(history.UndoTarget()->nodes[1].get(), history.Current().nodes[1].get());
    EXPECT_EQ(history.Current().Text(), "{\"zentrographScene\":1,\"nodes\":[a3,b1]}");

    for (const char* step : {"Move B", "Delete B", "Create C"})
        history.Record(step, State(history, {"a3", std::string(step)}));
    EXPECT_EQ(history.Steps(), 3u);  // the spinner step was dropped first
    EXPECT_EQ(history.UndoName(), "Create C");
    history.Undone();
    EXPECT_EQ(history.Current().nodes[1]->c_str(), std::string("Delete B"));
    EXPECT_EQ(history.RedoName(), "Create C");
    history.Record("Move A", State(history, {"a4", "Delete B"}));  // a new step ends redo
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.UndoName(), "Move A");
}

}  // namespace
