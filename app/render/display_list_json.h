// The display list as JSON: what one view drew, for tests, scripts and the browser.
//
//   {"width", "height", "view", "frame", "items": [...]}
// Each item is {"node": name or null, "color": [r, g, b], ...} with exactly one of
//   "polyline": {"closed": bool, "points": [[x, y], ...]}
//   "segments": [[x0, y0, x1, y1], ...]        one item per segment batch
//   "marker": {"code": n, "at": [x, y]}
// in drawing order, in pixels (x right, y down, origin top-left). Numbers are the
// shortest text of their single-precision value.
#pragma once

#include <string>

#include "app/render/float_text.h"
#include "app/viewport/display_list.h"

namespace zg::render {

Json DisplayListJson(const viewport::DisplayList& list, const std::string& viewName, double frame);
// The document above as text.
std::string DisplayListToJson(const viewport::DisplayList& list, const std::string& viewName, double frame);

}  // namespace zg::render
