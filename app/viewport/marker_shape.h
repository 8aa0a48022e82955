// The pixel extent of the host's marker codes (host/graphics.h): the renderer draws
// them at these sizes and the hit tester picks them within the same radius.
#pragma once

#include "host/graphics.h"

namespace zg::viewport {

// Half the width of the marker drawn for `code`, in pixels. Codes the host does not
// define are drawn, and picked, as a single pixel.
constexpr double MarkerRadius(int code) {
    switch (code) {
        case host::kMarkerHollowBox:
        case host::kMarkerPlus:
        case host::kMarkerCross:
            return 3.5;
        case host::kMarkerRing:
        case host::kMarkerFilledDot:
            return 2.5;
        default:
            return 0.5;
    }
}

}  // namespace zg::viewport
