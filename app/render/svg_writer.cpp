#include "app/render/svg_writer.h"

#include <cairo-svg.h>
#include <fmt/format.h>

#include "app/render/cairo_handles.h"

namespace zg::render {

namespace {

cairo_status_t ToSink(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<files::ByteSink*>(closure)->Write({reinterpret_cast<const char*>(data), length});
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool WriteSvgImage(int width, int height, const std::vector<ViewPanel>& panels, const ImageCaption& caption,
                   files::ByteSink& out, std::string& error) {
    CairoSurface surface(cairo_svg_surface_create_for_stream(ToSink, &out, width, height));
    cairo_status_t status = cairo_surface_status(surface.get());
    // The image's size in pixels, as its viewBox: points would show it a third larger.
    if (status == CAIRO_STATUS_SUCCESS) cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
    if (status == CAIRO_STATUS_SUCCESS) {
        CairoContext cr(cairo_create(surface.get()));
        PaintImage(cr.get(), width, height, panels, caption);
        status = cairo_status(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    if (status != CAIRO_STATUS_SUCCESS) {
        error = fmt::format("cannot draw the {}x{} image: {}", width, height, cairo_status_to_string(status));
        return false;
    }
    return true;
}

}  // namespace zg::render
