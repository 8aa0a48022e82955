// Drawing a scene for a front end that projects drawings itself: each node's drawing in
// world space, split into what every view shares and what depends on the view it was
// drawn for, and the host's own drawing of a view (its construction grid).
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/scene/node.h"
#include "app/scene/view_definition.h"
#include "app/viewport/world_drawing.h"
#include "host/geometry.h"
#include "host/time.h"

namespace zg::viewport {

struct NodeDrawing {
    WorldDrawing shared;  // what the node drew before it asked about the view
    WorldDrawing view;    // what it drew after
    bool viewDependent = false;
    std::size_t nonFinitePoints = 0;
    bool memoryRefused = false;
};

// What `node` draws at t in `view` on a width x height image, its records carrying
// `nodeId`. The node draws as if it were not selected: the front end shows the
// selection by recolouring the records drawn in the node's colour. Set up as for
// DrawSceneView: the node's colour, the view's render limits, the identity transform.
// With `viewAlone`, what it draws before it looks at the view is not kept: for a view
// whose node chunks are shared with another.
NodeDrawing DrawNodeInWorld(scene::Node& node, const scene::ViewDefinition& view, host::TimeValue t, int width,
                            int height, uint32_t nodeId, bool viewAlone = false);

// The host's own drawing of `view` on a width x height image: the construction grid,
// placed by `bounds` as in DrawSceneView.
WorldDrawing DrawHostInWorld(const scene::ViewDefinition& view, int width, int height, const host::Box3& bounds);

}  // namespace zg::viewport
