// The state messages the interactive host sends its pages, written from the edit
// session: the whole state, or the views alone when only cameras moved since the
// last state a page got. Their wire format:
//   {"type": "state", "revision", "file", "unsaved", "status", "frame", "start", "end",
//    "fps", "create": class name or null, "drag": null, "create", "move" or "rectangle",
//    "gridSnap", "views": [{"name", "projection", "axes": world X, Y, Z as image
//    directions [x, y], "camera": {"eye", "target", "up", "fov"} or {"center",
//    "width"}}], "zoomRange": [least, most] distance to the target or view width for this scene,
//    "selectionColor": [r, g, b] from 0 to 1,
//    "nodes": [{"name", "class", "selected", "color"}],
//    "classes": [{"category", "classes": [{"name", "id"}]}] (in the first state only),
//    "markerShapes": [{"code", "form", "radius"}] (in the first state only: the marker
//    table of app/viewport/marker_shape.h, the first entry also for codes it lacks),
//    "panel": {"edited": node name or null, "picking": list name or null,
//              "rollouts": [...] (when they changed: app/panel/rollout.h as JSON)}}
//   Rollout controls bound to a limited parameter add "range": [lo, hi] and, for whole
//   numbers, "whole": true.
//   {"type": "views", "revision", "views": [...], "hover", "drag"}: instead of the state,
//   when only what the pages show moved since the last one (cameras, the hover, the kind
//   of drag: these as in the state)
//
// Runs on the UI thread only, like the session it reads.
#pragma once

#include <string>
#include <vector>

#include "app/session/edit_session.h"

namespace zg::web {

// The whole state as one JSON text. `warnings` are the drawing's (app/web/page_drawing.h);
// the class list comes with `withClasses` (a page's first state), the rollouts with
// `withRollouts` (when they changed).
std::string StateMessage(session::EditSession& session, const std::vector<std::string>& warnings, bool withClasses,
                         bool withRollouts);

// The views alone, with what the pointer rests on.
std::string ViewsMessage(const session::EditSession& session);

}  // namespace zg::web
