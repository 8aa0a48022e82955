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

#include "app/files/byte_sink.h"
#include "app/text/float_text.h"
#include "app/viewport/display_list.h"

namespace zg::render {

// The document above as text, with a final newline.
std::string DisplayListToJson(const viewport::DisplayList& list, const std::string& viewName, double frame);
// The same text written to `out` item by item, and a segment batch segment by
// segment, so that a huge list is never held twice.
void WriteDisplayListJson(const viewport::DisplayList& list, const std::string& viewName, double frame,
                          files::ByteSink& out);

}  // namespace zg::render
