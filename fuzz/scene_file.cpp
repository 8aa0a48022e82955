// Fuzz target: the scene-file loading path. Each input is read as a scene file through
// the host's class directory (the built-in classes and the Zentrograph module). A
// refused file must give one line; a scene that loads is listed, measured and drawn
// into a small view, then saved and read again, and the second reading must save to
// the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/cli/scene_loading.h"
#include "app/plugins/class_directory.h"
#include "app/scene/scene_file.h"
#include "app/scene/scene_listing.h"
#include "app/viewport/scene_view.h"
#include "fuzz/fuzz_support.h"
#include "host/heap.h"

using fuzzsupport::Classes;
using fuzzsupport::Require;

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzzsupport::Initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zg::scene::ClassResolver classes = zg::cli::ResolverFor(Classes());
    std::string error;
    std::unique_ptr<zg::scene::Scene> scene = zg::scene::ReadScene(text, "fuzz.json", classes, error);
    if (!scene) {
        Require(error.starts_with("fuzz.json") && error.find('\n') == std::string::npos);
        return 0;
    }
    const host::TimeValue t = *scene->Rate().FrameToTicks(scene->StartFrame());
    zg::scene::ListNodes(*scene, t, classes);
    const host::Box3 bounds = zg::viewport::SceneBounds(*scene, t);
    const auto views = zg::viewport::SceneViews(*scene, bounds, 4.0 / 3.0);
    zg::viewport::DrawSceneView(*scene, views.front(), t, 64, 48, bounds);

    const std::optional<std::string> saved = zg::scene::WriteScene(*scene, classes, error);
    // What was read must save, but for a node whose class the writer cannot name.
    if (!saved) {
        Require(error.find("class") != std::string::npos);
        return 0;
    }
    std::unique_ptr<zg::scene::Scene> again = zg::scene::ReadScene(*saved, "saved.json", classes, error);
    Require(again != nullptr);
    Require(zg::scene::WriteScene(*again, classes, error) == saved);
    return 0;
}
