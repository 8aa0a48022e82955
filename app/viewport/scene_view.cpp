#include "app/viewport/scene_view.h"

#include "app/viewport/construction_grid.h"
#include "app/viewport/viewport.h"
#include "host/graphics.h"
#include "host/heap.h"
#include "host/node.h"

namespace zg::viewport {

uint32_t ViewLimits(const scene::ViewDefinition& view) {
    return kDefaultRndLimits | (view.boxOnly ? host::kRndBoxOnly : 0u);
}

host::Object* ShownObject(host::SceneNode& node, host::TimeValue t) {
    host::Object* object = node.GetObjectRef();
    if (object == nullptr) return nullptr;
    host::Object* state = object->Eval(t).obj;
    return state != nullptr ? state : object;
}

host::Box3 SceneBounds(scene::Scene& scene, host::TimeValue t, bool selectedOnly) {
    const Camera camera;
    Viewport measuring("bounds", camera);
    host::Box3 bounds;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        scene::Node* node = scene.NodeAt(i);
        if (node == nullptr || (selectedOnly && node->IsSelected() == 0)) continue;
        host::Object* object = ShownObject(*node, t);
        if (object == nullptr) continue;
        host::Box3 box;
        object->GetWorldBoundBox(t, node, &measuring, box);
        if (!box.IsEmpty() && host::IsFinite(box.pmin) && host::IsFinite(box.pmax)) bounds += box;
    }
    return bounds;
}

std::vector<scene::ViewDefinition> SceneViews(const scene::Scene& scene, const host::Box3& bounds, double aspect) {
    if (scene.Views().empty()) return DefaultViews(bounds, aspect);
    return scene.Views();
}

Rgb NodeColor(host::SceneNode& node) {
    if (node.IsSelected() != 0 || node.IsFrozen() != 0) {
        const host::Point3 c = host::GetUIColor(node.IsSelected() != 0 ? host::COLOR_SELECTION : host::COLOR_FREEZE);
        return {c.x, c.y, c.z};
    }
    const uint32_t w = node.GetWireColor();
    return {static_cast<float>((w & 0xFF) / 255.0), static_cast<float>(((w >> 8) & 0xFF) / 255.0),
            static_cast<float>(((w >> 16) & 0xFF) / 255.0)};
}

DisplayList DrawSceneView(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t, int width,
                          int height, const host::Box3& bounds) {
    DisplayList list(width, height);
    Viewport viewport(view.name, MakeCamera(view, width, height), &list, ViewLimits(view));
    ViewportGraphicsWindow& gw = viewport.Window();
    DrawConstructionGrid(gw, viewport.GetCamera(), bounds);
    for (int i = 0; i < scene.NodeCount(); ++i) {
        scene::Node* node = scene.NodeAt(i);
        if (node == nullptr) continue;
        host::Object* object = ShownObject(*node, t);
        if (object == nullptr) continue;
        const Rgb color = NodeColor(*node);
        gw.setRndLimits(ViewLimits(view));
        gw.setTransform(host::Matrix3());
        gw.setColor(host::LINE_COLOR, color.r, color.g, color.b);
        list.BeginNode(node->Name());
        const std::size_t nonFinite = gw.NonFinitePoints();
        const std::size_t refused = host::GetHeapStats().refusedReservations;
        object->Display(t, node, &viewport, 0);
        gw.endSegments();
        list.NoteShortfall(node->Name(), gw.NonFinitePoints() - nonFinite,
                           host::GetHeapStats().refusedReservations != refused);
        list.EndNode();
    }
    return list;
}

namespace {

// The nodes whose object answers a hit to HitTest with `type` around the points `p`.
std::vector<std::string> HitNodes(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t,
                                  int width, int height, int type, int crossing, const host::IPoint2* p) {
    Viewport viewport(view.name, MakeCamera(view, width, height), nullptr, ViewLimits(view));
    std::vector<std::string> names;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        scene::Node* node = scene.NodeAt(i);
        if (node == nullptr) continue;
        host::Object* object = ShownObject(*node, t);
        if (object == nullptr) continue;
        viewport.Window().setRndLimits(ViewLimits(view));
        // Objects may write to the points they are given: each gets its own copy.
        host::IPoint2 points[2] = {p[0], type == host::RECT_RGN ? p[1] : p[0]};
        if (object->HitTest(t, node, type, crossing, 0, points, &viewport) != 0) names.push_back(node->Name());
    }
    return names;
}

}  // namespace

std::vector<std::string> PickNodes(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t, int width,
                                   int height, const host::IPoint2& at) {
    return HitNodes(scene, view, t, width, height, host::POINT_RGN, host::kHitCrossing, &at);
}

std::vector<std::string> PickNodesInRect(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t,
                                         int width, int height, const host::IPoint2& a, const host::IPoint2& b,
                                         int crossing) {
    const host::IPoint2 corners[2] = {a, b};
    return HitNodes(scene, view, t, width, height, host::RECT_RGN, crossing, corners);
}

}  // namespace zg::viewport
