// SceneListing: what `zentrograph scene` shows of a scene at one time: every node's
// name, class, world position and, for objects that answer it, world bounding box.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "app/scene/class_resolver.h"
#include "app/scene/scene.h"
#include "app/text/json.h"
#include "host/geometry.h"
#include "host/time.h"

namespace zg::scene {

struct NodeListing {
    std::string name;
    std::string className;  // as the scene file names it
    host::Point3 position;  // the node's origin in world space
    // None when the object gives an empty box (or one that is not finite).
    std::optional<host::Box3> worldBox;
};

// Every node in scene order, at time t. Bounding boxes are asked without a viewport.
std::vector<NodeListing> ListNodes(Scene& scene, host::TimeValue t, const ClassResolver& classes);

// One line per node under a header line, columns aligned.
std::string ListingText(const std::vector<NodeListing>& nodes);
// {"nodes": [{"name", "class", "position": [x, y, z],
//             "worldBox": {"min": [x, y, z], "max": [x, y, z]} or null}]}
text::Json ListingJson(const std::vector<NodeListing>& nodes);

}  // namespace zg::scene
