// Painting images: a PNG of the views with their drawing on it, an impossible size
// refused, and coordinates far out of the image drawn without harm.
#include <cairo.h>
#include <gtest/gtest.h>

#include "app/render/image_painter.h"
#include "tests/app/render_pictures.h"

namespace rendertest {
namespace {

using namespace zg::viewport;

TEST(ImagePainterTest, PngDecodesAtItsSizeWithTheDrawingOnIt) {
    const DisplayList list = SampleList();
    zg::render::ImageCaption caption;
    caption.title = "Title";
    caption.legend = {{"Helper", {1, 0, 0}}};
    caption.markerKey = true;
    zg::files::StringSink png;
    std::string error;
    ASSERT_TRUE(zg::render::WritePngImage(200, 100, {{"Top", "top", &list, 0, 0, {}}},
                                        caption, png, error))
        << error;
    cairo_surface_t* image = DecodePng(png.Text());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 200);
    EXPECT_EQ(cairo_image_surface_get_height(image), 100);
    // The red segment runs up from the centre: well inside it the pixel is mostly red.
    const uint32_t onSegment = PixelAt(image, 100, 12);
    const int red = (onSegment >> 16) & 0xFF;
    const int green = (onSegment >> 8) & 0xFF;
    EXPECT_GT(red, 150);
    EXPECT_LT(green, 100);
    // Not a single flat colour.
    bool varied = false;
    for (int y = 0; y < 100 && !varied; y += 3) {
        for (int x = 0; x < 200 && !varied; x += 3) varied = PixelAt(image, x, y) != PixelAt(image, 0, 0);
    }
    EXPECT_TRUE(varied);
    cairo_surface_destroy(image);
}

TEST(ImagePainterTest, AnImpossibleImageIsAnErrorNotACrash) {
    zg::files::StringSink png;
    std::string error;
    EXPECT_FALSE(zg::render::WritePngImage(100000, 100000, {}, {}, png, error));
    EXPECT_EQ(png.Text(), "");
    EXPECT_NE(error.find("100000x100000"), std::string::npos) << error;
}

TEST(ImagePainterTest, HugeAndDegenerateCoordinatesAreDrawnWithoutHarm) {
    DisplayList list(64, 64);
    const PixelPoint far[3] = {{-1e12, 5}, {1e12, 40}, {32, 1e15}};
    list.Polyline({1, 1, 1}, far, true, true);
    list.BeginSegments({1, 1, 1});
    list.Segment({10, 10}, {10, 10}, false);
    list.Segment({-1e300, 0}, {1e300, 64}, false);
    list.EndSegments();
    list.Marker({1, 1, 1}, {1e200, 1e200}, host::kMarkerPlus);
    zg::files::StringSink png;
    std::string error;
    ASSERT_TRUE(zg::render::WritePngImage(64, 64, {{"V", "top", &list, 0, 0, {}}}, {},
                                        png, error))
        << error;
    cairo_surface_t* image = DecodePng(png.Text());
    EXPECT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(image);
}

}  // namespace
}  // namespace rendertest
