// Colours as the image writers set them on a Cairo context: red, green, blue and
// opacity from 0 to 1.
#pragma once

#include <cairo.h>

#include "app/viewport/primitive_sink.h"

namespace zg::render {

struct Colour {
    double r, g, b, a = 1.0;
};

inline void SetColour(cairo_t* cr, const Colour& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }
inline void SetColour(cairo_t* cr, const viewport::Rgb& c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

}  // namespace zg::render
