// SVG images: one document of the image's size whose references all resolve, written
// as a stream however large the drawing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "app/render/svg_writer.h"
#include "tests/app/render_pictures.h"

namespace rendertest {
namespace {

using namespace zg::viewport;

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

TEST(SvgWriterTest, SvgIsAnSvgDocumentOfTheImageSize) {
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

TEST(SvgWriterTest, SvgLayersAndDrawingShareOneDocumentWhoseReferencesAllResolve) {
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

TEST(SvgWriterTest, SvgOfAHugeDrawingIsStreamedWithoutGrowingTheProcess) {
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

}  // namespace
}  // namespace rendertest
