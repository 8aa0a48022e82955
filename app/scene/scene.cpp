#include "app/scene/scene.h"

#include <fmt/format.h>

#include <algorithm>
#include <new>

namespace zg::scene {

std::optional<std::string> NodeNameProblem(std::string_view name) {
    if (name.empty()) return "a node name cannot be empty";
    if (name.find('\0') != std::string_view::npos) return "a node name cannot hold a NUL character";
    return std::nullopt;
}

Scene::Scene(FrameRate rate) : rate_(rate) {}

Scene::~Scene() {
    listener_ = nullptr;
    while (!nodes_.empty()) {
        // A slot is empty when its node was destroyed by someone else.
        if (nodes_.back() == nullptr)
            nodes_.pop_back();
        else
            DeleteNode(nodes_.back());
    }
}

bool Scene::SetFrameRange(int start, int end) {
    if (start > end) return false;
    startFrame_ = start;
    endFrame_ = end;
    return true;
}

uint32_t Scene::DefaultWireColor(int i) {
    // Well separated hues that read on a dark and on a light background, 0x00BBGGRR.
    static constexpr uint32_t kPalette[] = {
        0x0000A5FF,  // orange
        0x00E6B400,  // teal blue
        0x0050C878,  // green
        0x00B45AE6,  // pink
        0x0000D7FF,  // gold
        0x00FF8C3C,  // blue
        0x003C3CDC,  // red
        0x00D2D2D2,  // light grey
    };
    constexpr int kCount = static_cast<int>(std::size(kPalette));
    return kPalette[((i % kCount) + kCount) % kCount];
}

Node* Scene::AddNode(const std::string& name, host::Object* object, std::string& error) {
    if (std::optional<std::string> problem = NodeNameProblem(name)) {
        error = std::move(*problem);
        return nullptr;
    }
    if (nodes_.size() >= kMaxSceneNodes) {
        error = fmt::format("the scene holds {} nodes, the most a scene file can hold", kMaxSceneNodes);
        return nullptr;
    }
    if (FindNode(name) != nullptr) {
        error = fmt::format("a node named \"{}\" already exists", name);
        return nullptr;
    }
    Node* node = nullptr;
    try {
        nodes_.reserve(nodes_.size() + 1);
        node = new (std::nothrow) Node(name, object);
    } catch (const std::exception&) {
        node = nullptr;
    }
    if (node == nullptr) {
        error = fmt::format("no memory for node \"{}\"", name);
        return nullptr;
    }
    try {
        byName_.emplace(name, node);
    } catch (const std::exception&) {
        node->DeleteThis();
        error = fmt::format("no memory for node \"{}\"", name);
        return nullptr;
    }
    node->SetWireColor(DefaultWireColor(nodesAdded_++));
    nodes_.push_back(nullptr);
    ReplaceReference(NodeCount() - 1, node, false);
    if (listener_) listener_(host::PART_ALL);
    return node;
}

bool Scene::DeleteNode(Node* node) {
    const auto it = std::find(nodes_.begin(), nodes_.end(), node);
    if (node == nullptr || it == nodes_.end()) return false;
    const auto index = static_cast<int>(it - nodes_.begin());
    // Release the scene's own reference without letting the reference system decide,
    // then destroy the node whatever else still lists it: those makers hear
    // REFMSG_TARGET_DELETED from the node's destructor.
    byName_.erase(node->Name());
    deleting_ = node;
    ReplaceReference(index, nullptr, false);
    deleting_ = nullptr;
    nodes_.erase(nodes_.begin() + index);
    node->DeleteThis();
    if (listener_) listener_(host::PART_ALL);
    return true;
}

bool Scene::RenameNode(Node* node, const std::string& name) {
    if (node == nullptr || NodeNameProblem(name)) return false;
    if (Node* other = FindNode(name); other != nullptr) return other == node;
    if (std::find(nodes_.begin(), nodes_.end(), node) == nodes_.end()) return false;
    byName_.emplace(name, node);
    byName_.erase(node->Name());
    node->SetName(name);
    return true;
}

Node* Scene::NodeAt(int i) const {
    if (i < 0 || i >= NodeCount()) return nullptr;
    return nodes_[static_cast<std::size_t>(i)];
}

Node* Scene::FindNode(std::string_view name) const {
    const auto it = byName_.find(std::string(name));
    return it != byName_.end() ? it->second : nullptr;
}

std::string Scene::UniqueName(std::string_view base) const {
    for (int n = 1;; ++n) {
        std::string candidate = fmt::format("{}{:02d}", base, n);
        if (FindNode(candidate) == nullptr) return candidate;
    }
}

void Scene::SetReference(int i, host::ReferenceTarget* target) {
    if (i < 0 || i >= NodeCount()) return;
    // Only nodes are placed here, by AddNode; the reference system clears slots. A
    // node cleared that way is being destroyed: its name is not read again.
    Node*& slot = nodes_[static_cast<std::size_t>(i)];
    if (target == nullptr && slot != nullptr && slot != deleting_)
        std::erase_if(byName_, [old = slot](const auto& entry) { return entry.second == old; });
    slot = static_cast<Node*>(target);
}

host::RefResult Scene::NotifyRefChanged(const host::Interval&, host::ReferenceTarget*, host::PartID& part,
                                        host::RefMessage message) {
    if (message == host::REFMSG_CHANGE && listener_) listener_(part);
    return host::REF_SUCCEED;
}

}  // namespace zg::scene
