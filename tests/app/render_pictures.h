// What the renderer's tests draw and read back: a display list with one item of each
// kind, and PNG bytes decoded through Cairo.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "app/viewport/display_list.h"
#include "app/viewport/viewport_window.h"
#include "tests/support/temp_folder.h"

namespace rendertest {

// A display list with one item of each kind: a host line, a node's segment batch and
// a node's marker.
inline zg::viewport::DisplayList SampleList() {
    zg::viewport::DisplayList list(200, 100);
    const zg::viewport::Camera camera =
        zg::viewport::Camera::Orthographic({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 20.0, 200, 100);
    zg::viewport::ViewportGraphicsWindow gw(camera, &list);
    const host::Point3 line[2] = {{-10, 0, 0}, {10, 0, 0}};
    gw.setColor(host::LINE_COLOR, 0.5f, 0.5f, 0.5f);
    gw.polyline(2, line, 0);
    list.BeginNode("Helper \"01\"");
    gw.setColor(host::LINE_COLOR, 1.0f, 0.0f, 0.0f);
    gw.startSegments();
    const host::Point3 seg[2] = {{0, 0, 0}, {0, 5, 0}};
    gw.segment(seg, 1);
    gw.endSegments();
    gw.marker(&seg[1], host::kMarkerRing);
    list.EndNode();
    return list;
}

// Decodes a PNG through Cairo; the caller destroys the surface.
inline cairo_surface_t* DecodePng(const std::string& bytes) {
    testsupport::TempFolder folder;
    const auto file = folder.Write("image.png", bytes);
    return cairo_image_surface_create_from_png(file.c_str());
}

inline uint32_t PixelAt(cairo_surface_t* image, int x, int y) {
    cairo_surface_flush(image);
    const unsigned char* row = cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

}  // namespace rendertest
