// A scene for the benchmarks: the plug-in module loaded from the build's plug-in
// folder, one field viewer on a turned and scaled node, and the force nodes it lists.
#pragma once

#include <memory>
#include <string>

#include "app/plugins/plugin_module.h"
#include "app/scene/scene.h"
#include "host/object.h"
#include "host/paramblock.h"

namespace zbench {

// The viewer's node turn and scale: the transforms do real work.
inline constexpr host::Point3 kViewerRotation{10.0f, 20.0f, 30.0f};
inline constexpr host::Point3 kViewerScale{2.0f, 2.0f, 2.0f};

class ViewerScene {
public:
    // Aborts with the loader's message when the module cannot be loaded.
    ViewerScene(int resolutionX, int resolutionY, int resolutionZ);
    ~ViewerScene();

    // Adds a node showing `object` (the scene takes it) and lists it in the viewer's
    // force nodes; placed off the viewer's origin, turned, so that its formula works.
    host::SceneNode* AddForceNode(host::Object* object);

    host::Object* Viewer() { return viewer_; }
    zg::scene::Node* ViewerNode() { return viewerNode_; }
    host::ParamBlock* Block() { return viewer_->GetParamBlock(0); }
    // The id of the viewer's parameter with this internal name, as a scene file names
    // it ("resolutionX", "forceNodes"); aborts for a name the block does not have.
    host::ParamID Param(const char* name);
    zg::scene::Scene& Scene() { return *scene_; }
    double Samples() const { return samples_; }

    // A full resample: the cache is cleared, then the host asks for the local box.
    void Resample(host::TimeValue t);
    host::Box3 LocalBox(host::TimeValue t);

private:
    std::unique_ptr<zg::plugins::PluginModule> module_;
    std::unique_ptr<zg::scene::Scene> scene_ = std::make_unique<zg::scene::Scene>();
    host::Object* viewer_ = nullptr;
    zg::scene::Node* viewerNode_ = nullptr;
    double samples_ = 0.0;
};

// The built-in force classes, by name: Gravity, Wind, Vortex, Drag, UniformForce.
host::Object* MakeBuiltin(const std::string& className);

}  // namespace zbench
