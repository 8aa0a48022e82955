// A pointer event in a view, as a front end hands it to the edit session.
#pragma once

#include "host/geometry.h"

namespace zg::session {

enum class PointerPhase { kDown, kMove, kUp };

// One pointer event in a view, in the pixels of that view's image as it is shown.
struct PointerEvent {
    int view = 0;
    PointerPhase phase = PointerPhase::kMove;
    host::IPoint2 at;
    int button = 0;         // 0: the main button, 2: the secondary one
    bool additive = false;  // a modifier key held: add to the selection
    int width = 1;          // the view's image size
    int height = 1;
};

}  // namespace zg::session
