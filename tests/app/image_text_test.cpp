// The words and marks over an image: text scaled with the image within its bounds, and a
// caption strip painted only when there is something to say.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>

#include "app/render/cairo_handles.h"
#include "app/render/image_text.h"

namespace rendertest {
namespace {

TEST(ImageTextTest, TextScalesWithTheImageWithinItsBounds) {
    const struct {
        int width, height;
        double scale;
    } cases[] = {{1280, 720, 1.0}, {2560, 1440, 2.0}, {2560, 720, 1.0}, {100, 100, 0.7}, {20000, 20000, 3.0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(zg::render::TextScale(c.width, c.height), c.scale) << c.width;
}

TEST(ImageTextTest, AnEmptyCaptionPaintsNothingAndATitledOnePaintsItsStrip) {
    for (const bool titled : {false, true}) {
        const zg::render::CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 100));
        const zg::render::CairoContext cr(cairo_create(image.get()));
        zg::render::ImageCaption caption;
        if (titled) caption.title = "Title";
        const std::unique_lock<std::mutex> text = zg::render::FontLoader::Instance().Text();
        zg::render::PaintCaption(cr.get(), 200, 100, caption, 1.0);
        cairo_surface_flush(image.get());
        // The bottom-left pixel: under the strip, clear when nothing was painted.
        const unsigned char* data = cairo_image_surface_get_data(image.get());
        const uint32_t corner = reinterpret_cast<const uint32_t*>(data + 99 * cairo_image_surface_get_stride(image.get()))[0];
        EXPECT_EQ(corner != 0, titled);
    }
}

}  // namespace
}  // namespace rendertest
