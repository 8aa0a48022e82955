// Laying out rollouts in pixels: dialog templates, whose positions are in dialog units
// of the template's font, and the host's own layout for blocks that come without one.
#pragma once

#include <string>

#include "app/panel/rollout.h"
#include "host/paramblock.h"
#include "host/platform.h"

namespace zg::panel {

// Dialog units to pixels, one way for every template: a horizontal unit is a quarter
// of the panel font's average character width, a vertical one an eighth of its
// height. The panel font stands in for every template font at this size.
struct DialogMetrics {
    static constexpr double kCharWidth = 9.0;    // pixels
    static constexpr double kCharHeight = 19.5;  // pixels
    static int X(int units) { return static_cast<int>(units * kCharWidth / 4.0 + 0.5); }
    static int Y(int units) { return static_cast<int>(units * kCharHeight / 8.0 + 0.5); }
};

// A parameter's display name from `instance`'s string table, or its internal name
// spaced and capitalised ("sizeX": "Size X") when it has none.
std::string DisplayName(const host::ParamDef& def, host::HINSTANCE instance);

// The kind of control a template entry makes, from its window class and style.
ControlKind KindOf(const host::DialogControl& control);

// The controls of `dialog` in template order, in pixels, each with its id, text and
// look; handles and bindings are the panel's to give. Pictures carry their bitmap of
// `instance`, its palette looked up.
Rollout LayOutTemplate(const host::DialogTemplate& dialog, host::HINSTANCE instance);

// A rollout for a block whose description names no dialog template: one row per
// parameter, its display name (or internal name) on the left and its control on the
// right, bound like a template's controls.
Rollout LayOutBlock(const host::ParamBlockDesc2& desc, host::HINSTANCE instance);

}  // namespace zg::panel
