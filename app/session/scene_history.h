// SceneHistory: the undo history of a scene being edited. Each step the user takes (a
// creation, a deletion, a move, a panel edit, ...) is kept as the state of the scene it
// led from, and undoing it hands that state back; redo works the same way forwards.
//
// A state is the scene in parts (scene::SceneParts): a node's text is shared by every
// state in which the node did not change, so a step costs about what it changed. The
// history keeps at most a number of steps and of bytes, dropping the oldest first.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zg::session {

struct SceneState {
    std::string head;
    std::vector<std::shared_ptr<const std::string>> nodes;

    // True when both hold the same text; shared node texts are compared by address.
    bool SameAs(const SceneState& other) const;
    // The scene file text of the state.
    std::string Text() const;
};

class SceneHistory {
public:
    static constexpr std::size_t kMaxSteps = 200;
    static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;

    explicit SceneHistory(std::size_t maxSteps = kMaxSteps, std::size_t maxBytes = kMaxBytes);

    // Forgets every step: `current` is the state the next step starts from.
    void Reset(SceneState current);
    const SceneState& Current() const { return current_; }
    // Makes a state of `nodes` (texts) that shares every text equal to one of the
    // current state's.
    SceneState Share(std::string head, std::vector<std::string> nodes) const;

    // Records the step `name` that led from the current state to `after`. Nothing is
    // recorded when the state did not change. A step with the same non-empty
    // `mergeKey` as the last one (with nothing undone since) joins it: one spinner drag
    // is one step. False when nothing was recorded.
    bool Record(const std::string& name, SceneState after, const std::string& mergeKey = {});

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The name of the step Undo (Redo) would take back (again); "" when there is none.
    std::string UndoName() const { return undo_.empty() ? std::string() : undo_.back().name; }
    std::string RedoName() const { return redo_.empty() ? std::string() : redo_.back().name; }
    // The state undoing (redoing) leads to; none when there is no step.
    const SceneState* UndoTarget() const { return undo_.empty() ? nullptr : &undo_.back().state; }
    const SceneState* RedoTarget() const { return redo_.empty() ? nullptr : &redo_.back().state; }
    // Moves the last step to the other list once its target state has been restored.
    void Undone();
    void Redone();

    std::size_t Steps() const { return undo_.size() + redo_.size(); }
    // Bytes of node text the steps hold that the current state does not.
    std::size_t Bytes() const { return bytes_; }

private:
    struct Step {
        std::string name;
        std::string mergeKey;
        SceneState state;   // the state the step goes to when taken
        std::size_t bytes;  // text this state holds that its neighbour did not
    };
    static std::size_t NewBytes(const SceneState& state, const SceneState& neighbour);
    // Takes the last step of `from` to its state, and keeps the way back in `to`.
    void Move(std::deque<Step>& from, std::deque<Step>& to);
    void Trim();

    std::size_t maxSteps_;
    std::size_t maxBytes_;
    SceneState current_;
    std::deque<Step> undo_, redo_;
    std::size_t bytes_ = 0;
};

}  // namespace zg::session
