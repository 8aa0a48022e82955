// A test fixture holding the classes the application offers (the build's Zentrograph
// module and the built-in classes) and scenes read from scene-file text through them.
// Each test loads the module afresh and unloads it after its scenes are gone.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/cli/scene_loading.h"
#include "app/plugins/class_directory.h"
#include "app/scene/scene.h"
#include "app/scene/scene_file.h"
#include "app/warps/builtin_classes.h"

namespace rendertest {

class RenderSceneFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(directory.LoadModule(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo"))
            << (directory.Problems().empty() ? "" : directory.Problems().back());
        zg::warps::ListBuiltinClasses(directory);
    }
    void TearDown() override { scene.reset(); }

    // Reads `text` as a scene file; the test fails when it cannot be read.
    zg::scene::Scene& Load(const std::string& text) {
        std::string error;
        scene = zg::scene::ReadScene(text, "test scene", zg::cli::ResolverFor(directory), error);
        EXPECT_NE(scene, nullptr) << error;
        if (!scene) scene = std::make_unique<zg::scene::Scene>();
        return *scene;
    }

    // Destroyed after the scene: the directory owns the module its objects come from.
    zg::plugins::ClassDirectory directory;
    std::unique_ptr<zg::scene::Scene> scene;
};

// A scene with one field viewer "Helper01" at the origin, its parameters set by
// `params` (JSON members, may be empty), extra nodes after it, and one top view
// 4 units wide.
inline std::string HelperScene(const std::string& params, const std::string& extraNodes = "",
                               const std::string& helperExtras = "") {
    std::string nodes =
        R"({"name": "Helper01", "class": "Zentrograph", "params": {)" + params + "}" + helperExtras + "}";
    if (!extraNodes.empty()) nodes += ", " + extraNodes;
    return R"({"zentrographScene": 1, "nodes": [)" + nodes +
           R"(], "viewports": [{"name": "Top", "projection": "top", "center": [0, 0, 0], "width": 4}]})";
}

}  // namespace rendertest
