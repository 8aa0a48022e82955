#include "app/viewport/scene_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/viewport/construction_grid.h"
#include "app/viewport/hit_tester.h"
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

namespace {

// What the view shows of the nodes named in `only`, or of every node over the grid
// when none are named.
DisplayList DrawNodes(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t, int width,
                      int height, const host::Box3& bounds, const std::vector<std::string>* only) {
    DisplayList list(width, height);
    Viewport viewport(view.name, MakeCamera(view, width, height), &list, ViewLimits(view));
    ViewportGraphicsWindow& gw = viewport.Window();
    if (only == nullptr) DrawConstructionGrid(gw, viewport.GetCamera(), bounds);
    for (int i = 0; i < scene.NodeCount(); ++i) {
        scene::Node* node = scene.NodeAt(i);
        if (node == nullptr) continue;
        if (only != nullptr && std::find(only->begin(), only->end(), node->Name()) == only->end()) continue;
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

}  // namespace

DisplayList DrawSceneView(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t, int width,
                          int height, const host::Box3& bounds) {
    return DrawNodes(scene, view, t, width, height, bounds, nullptr);
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

namespace {

// How near a node's drawing passes the pointer, and how much of the view it covers.
struct Nearness {
    double distance = std::numeric_limits<double>::infinity();
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -std::numeric_limits<double>::infinity(), maxY = maxX;
    void Cover(const PixelPoint& q) {
        minX = std::min(minX, q.x), maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y), maxY = std::max(maxY, q.y);
    }
    double Area() const { return maxX >= minX ? (maxX - minX + 1.0) * (maxY - minY + 1.0) : 0.0; }
};

}  // namespace

std::vector<std::string> PickNodesNearestFirst(scene::Scene& scene, const scene::ViewDefinition& view,
                                               host::TimeValue t, int width, int height, const host::IPoint2& at) {
    std::vector<std::string> hits = PickNodes(scene, view, t, width, height, at);
    if (hits.size() < 2) return hits;
    const DisplayList list = DrawNodes(scene, view, t, width, height, {}, &hits);
    std::vector<Nearness> near(list.NodeNames().size());
    const PixelPoint p{static_cast<double>(at.x), static_cast<double>(at.y)};
    for (const DisplayItem& item : list.Items()) {
        if (item.node < 0 || item.points.empty()) continue;
        Nearness& n = near[static_cast<std::size_t>(item.node)];
        for (const PixelPoint& q : item.points) n.Cover(q);
        const std::vector<PixelPoint>& pts = item.points;
        switch (item.kind) {
            case DisplayItemKind::kMarker: n.distance = std::min(n.distance, std::hypot(p.x - pts[0].x, p.y - pts[0].y)); break;
            case DisplayItemKind::kSegments:
                for (std::size_t i = 0; i + 1 < pts.size(); i += 2) n.distance = std::min(n.distance, DistanceToSegment(p, pts[i], pts[i + 1]));
                break;
            case DisplayItemKind::kPolyline:
                for (std::size_t i = 0; i < pts.size(); ++i) {
                    const bool last = i + 1 == pts.size();
                    if (last && !item.closed) {
                        if (pts.size() == 1) n.distance = std::min(n.distance, DistanceToSegment(p, pts[i], pts[i]));
                        break;
                    }
                    n.distance = std::min(n.distance, DistanceToSegment(p, pts[i], pts[last ? 0 : i + 1]));
                }
                break;
        }
    }
    const auto key = [&](const std::string& name) {
        const auto found = std::find(list.NodeNames().begin(), list.NodeNames().end(), name);
        if (found == list.NodeNames().end()) return std::pair{std::numeric_limits<double>::infinity(), 0.0};
        const Nearness& n = near[static_cast<std::size_t>(found - list.NodeNames().begin())];
        return std::pair{std::floor(n.distance), n.Area()};
    };
    std::vector<std::pair<std::pair<double, double>, std::string>> ordered;
    for (std::string& name : hits) ordered.emplace_back(key(name), std::move(name));
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    hits.clear();
    for (auto& [k, name] : ordered) hits.push_back(std::move(name));
    return hits;
}

std::vector<std::string> PickNodesInRect(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t,
                                         int width, int height, const host::IPoint2& a, const host::IPoint2& b,
                                         int crossing) {
    const host::IPoint2 corners[2] = {a, b};
    return HitNodes(scene, view, t, width, height, host::RECT_RGN, crossing, corners);
}

}  // namespace zg::viewport
