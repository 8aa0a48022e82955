#include "app/session/scene_history.h"

#include <unordered_map>
#include <unordered_set>

#include "app/scene/scene_file.h"

namespace zg::session {

bool SceneState::SameAs(const SceneState& other) const {
    if (head != other.head || nodes.size() != other.nodes.size()) return false;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i] != other.nodes[i] && *nodes[i] != *other.nodes[i]) return false;
    return true;
}

std::string SceneState::Text() const {
    std::vector<const std::string*> texts;
    texts.reserve(nodes.size());
    for (const auto& node : nodes) texts.push_back(node.get());
    return scene::JoinSceneParts(head, texts);
}

SceneHistory::SceneHistory(std::size_t maxSteps, std::size_t maxBytes) : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

void SceneHistory::Reset(SceneState current) {
    current_ = std::move(current);
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

SceneState SceneHistory::Share(std::string head, std::vector<std::string> nodes) const {
    std::unordered_map<std::string_view, const std::shared_ptr<const std::string>*> known;
    known.reserve(current_.nodes.size());
    for (const auto& node : current_.nodes) known.emplace(*node, &node);
    SceneState state{std::move(head), {}};
    state.nodes.reserve(nodes.size());
    for (std::string& text : nodes) {
        const auto found = known.find(text);
        state.nodes.push_back(found != known.end() ? *found->second
                                                   : std::make_shared<const std::string>(std::move(text)));
    }
    return state;
}

std::size_t SceneHistory::NewBytes(const SceneState& state, const SceneState& neighbour) {
    std::unordered_set<const std::string*> shared;
    shared.reserve(neighbour.nodes.size());
    for (const auto& node : neighbour.nodes) shared.insert(node.get());
    std::size_t bytes = state.head.size();
    for (const auto& node : state.nodes)
        if (!shared.contains(node.get())) bytes += node->size();
    return bytes;
}

bool SceneHistory::Record(const std::string& name, SceneState after, const std::string& mergeKey) {
    if (after.SameAs(current_)) return false;
    for (const Step& step : redo_) bytes_ -= step.bytes;
    redo_.clear();
    if (!mergeKey.empty() && !undo_.empty() && undo_.back().mergeKey == mergeKey) {
        Step& last = undo_.back();
        bytes_ -= last.bytes;
        last.bytes = NewBytes(last.state, after);
        bytes_ += last.bytes;
        current_ = std::move(after);
        return true;
    }
    const std::size_t bytes = NewBytes(current_, after);
    undo_.push_back({name, mergeKey, std::move(current_), bytes});
    bytes_ += bytes;
    current_ = std::move(after);
    Trim();
    return true;
}

void SceneHistory::Undone() { Move(undo_, redo_); }

void SceneHistory::Redone() { Move(redo_, undo_); }

void SceneHistory::Move(std::deque<Step>& from, std::deque<Step>& to) {
    if (from.empty()) return;
    Step step = std::move(from.back());
    from.pop_back();
    bytes_ -= step.bytes;
    const std::size_t bytes = NewBytes(current_, step.state);
    to.push_back({std::move(step.name), {}, std::move(current_), bytes});
    bytes_ += bytes;
    current_ = std::move(step.state);
}

void SceneHistory::Trim() {
    while (!undo_.empty() && (Steps() > maxSteps_ || bytes_ > maxBytes_)) {
        bytes_ -= undo_.front().bytes;
        undo_.pop_front();
    }
}

}  // namespace zg::session
