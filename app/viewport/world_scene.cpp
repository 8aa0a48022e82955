#include "app/viewport/world_scene.h"

#include "app/viewport/construction_grid.h"
#include "app/viewport/scene_view.h"
#include "app/viewport/view_camera.h"
#include "app/viewport/world_viewport.h"
#include "host/heap.h"

namespace zg::viewport {

namespace {

// Keeps a node unselected in its own eyes while it draws.
class SelectionHidden {
public:
    explicit SelectionHidden(scene::Node& node) : node_(node) { node_.ShowSelection(false); }
    ~SelectionHidden() { node_.ShowSelection(true); }
    SelectionHidden(const SelectionHidden&) = delete;
    SelectionHidden& operator=(const SelectionHidden&) = delete;

private:
    scene::Node& node_;
};

}  // namespace

NodeDrawing DrawNodeInWorld(scene::Node& node, const scene::ViewDefinition& view, host::TimeValue t, int width,
                            int height, uint32_t nodeId, bool viewAlone) {
    NodeDrawing drawing;
    host::Object* object = ShownObject(node, t);
    if (object == nullptr) return drawing;
    const SelectionHidden hidden(node);
    WorldViewport viewport(view.name, MakeCamera(view, width, height), ViewLimits(view));
    WorldGraphicsWindow& gw = viewport.Window();
    const Rgb color = NodeColor(node);
    gw.Begin(viewAlone ? nullptr : &drawing.shared, &drawing.view, nodeId, color);
    gw.setTransform(host::Matrix3());
    gw.setColor(host::LINE_COLOR, color.r, color.g, color.b);
    const std::size_t refused = host::GetHeapStats().refusedReservations;
    object->Display(t, &node, &viewport, 0);
    drawing.viewDependent = gw.ViewDependent();
    drawing.nonFinitePoints = gw.NonFinitePoints();
    drawing.memoryRefused = drawing.shared.MemoryRefused() || drawing.view.MemoryRefused() ||
                            host::GetHeapStats().refusedReservations != refused;
    return drawing;
}

WorldDrawing DrawHostInWorld(const scene::ViewDefinition& view, int width, int height, const host::Box3& bounds) {
    WorldDrawing drawing;
    const Camera camera = MakeCamera(view, width, height);
    WorldGraphicsWindow gw;
    gw.Begin(&drawing, &drawing, kHostNodeId, Rgb{});
    DrawConstructionGrid(gw, camera, bounds);
    return drawing;
}

}  // namespace zg::viewport
