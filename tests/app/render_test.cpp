// The renderer's pieces without a scene: display-list JSON, PNG and SVG encoding,
// panel layout, image sizes, grid spacing, number text and the
// sample file formats.
#include <cairo.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "app/render/display_list_json.h"
#include "app/render/image_painter.h"
#include "app/render/png_writer.h"
#include "app/render/scene_render.h"
#include "app/render/svg_writer.h"
#include "app/samples/sample_formats.h"
#include "app/text/float_text.h"
#include "app/viewport/construction_grid.h"
#include "app/viewport/viewport_window.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace zg::viewport;
using zg::Vec3d;
using nlohmann::json;

// A display list with one item of each kind: a host line, a node's segment batch and
// a node's marker.
DisplayList SampleList() {
    DisplayList list(200, 100);
    const Camera camera = Camera::Orthographic({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 20.0, 200, 100);
    ViewportGraphicsWindow gw(camera, &list);
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

TEST(DisplayListJsonTest, ItemsCarryTheirNodeColourAndExactlyOneShape) {
    const json doc = json::parse(zg::render::DisplayListToJson(SampleList(), "Top", 12));
    EXPECT_EQ(doc["width"], 200);
    EXPECT_EQ(doc["height"], 100);
    EXPECT_EQ(doc["view"], "Top");
    EXPECT_EQ(doc["frame"], 12);
    ASSERT_EQ(doc["items"].size(), 3u);
    for (const json& item : doc["items"]) {
        EXPECT_EQ(item.size(), 3u) << item.dump();
        EXPECT_EQ(item.count("polyline") + item.count("segments") + item.count("marker"), 1u) << item.dump();
    }
    EXPECT_TRUE(doc["items"][0]["node"].is_null());
    EXPECT_EQ(doc["items"][0]["color"], json::parse("[0.5, 0.5, 0.5]"));
    EXPECT_EQ(doc["items"][0]["polyline"], json::parse(R"({"closed": false, "points": [[0, 50], [200, 50]]})"));
    EXPECT_EQ(doc["items"][1]["node"], "Helper \"01\"");
    EXPECT_EQ(doc["items"][1]["segments"], json::parse("[[100, 50, 100, 0]]"));
    EXPECT_EQ(doc["items"][2]["marker"], json::parse(R"({"code": 10, "at": [100, 0]})"));

    EXPECT_EQ(json::parse(zg::render::DisplayListToJson(DisplayList(1, 1), "V", 2.5))["frame"], 2.5);
}

TEST(FloatTextTest, TextIsTheShortestThatReadsBackToTheSameFloat) {
    EXPECT_EQ(zg::text::FloatText(0.1f), "0.1");
    EXPECT_EQ(zg::text::FloatText(0.50196081f), "0.5019608");
    EXPECT_EQ(zg::text::FloatText(-0.0f), "-0");
    EXPECT_EQ(zg::text::FloatText(1e30f), "1e+30");
    for (float v : {1.0f / 3.0f, 0.019607844f, 3.4028235e38f, 1.1754944e-38f, -123456.79f}) {
        EXPECT_EQ(std::strtof(zg::text::FloatText(v).c_str(), nullptr), v);
    }
    EXPECT_EQ(zg::text::DumpJson(zg::text::Json::array({zg::text::JsonFloat(0.1f), zg::text::JsonFloat(1e30f),
                                                             zg::text::JsonFloat(NAN)})),
              "[0.1,1e+30,null]");
    EXPECT_EQ(zg::text::FrameText(7.0), "7");
    EXPECT_EQ(zg::text::FrameText(-0.25), "-0.25");
}

// Decodes a PNG through Cairo; the caller destroys the surface.
cairo_surface_t* DecodePng(const std::string& bytes) {
    testsupport::TempFolder folder;
    const auto file = folder.Write("image.png", bytes);
    return cairo_image_surface_create_from_png(file.c_str());
}

uint32_t PixelAt(cairo_surface_t* image, int x, int y) {
    cairo_surface_flush(image);
    const unsigned char* row = cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

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

TEST(ImagePainterTest, SvgIsAnSvgDocumentOfTheImageSize) {
    const DisplayList list = SampleList();
    zg::files::StringSink svg;
    std::string error;
    ASSERT_TRUE(zg::render::WriteSvgImage(200, 100, {{"Top", "top", &list, 0, 0, {}}}, {}, svg, error));
    const std::string& bytes = svg.Text();
    EXPECT_EQ(bytes.rfind("<?xml", 0), 0u);
    EXPECT_NE(bytes.find("<svg"), std::string::npos);
    EXPECT_NE(bytes.find("viewBox=\"0 0 200 100\""), std::string::npos);
    EXPECT_NE(bytes.find("</svg>"), std::string::npos);
}

TEST(ImagePainterTest, SvgLayersAndDrawingShareOneDocumentWhoseReferencesAllResolve) {
    const DisplayList list = SampleList();
    zg::files::StringSink svg;
    std::string error;
    const zg::render::ImageCaption caption{"title", {{"Wind01", {0, 1, 0}}}, true};
    ASSERT_TRUE(zg::render::WriteSvgImage(400, 100, {{"Top", "top", &list, 0, 0, {}}, {"Front", "front", &list, 200, 0, {}}},
                                          caption, svg, error));
    const std::string& text = svg.Text();
    std::set<std::string> ids;
    const std::regex id(R"re(id="([^"]+)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), id); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << "twice: " << (*it)[1];
    const std::regex reference(R"re((?:url\(#|href="#)([^)"]+))re");
    int references = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), reference); it != std::sregex_iterator(); ++it, ++references)
        EXPECT_TRUE(ids.contains((*it)[1])) << "unresolved: " << (*it)[1];
    EXPECT_GT(references, 4);  // the views' clips, the skies, the glyphs of the labels
    // In each view: the host's line, the red segment fading to its tip, the ring.
    const auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("<linearGradient id=\"z-fade"), 2u);
    EXPECT_EQ(count("stop-color=\"#ff0000\" stop-opacity=\"0.28\""), 2u);
    EXPECT_EQ(count("stroke=\"#808080\""), 2u);
    EXPECT_EQ(count("<circle"), 2u);
}

// Discards what it is given, noting the most memory the process held meanwhile.
class ResidentSink final : public zg::files::ByteSink {
public:
    void Write(std::string_view bytes) override {
        bytes_ += bytes.size();
        peak_ = std::max(peak_, Resident());
    }
    static std::size_t Resident() {
        std::ifstream statm("/proc/self/statm");
        std::size_t size = 0;
        std::size_t resident = 0;
        statm >> size >> resident;
        return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    }
    std::size_t bytes_ = 0;
    std::size_t peak_ = 0;
};

TEST(ImagePainterTest, SvgOfAHugeDrawingIsStreamedWithoutGrowingTheProcess) {
    constexpr int kSegments = 300000;
    DisplayList list(400, 400);
    list.BeginSegments({0.2f, 0.6f, 1.0f});
    for (int i = 0; i < kSegments; ++i) {
        const PixelPoint base{static_cast<double>(i % 400), static_cast<double>(i / 750)};
        list.Segment(base, {base.x + 3, base.y + 4}, false);
    }
    list.EndSegments();
    ResidentSink sink;
    const std::size_t before = ResidentSink::Resident();
    std::string error;
    ASSERT_TRUE(zg::render::WriteSvgImage(400, 400, {{"Top", "top", &list, 0, 0, {}}}, {}, sink, error)) << error;
    EXPECT_GT(sink.bytes_, std::size_t{kSegments} * 100);  // every segment is in it
    EXPECT_LT(sink.peak_ - std::min(sink.peak_, before), std::size_t{64} << 20);
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

TEST(LayoutTest, PanelsTileTheImageWithoutOverlapping) {
    using zg::render::LayoutPanels;
    EXPECT_EQ(LayoutPanels(1, 1280, 720), (std::vector<std::array<int, 4>>{{0, 0, 1280, 720}}));
    const auto sideBySide = LayoutPanels(2, 1280, 720);
    ASSERT_EQ(sideBySide.size(), 2u);
    EXPECT_EQ(sideBySide[0][1], sideBySide[1][1]);
    EXPECT_LT(sideBySide[0][0] + sideBySide[0][2], sideBySide[1][0]);
    EXPECT_EQ(sideBySide[1][0] + sideBySide[1][2], 1280);
    const auto stacked = LayoutPanels(2, 600, 1000);
    EXPECT_EQ(stacked[0][0], stacked[1][0]);
    for (int n : {3, 4}) {
        const auto panels = LayoutPanels(n, 1000, 800);
        ASSERT_EQ(panels.size(), static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < panels.size(); ++i) {
            const auto& a = panels[i];
            EXPECT_GE(a[0], 0);
            EXPECT_LE(a[0] + a[2], 1000);
            EXPECT_LE(a[1] + a[3], 800);
            for (std::size_t j = i + 1; j < panels.size(); ++j) {
                const auto& b = panels[j];
                const bool apart =
                    a[0] + a[2] <= b[0] || b[0] + b[2] <= a[0] || a[1] + a[3] <= b[1] || b[1] + b[3] <= a[1];
                EXPECT_TRUE(apart) << n << ": " << i << " and " << j;
            }
        }
    }
}

TEST(ImageSizeTest, WidthByHeightWithinLimits) {
    std::string error;
    EXPECT_EQ(zg::render::ParseImageSize("1280x720", error), (std::pair{1280, 720}));
    EXPECT_EQ(zg::render::ParseImageSize("1X1", error), (std::pair{1, 1}));
    for (const char* bad : {"", "1280", "x720", "1280x", "0x10", "-5x10", "12.5x10", "1280x720x3", "8193x10"}) {
        EXPECT_FALSE(zg::render::ParseImageSize(bad, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
}

TEST(GridTest, SpacingIsRoundAndTheOrthographicGridCoversTheView) {
    EXPECT_DOUBLE_EQ(RoundGridSpacing(0.3), 0.5);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(1.0), 1.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(1.2), 2.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(60.0), 100.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(-1.0), 1.0);
    EXPECT_DOUBLE_EQ(RoundGridSpacing(std::nan("")), 1.0);

    const Camera top = Camera::Orthographic({1, 0, 0}, {0, 1, 0}, {3, 0, 0}, 20.0, 400, 200);
    DisplayList list(400, 200);
    ViewportGraphicsWindow gw(top, &list);
    DrawConstructionGrid(gw, top, host::Box3());
    // 20 pixels per unit asks for lines 2.4 units apart: every 5 units, 4 across, 2 up.
    std::size_t vertical = 0;
    for (const DisplayItem& item : list.Items()) {
        ASSERT_EQ(item.points.size(), 2u);
        if (item.points[0].x == item.points[1].x) ++vertical;
        // Every line spans the whole image.
        const bool spansX = item.points[0].x == 0 && item.points[1].x == 400;
        const bool spansY = item.points[0].y == 200 && item.points[1].y == 0;
        EXPECT_TRUE(spansX || spansY);
    }
    EXPECT_EQ(vertical, 4u);   // x = -5, 0, 5, 10
    EXPECT_EQ(list.Items().size(), 4u + 3u);  // y = -5, 0, 5
    // The world X axis is drawn last-but-one, in its colour.
    EXPECT_EQ(list.Items()[list.Items().size() - 2].color, kAxisXColor);
}

zg::samples::SampleSet TwoSamples() {
    zg::samples::SampleSet set;
    set.object = "Viewer";
    set.frame = 3;
    set.size = {2, 1, 0};
    set.resolution[0] = 2;
    set.resolution[1] = 1;
    set.resolution[2] = 1;
    set.vectorScale = 10;
    set.localBox = {{-1, -0.5f, 0}, {1.1f, 0.5f, 0}};
    set.worldBox = {{9, -0.5f, 0}, {11.1f, 0.5f, 0}};
    set.objectTM = host::Matrix3::Translation({10, 0, 0});
    set.positions = {{-1, 0, 0}, {1, 0, 0}};
    set.vectors = {{0, 0.1f, 0}, {0.1f, 0, 0}};
    return set;
}

TEST(SampleFormatsTest, JsonAndCsvAreInObjectSpace) {
    const auto set = TwoSamples();
    const json doc = json::parse(zg::samples::SamplesToJson(set));
    EXPECT_EQ(doc["object"], "Viewer");
    EXPECT_EQ(doc["frame"], 3);
    EXPECT_EQ(doc["resolution"], json::parse("[2, 1, 1]"));
    EXPECT_EQ(doc["vectorScale"], 10);
    EXPECT_EQ(doc["worldBox"]["max"], json::parse("[11.1, 0.5, 0]"));
    EXPECT_EQ(doc["positions"], json::parse("[[-1, 0, 0], [1, 0, 0]]"));
    EXPECT_EQ(doc["vectors"][1], json::parse("[0.1, 0, 0]"));

    EXPECT_EQ(zg::samples::SamplesToCsv(set),
              "index,ix,iy,iz,px,py,pz,vx,vy,vz\n"
              "0,0,0,0,-1,0,0,0,0.1,0\n"
              "1,1,0,0,1,0,0,0.1,0,0\n");
}

TEST(SampleFormatsTest, VtkIsLegacyPolydataInWorldSpace) {
    const std::string vtk = zg::samples::SamplesToVtk(TwoSamples());
    std::istringstream in(vtk);
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    ASSERT_GE(lines.size(), 17u);
    EXPECT_EQ(lines[0], "# vtk DataFile Version 3.0");
    EXPECT_EQ(lines[2], "ASCII");
    EXPECT_EQ(lines[3], "DATASET POLYDATA");
    EXPECT_EQ(lines[4], "POINTS 2 float");
    EXPECT_EQ(lines[5], "9 0 0");  // translated into the world
    EXPECT_EQ(lines[7], "VERTICES 2 4");
    EXPECT_EQ(lines[10], "POINT_DATA 2");
    EXPECT_EQ(lines[11], "VECTORS force float");
    EXPECT_EQ(lines[12], "0 0.1 0");
    EXPECT_EQ(lines[14], "SCALARS magnitude float 1");
    EXPECT_EQ(lines[15], "LOOKUP_TABLE default");
    EXPECT_EQ(lines[16], "0.1");
    EXPECT_FALSE(zg::samples::ParseSampleFormat("xml"));
}

}  // namespace
