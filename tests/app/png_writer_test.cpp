// The PNG encoder: what it writes decodes to what Cairo's own writer gives, at any
// height.
#include <cairo.h>
#include <gtest/gtest.h>

#include <string>

#include "app/render/png_writer.h"
#include "tests/app/render_pictures.h"

namespace rendertest {
namespace {

// A 7 x 3 image: a wash of (r, g, b) at `alpha`, with an opaque red dot in its middle.
cairo_surface_t* Wash(double r, double g, double b, double alpha) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 7, 3);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_rgba(cr, r, g, b, alpha);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 3, 1, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    return image;
}

cairo_status_t AppendTo(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

TEST(PngWriterTest, DecodesToWhatCairosOwnWriterGives) {
    const struct {
        const char* what;
        double r, g, b, alpha;
    } cases[] = {{"opaque", 0.2, 0.5, 0.9, 1.0}, {"translucent", 0.2, 0.5, 0.9, 0.37}, {"clear", 0.0, 0.0, 0.0, 0.0}};
    for (const auto& c : cases) {
        std::string theirs;
        cairo_surface_t* image = Wash(c.r, c.g, c.b, c.alpha);
        ASSERT_EQ(cairo_surface_write_to_png_stream(image, AppendTo, &theirs), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(image);
        zg::files::StringSink ours;
        std::string error;
        image = Wash(c.r, c.g, c.b, c.alpha);
        ASSERT_TRUE(zg::render::WritePng(image, ours, error)) << error;
        cairo_surface_destroy(image);

        cairo_surface_t* expected = DecodePng(theirs);
        cairo_surface_t* actual = DecodePng(ours.Text());
        ASSERT_EQ(cairo_surface_status(actual), CAIRO_STATUS_SUCCESS) << c.what;
        // The decoder's format tells RGB (opaque) from RGBA.
        EXPECT_EQ(cairo_image_surface_get_format(actual), cairo_image_surface_get_format(expected)) << c.what;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelAt(actual, x, y), PixelAt(expected, x, y)) << c.what;
        cairo_surface_destroy(expected);
        cairo_surface_destroy(actual);
    }
}

TEST(PngWriterTest, ImagesOfOneOrTwoRowsDecode) {
    for (const int height : {1, 2}) {
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 5, height);
        zg::files::StringSink png;
        std::string error;
        ASSERT_TRUE(zg::render::WritePng(image, png, error)) << error;
        cairo_surface_destroy(image);
        cairo_surface_t* decoded = DecodePng(png.Text());
        EXPECT_EQ(cairo_surface_status(decoded), CAIRO_STATUS_SUCCESS) << height;
        EXPECT_EQ(cairo_image_surface_get_height(decoded), height);
        cairo_surface_destroy(decoded);
    }
}

}  // namespace
}  // namespace rendertest
