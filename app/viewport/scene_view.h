// Drawing and picking a whole scene as one viewport sees it: the construction grid,
// then every node's object through its own Display, each node's items tagged with
// its name; and picking through every object's HitTest.
#pragma once

#include <string>
#include <vector>

#include "app/scene/scene.h"
#include "app/viewport/display_list.h"
#include "app/viewport/view_camera.h"
#include "host/geometry.h"
#include "host/time.h"

namespace zg::viewport {

// The snap preview mark, drawn over the scene in create mode where a click would place
// the object: a plus sign in the interface's cursor colour.
inline constexpr Rgb kSnapPreviewColor{1.0f, 0.85f, 0.2f};

// The render limits objects draw with in `view`: the viewport defaults, and the
// box-only state when the view asks for it.
uint32_t ViewLimits(const scene::ViewDefinition& view);

// The object a node shows at t: its evaluated state, or the object itself; none for a
// node without an object.
host::Object* ShownObject(host::SceneNode& node, host::TimeValue t);

// The union of every node's world box at t (of the selected nodes alone with
// `selectedOnly`); empty for a scene without nodes.
host::Box3 SceneBounds(scene::Scene& scene, host::TimeValue t, bool selectedOnly = false);

// The views the scene file names, or, when it names none, the default views framed
// on `bounds` for an image `aspect` times as wide as high.
std::vector<scene::ViewDefinition> SceneViews(const scene::Scene& scene, const host::Box3& bounds, double aspect);

// The colour a node is drawn in: the selection colour when selected, else the frozen
// colour when frozen, else its wire colour.
Rgb NodeColor(host::SceneNode& node);

// Everything `view` shows of the scene at t on a width x height image. Before each
// object draws, the window is given the node's colour, the view's render limits and
// the identity transform, so an object that sets none of them still draws sensibly.
// `bounds` places the perspective grid. A node that drew points that are not finite,
// or was refused memory while it drew, is noted in the list's Shortfalls().
DisplayList DrawSceneView(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t, int width,
                          int height, const host::Box3& bounds);

// The names of the nodes whose object answers a hit to HitTest with a point region at
// `at` (each object chooses its own pixel radius; this host's classes and the field
// viewer use 4), in scene order.
std::vector<std::string> PickNodes(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t, int width,
                                   int height, const host::IPoint2& at);

// The nodes PickNodes finds, the one a click means first: ordered by the pixel distance
// from `at` to the nearest line, segment or marker each drew (in whole pixels), and
// among nodes as near, the one whose drawing covers the smaller area first, so that an
// object inside another's drawing can be reached.
std::vector<std::string> PickNodesNearestFirst(scene::Scene& scene, const scene::ViewDefinition& view,
                                               host::TimeValue t, int width, int height, const host::IPoint2& at);

// The names of the nodes whose object answers a hit to HitTest with the rectangle
// between the corners `a` and `b` (in any order): in window mode only objects wholly
// inside it, in crossing mode any that touch it. In scene order.
std::vector<std::string> PickNodesInRect(scene::Scene& scene, const scene::ViewDefinition& view, host::TimeValue t,
                                         int width, int height, const host::IPoint2& a, const host::IPoint2& b,
                                         int crossing);

}  // namespace zg::viewport
