#include "app/render/svg_writer.h"

#include <cairo-svg.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>

#include "app/render/cairo_handles.h"
#include "app/viewport/marker_shape.h"
#include "app/viewport/pixel_clip.h"
#include "host/graphics.h"
#include "host/heap.h"

namespace zg::render {

namespace {

using viewport::DisplayItem;
using viewport::DisplayItemKind;
using viewport::PixelPoint;

// Bytes of SVG gathered before they go to the output.
constexpr std::size_t kSvgBlockBytes = 64 * 1024;

cairo_status_t AppendSvgText(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// One layer of the image as Cairo writes it in SVG: small, since it holds no display
// list. False, with a one-line error, when Cairo fails.
bool PaintSvgLayer(int width, int height, const std::vector<ViewPanel>& panels, const ImageCaption& caption,
                   ImageLayer layer, std::string& svg, std::string& error) {
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    {
        CairoSurface surface(cairo_svg_surface_create_for_stream(AppendSvgText, &svg, width, height));
        status = cairo_surface_status(surface.get());
        if (status == CAIRO_STATUS_SUCCESS) {
            cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
            CairoContext cr(cairo_create(surface.get()));
            PaintImage(cr.get(), width, height, panels, caption, layer);
            status = cairo_status(cr.get());
        }
        cairo_surface_finish(surface.get());
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        error = fmt::format("cannot draw the {}x{} image: {}", width, height, cairo_status_to_string(status));
        return false;
    }
    return true;
}

// What lies inside the <svg> element of a document Cairo wrote, its ids and the
// references to them given `prefix`, so that two such documents share one.
std::string SvgBody(const std::string& svg, std::string_view prefix) {
    const std::size_t open = svg.find("<svg");
    const std::size_t start = open == std::string::npos ? std::string::npos : svg.find('>', open);
    const std::size_t end = svg.rfind("</svg>");
    if (start == std::string::npos || end == std::string::npos || end < start) return {};
    std::string body = svg.substr(start + 1, end - start - 1);
    for (const std::string_view mark : {std::string_view("id=\""), std::string_view("url(#"), std::string_view("href=\"#")}) {
        const std::string renamed = std::string(mark) + std::string(prefix);
        for (std::size_t at = body.find(mark); at != std::string::npos; at = body.find(mark, at + renamed.size()))
            body.replace(at, mark.size(), renamed);
    }
    return body;
}

// Writes one view's display list as SVG elements, item by item, as the image painter
// strokes it: the same widths, cuts, fades and marker shapes.
class SvgListWriter {
public:
    SvgListWriter(files::ByteSink& out, const viewport::DisplayList& list) : out_(out), list_(list) {
        reach_ = {-kReachMargin, -kReachMargin, list.Width() + kReachMargin, list.Height() + kReachMargin};
    }

    void Write(int index, int x, int y) {
        view_ = index;
        fmt::format_to(std::back_inserter(text_),
                       "<clipPath id=\"z-view{0}\"><rect x=\"0\" y=\"0\" width=\"{1}\" height=\"{2}\"/></clipPath>\n"
                       "<g transform=\"translate({3},{4})\" clip-path=\"url(#z-view{0})\" fill=\"none\" "
                       "stroke-linecap=\"round\" stroke-linejoin=\"round\">\n",
                       index, list_.Width(), list_.Height(), x, y);
        for (const DisplayItem& item : list_.Items()) {
            switch (item.kind) {
                case DisplayItemKind::kPolyline: Polyline(item); break;
                case DisplayItemKind::kSegments: Segments(item); break;
                case DisplayItemKind::kMarker: Marker(item); break;
            }
            if (text_.size() >= kSvgBlockBytes) Flush();
        }
        text_ += "</g>\n";
        Flush();
    }

private:
    void Flush() {
        out_.Write(text_);
        text_.clear();
    }
    // Hundredths of a pixel and finer within the image; far points keep their place.
    void Number(double v) {
        if (std::fabs(v) < 1e5)
            fmt::format_to(std::back_inserter(text_), "{:.6g}", v);
        else
            fmt::format_to(std::back_inserter(text_), "{:.9g}", v);
    }
    void Point(char command, const PixelPoint& p) {
        text_ += command;
        Number(p.x);
        text_ += ' ';
        Number(p.y);
    }
    static std::string Colour(const viewport::Rgb& c) {
        const auto byte = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
        return fmt::format("#{:02x}{:02x}{:02x}", byte(c.r), byte(c.g), byte(c.b));
    }
    // Whether every point lies above the view and its margin, or every one below it.
    bool Beside(std::span<const PixelPoint> points) const {
        const auto above = [this](const PixelPoint& p) { return p.y < reach_.top; };
        const auto below = [this](const PixelPoint& p) { return p.y > reach_.bottom; };
        return std::all_of(points.begin(), points.end(), above) || std::all_of(points.begin(), points.end(), below);
    }
    void Stroke(const std::string& colour, double width) {
        fmt::format_to(std::back_inserter(text_), "\" stroke=\"{}\" stroke-width=\"{}\"/>\n", colour, width);
    }

    void Polyline(const DisplayItem& item) {
        if (item.points.size() < 2 || Beside(item.points)) return;
        const std::size_t n = item.points.size();
        const std::size_t edges = item.closed ? n : n - 1;
        const auto edge = [&](std::size_t i, PixelPoint& a, PixelPoint& b) {
            a = item.points[i];
            b = item.points[(i + 1) % n];
            return viewport::ClipSegment(a, b, reach_);
        };
        const bool safe = std::all_of(item.points.begin(), item.points.end(), SafePixel);
        PixelPoint a;
        PixelPoint b;
        std::size_t first = 0;
        while (!safe && first < edges && !edge(first, a, b)) ++first;
        if (first == edges) return;  // nothing of it shows
        text_ += "<path d=\"";
        if (safe) {
            Point('M', item.points[0]);
            for (std::size_t i = 1; i < n; ++i) {
                Point('L', item.points[i]);
                if (text_.size() >= kSvgBlockBytes) Flush();
            }
            if (item.closed) text_ += 'Z';
        } else {
            for (std::size_t i = first; i < edges; ++i) {
                if (i != first && !edge(i, a, b)) continue;
                Point('M', a);
                Point('L', b);
                if (text_.size() >= kSvgBlockBytes) Flush();
            }
        }
        Stroke(Colour(item.color), item.node < 0 ? kHostLineWidth : kObjectLineWidth);
    }

    void Segments(const DisplayItem& item) {
        const std::string colour = Colour(item.color);
        const double width = item.node < 0 ? kHostLineWidth : kSegmentLineWidth;
        for (std::size_t i = 0; i + 1 < item.points.size(); i += 2) {
            if (Beside(std::span(item.points).subspan(i, 2))) continue;
            const PixelPoint base = item.points[i];
            const PixelPoint tip = item.points[i + 1];
            const std::optional<SegmentStroke> stroke = StrokeOfSegment(base, tip, reach_);
            if (!stroke) continue;
            const auto [a, b, fades] = *stroke;
            if (!fades) {
                text_ += "<path d=\"";
                Point('M', a);
                Point('L', b);
                Stroke(colour, width);
                if (text_.size() >= kSvgBlockBytes) Flush();
                continue;
            }
            const uint64_t id = gradients_++;
            fmt::format_to(std::back_inserter(text_), "<linearGradient id=\"z-fade{}-{}\" gradientUnits=\"userSpaceOnUse\" x1=\"", view_, id);
            Number(base.x);
            text_ += "\" y1=\"";
            Number(base.y);
            text_ += "\" x2=\"";
            Number(tip.x);
            text_ += "\" y2=\"";
            Number(tip.y);
            fmt::format_to(std::back_inserter(text_),
                           "\"><stop offset=\"0\" stop-color=\"{0}\" stop-opacity=\"{1}\"/><stop offset=\"1\" "
                           "stop-color=\"{0}\"/></linearGradient><path d=\"",
                           colour, kSegmentBaseAlpha);
            Point('M', a);
            Point('L', b);
            Stroke(fmt::format("url(#z-fade{}-{})", view_, id), width);
            // A batch may hold millions of segments: what they make goes out as it comes.
            if (text_.size() >= kSvgBlockBytes) Flush();
        }
    }

    void Marker(const DisplayItem& item) {
        if (item.points.empty()) return;
        const PixelPoint at = item.points.front();
        if (at.x < reach_.left || at.x > reach_.right || at.y < reach_.top || at.y > reach_.bottom) return;
        const viewport::MarkerShape shape = viewport::MarkerShapeOf(item.markerCode);
        const double r = shape.radius;
        const std::string colour = Colour(item.color);
        const auto line = [&](double x0, double y0, double x1, double y1) {
            Point('M', {x0, y0});
            Point('L', {x1, y1});
        };
        switch (shape.form) {
            case viewport::MarkerForm::kDisc:
                fmt::format_to(std::back_inserter(text_), "<circle cx=\"{:.6g}\" cy=\"{:.6g}\" r=\"{}\" fill=\"{}\"/>\n", at.x,
                               at.y, r, colour);
                break;
            case viewport::MarkerForm::kRing:
                fmt::format_to(std::back_inserter(text_), "<circle cx=\"{:.6g}\" cy=\"{:.6g}\" r=\"{}", at.x, at.y, r - 0.5);
                Stroke(colour, 1.0);
                break;
            case viewport::MarkerForm::kBox:
                fmt::format_to(std::back_inserter(text_), "<rect x=\"{:.6g}\" y=\"{:.6g}\" width=\"{}\" height=\"{}",
                               at.x - r + 0.5, at.y - r + 0.5, 2.0 * r - 1.0, 2.0 * r - 1.0);
                Stroke(colour, 1.0);
                break;
            case viewport::MarkerForm::kPlus:
                text_ += "<path d=\"";
                line(at.x - r, at.y, at.x + r, at.y);
                line(at.x, at.y - r, at.x, at.y + r);
                Stroke(colour, 1.0);
                break;
            case viewport::MarkerForm::kCross:
                text_ += "<path d=\"";
                line(at.x - r, at.y - r, at.x + r, at.y + r);
                line(at.x - r, at.y + r, at.x + r, at.y - r);
                Stroke(colour, 1.0);
                break;
            case viewport::MarkerForm::kDot:
                fmt::format_to(std::back_inserter(text_), "<rect x=\"{:.6g}\" y=\"{:.6g}\" width=\"{}\" height=\"{}\" fill=\"{}\"/>\n",
                               at.x - r, at.y - r, 2.0 * r, 2.0 * r, colour);
                break;
        }
    }

    files::ByteSink& out_;
    const viewport::DisplayList& list_;
    viewport::PixelRect reach_;
    std::string text_;
    int view_ = 0;
    uint64_t gradients_ = 0;
};

}  // namespace

bool WriteSvgImage(int width, int height, const std::vector<ViewPanel>& panels, const ImageCaption& caption,
                   files::ByteSink& out, std::string& error) {
    // Cairo's SVG surface keeps everything drawn until the document ends, and more than
    // once; so it paints only what lies under and over the views' drawing, which is
    // written here item by item.
    std::string under;
    std::string over;
    if (!PaintSvgLayer(width, height, panels, caption, ImageLayer::kUnder, under, error) ||
        !PaintSvgLayer(width, height, panels, caption, ImageLayer::kOver, over, error))
        return false;
    host::BudgetShare share;
    if (!share.Take(under.size() + over.size() + kSvgBlockBytes)) {
        error = fmt::format("the memory budget of {} MiB has no room for the {}x{} image's labels", host::MemoryBudget() >> 20,
                            width, height);
        return false;
    }
    out.Write(fmt::format("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                          "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"{0}px\" height=\"{1}px\" "
                          "viewBox=\"0 0 {0} {1}\" version=\"1.1\">\n<g>",
                          width, height));
    out.Write(SvgBody(under, "z-under-"));
    out.Write("</g>\n");
    for (std::size_t i = 0; i < panels.size(); ++i) {
        if (panels[i].list != nullptr) SvgListWriter(out, *panels[i].list).Write(static_cast<int>(i), panels[i].x, panels[i].y);
    }
    out.Write("<g>");
    out.Write(SvgBody(over, "z-over-"));
    out.Write("</g>\n</svg>\n");
    return true;
}

}  // namespace zg::render
