// The shapes of the host's marker codes (host/graphics.h), in one table: the renderer
// and the SVG writer draw each code by its shape, the hit tester picks it within its
// radius, and the page gets the table from the host (app/web/page_state.h) to draw the
// same shapes itself.
#pragma once

#include <string_view>

#include "host/graphics.h"

namespace zg::viewport {

// What a marker looks like around its point. Every stroked shape is stroked one pixel
// wide; `radius` is half the shape's width, stroke included.
enum class MarkerForm {
    kDot,    // a filled square, 2 × radius across
    kBox,    // a square outline whose stroke runs half a pixel inside the radius
    kPlus,   // a horizontal and a vertical stroke, each radius long either side
    kCross,  // the two diagonal strokes, each reaching radius along both axes
    kRing,   // a circle outline whose stroke runs half a pixel inside the radius
    kDisc,   // a filled circle of the radius
};

struct MarkerShape {
    int code;
    MarkerForm form;
    double radius;  // pixels
};

// Every code the host defines; the first entry is also the shape of any other code.
inline constexpr MarkerShape kMarkerShapes[] = {
    {host::kMarkerPoint, MarkerForm::kDot, 0.5},     {host::kMarkerHollowBox, MarkerForm::kBox, 3.5},
    {host::kMarkerPlus, MarkerForm::kPlus, 3.5},     {host::kMarkerCross, MarkerForm::kCross, 3.5},
    {host::kMarkerRing, MarkerForm::kRing, 2.5},     {host::kMarkerFilledDot, MarkerForm::kDisc, 2.5},
};

// The shape drawn for `code`: codes the host does not define are drawn, and picked, as
// its single pixel.
constexpr MarkerShape MarkerShapeOf(int code) {
    for (const MarkerShape& shape : kMarkerShapes)
        if (shape.code == code) return shape;
    return {code, kMarkerShapes[0].form, kMarkerShapes[0].radius};
}

// Half the width of the marker drawn for `code`, in pixels.
constexpr double MarkerRadius(int code) { return MarkerShapeOf(code).radius; }

// The form's name in the page's copy of the table: "dot", "box", "plus", "cross",
// "ring", "disc".
constexpr std::string_view MarkerFormName(MarkerForm form) {
    switch (form) {
        case MarkerForm::kDot: return "dot";
        case MarkerForm::kBox: return "box";
        case MarkerForm::kPlus: return "plus";
        case MarkerForm::kCross: return "cross";
        case MarkerForm::kRing: return "ring";
        case MarkerForm::kDisc: return "disc";
    }
    return "dot";
}

}  // namespace zg::viewport
