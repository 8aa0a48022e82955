#include "app/web/picture_png.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/files/byte_sink.h"
#include "app/render/cairo_handles.h"
#include "app/render/png_writer.h"

namespace zg::web {

std::string PicturePng(const panel::Picture& picture) {
    if (picture.Empty() || picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) return {};
    const render::CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height));
    cairo_surface_t* surface = image.get();
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return {};
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride,
                    picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                    static_cast<std::size_t>(picture.width) * sizeof(uint32_t));
    cairo_surface_mark_dirty(surface);
    files::StringSink png;
    std::string error;
    return render::WritePng(surface, png, error) ? png.Text() : std::string();
}

}  // namespace zg::web
