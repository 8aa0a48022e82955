// ProbeWorld: where the validator puts an object under test. The module is loaded
// beside the host's built-in classes and the validation field, as a scene file sees
// classes; the object lives in a node of the host's own scene, so it hears what a
// host object hears; and its drawing, picking and bounds are checked against the
// host's contracts.
#pragma once

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/plugins/class_directory.h"
#include "app/scene/scene.h"
#include "app/validate/probe_field.h"
#include "app/validate/probe_window.h"

namespace zg::validate {

// The render limits a view of the validator draws with.
inline constexpr uint32_t kProbeLimits = host::kRndWireframe | host::kRndZBuffer;

class ProbeWorld {
public:
    // Loads `module`; throws CheckFailure with the loader's one-line reason when it
    // cannot be loaded.
    ProbeWorld(const std::filesystem::path& module, std::mt19937_64& rng);
    // Deletes every node, then unloads the module.
    ~ProbeWorld();
    ProbeWorld(const ProbeWorld&) = delete;
    ProbeWorld& operator=(const ProbeWorld&) = delete;

    plugins::ClassDirectory& Classes() { return classes_; }
    const plugins::PluginModule& Module() const { return *classes_.Modules().front(); }
    // The module's classes whose Create answers an object a node can show (a helper or
    // a space warp), in the module's order.
    const std::vector<const plugins::ClassEntry*>& ObjectClasses() const { return objectClasses_; }
    scene::Scene& Scene() { return *scene_; }
    ProbeViewport& Viewport() { return viewport_; }

    // A new object of `entry`'s class; throws when the class answers none.
    host::Object* Create(const plugins::ClassEntry& entry);
    // Shows `object` in a new node at the world's standard placement (moved a little
    // per node), which owns it; throws when the scene refuses it.
    scene::Node* Place(host::Object* object);
    scene::Node* AddField(FieldKind kind = FieldKind::kSmooth);
    static ProbeField& FieldOf(scene::Node* node);
    // A node showing a new object of a built-in class ("Point", "Barrier").
    scene::Node* AddBuiltin(std::string_view className);
    // A node that shows nothing.
    scene::Node* AddEmpty();
    void Delete(scene::Node* node) { scene_->DeleteNode(node); }

    // The node's object drawn at t into the checking window; fails the check, naming
    // `what`, when it draws a point that is not finite, leaves other render limits than
    // it found or leaves a segment batch open.
    Drawing Display(scene::Node* node, host::TimeValue t, const std::string& what);
    // Display in a normal and a box-only view, HitTest with points and rectangles in
    // both modes (the window answering hits at random), and both bounding boxes, which
    // must be finite.
    void Exercise(scene::Node* node, host::TimeValue t, const std::string& what);

private:
    void Draw(scene::Node* node, host::TimeValue t, const std::string& what, uint32_t limits, bool record);
    void AfterDrawing(uint32_t limits, const std::string& what, const char* call);

    std::mt19937_64& rng_;
    plugins::ClassDirectory classes_;
    std::vector<const plugins::ClassEntry*> objectClasses_;
    std::unique_ptr<scene::Scene> scene_;
    ProbeViewport viewport_;
    int placed_ = 0;
};

}  // namespace zg::validate
