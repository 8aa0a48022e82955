#include "bench/support/bench_scene.h"

#include <cstdio>
#include <cstdlib>

#include "app/warps/builtin_classes.h"

namespace zbench {

ViewerScene::ViewerScene(int resolutionX, int resolutionY, int resolutionZ) {
    std::string error;
    module_ = zg::plugins::PluginModule::Load(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo", error);
    if (!module_) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    viewer_ = static_cast<host::Object*>(module_->ClassAt(0)->Create(0));
    viewerNode_ = scene_->AddNode("Viewer", viewer_, error);
    viewerNode_->SetRotation(zg::scene::AnimatedPoint(kViewerRotation));
    viewerNode_->SetScale(zg::scene::AnimatedPoint(kViewerScale));
    Block()->SetInt(Param("resolutionX"), 0, resolutionX);
    Block()->SetInt(Param("resolutionY"), 0, resolutionY);
    Block()->SetInt(Param("resolutionZ"), 0, resolutionZ);
    samples_ = static_cast<double>(resolutionX) * resolutionY * resolutionZ;
}

ViewerScene::~ViewerScene() {
    scene_.reset();  // objects of the module go before the module
}

host::SceneNode* ViewerScene::AddForceNode(host::Object* object) {
    std::string error;
    zg::scene::Node* node = scene_->AddNode(scene_->UniqueName("Force"), object, error);
    if (node == nullptr) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    node->SetPosition(zg::scene::AnimatedPoint(host::Point3(3.0f, -2.0f, 1.0f)));
    node->SetRotation(zg::scene::AnimatedPoint(host::Point3(15.0f, -25.0f, 40.0f)));
    Block()->Append(Param("forceNodes"), node);
    return node;
}

host::ParamID ViewerScene::Param(const char* name) {
    const host::ParamDef* def = Block()->FindParamByName(name);
    if (def == nullptr) {
        std::fprintf(stderr, "the viewer has no parameter %s\n", name);
        std::abort();
    }
    return def->id;
}

void ViewerScene::Resample(host::TimeValue t) {
    viewer_->WSStateInvalidate();
    LocalBox(t);
}

host::Box3 ViewerScene::LocalBox(host::TimeValue t) {
    host::Box3 box;
    viewer_->GetLocalBoundBox(t, viewerNode_, nullptr, box);
    return box;
}

host::Object* MakeBuiltin(const std::string& className) {
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses())
        if (className == desc->ClassName()) return static_cast<host::Object*>(desc->Create(0));
    std::fprintf(stderr, "no built-in class %s\n", className.c_str());
    std::abort();
}

}  // namespace zbench
