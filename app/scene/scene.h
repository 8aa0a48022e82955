// Scene: the nodes of one scene, its frame rate and frame range, and the viewports it
// was saved with.
//
// The scene is a reference maker holding one reference on every node, so a node lives
// as long as its scene keeps it. Deleting a node from the scene destroys it: its
// dependents (parameter blocks that list it) hear REFMSG_TARGET_DELETED and drop it.
// Node names are unique and never empty. Used on the UI thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/scene/frame_rate.h"
#include "app/scene/node.h"
#include "app/scene/view_definition.h"

namespace zg::scene {

// The application's own super class for the scene itself; no module class uses it.
inline constexpr host::SClass_ID kSceneSuperClassId = 0x5A470000;

// The most nodes a scene holds: as many as a scene file may hold, so that whatever
// grows a scene leaves one that can be saved and read back.
inline constexpr std::size_t kMaxSceneNodes = 10000;

// What makes `name` unusable as a node name, in a few words; none when it serves. A
// name is a whole string: a NUL would cut it wherever it is handed on as C text.
std::optional<std::string> NodeNameProblem(std::string_view name);

class Scene : public host::ReferenceMaker {
public:
    explicit Scene(FrameRate rate = FrameRate());
    // Destroys every node, last added first.
    ~Scene() override;

    host::SClass_ID SuperClassID() override { return kSceneSuperClassId; }
    host::Class_ID ClassID() override { return host::Class_ID(kSceneSuperClassId, 1); }

    FrameRate Rate() const { return rate_; }
    // The frame range the scene is played and rendered over, both ends included.
    int StartFrame() const { return startFrame_; }
    int EndFrame() const { return endFrame_; }
    // False, changing nothing, when start is after end.
    bool SetFrameRange(int start, int end);

    // Adds a node named `name` showing `object` and gives it the next default wire
    // colour. None, taking nothing (the caller still owns `object`), when the name is
    // unusable (NodeNameProblem) or taken, the scene holds kMaxSceneNodes already, or
    // the node cannot be allocated; `error` then says why.
    Node* AddNode(const std::string& name, host::Object* object, std::string& error);
    // Destroys `node`; false when the node is not in this scene.
    bool DeleteNode(Node* node);
    // False, changing nothing, when `name` is unusable or another node has it.
    bool RenameNode(Node* node, const std::string& name);

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    // The i-th node in the order added; none out of range, or for a node that was
    // destroyed without DeleteNode (its slot stays until the scene goes).
    Node* NodeAt(int i) const;
    // None when no node has this name.
    Node* FindNode(std::string_view name) const;
    // `base` followed by the first two-digit number that makes a free name: "Gravity01".
    std::string UniqueName(std::string_view base) const;

    // The views the scene is looked at through, in the file's order; empty when the
    // scene names none (the host then frames default views on what it shows).
    const std::vector<ViewDefinition>& Views() const { return views_; }
    void SetViews(std::vector<ViewDefinition> views) { views_ = std::move(views); }

    // The wire colour given to the i-th node added, 0x00BBGGRR.
    static uint32_t DefaultWireColor(int i);

    // Hears of every change in the scene: a node added or deleted, and every change a
    // node reports (its transform, its object's parameters, its display state), with
    // the part that changed. One listener; an empty function removes it.
    using ChangeListener = std::function<void(host::PartID part)>;
    void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

    // host::ReferenceMaker: reference i is node i.
    int NumRefs() override { return NodeCount(); }
    host::ReferenceTarget* GetReference(int i) override { return NodeAt(i); }
    void SetReference(int i, host::ReferenceTarget* target) override;
    host::RefResult NotifyRefChanged(const host::Interval& changeInterval, host::ReferenceTarget* target,
                                     host::PartID& part, host::RefMessage message) override;

private:
    FrameRate rate_;
    int startFrame_ = 0;
    int endFrame_ = 100;
    std::vector<Node*> nodes_;
    // The same nodes by name, so that finding a name (and making a free one) does not
    // walk every node.
    std::unordered_map<std::string, Node*> byName_;
    Node* deleting_ = nullptr;  // the node DeleteNode is releasing, already unnamed
    int nodesAdded_ = 0;
    std::vector<ViewDefinition> views_;
    ChangeListener listener_;
};

}  // namespace zg::scene
