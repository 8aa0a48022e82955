#include "app/render/image_painter.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <span>
#include <system_error>
#include <thread>

#include "app/render/cairo_colour.h"
#include "app/render/cairo_handles.h"
#include "app/render/pixel_memory.h"
#include "app/render/image_text.h"
#include "app/render/png_writer.h"
#include "app/viewport/marker_shape.h"
#include "app/viewport/pixel_clip.h"
#include "host/graphics.h"

namespace zg::render {

namespace {

using viewport::DisplayItem;
using viewport::DisplayItemKind;
using viewport::PixelPoint;
using viewport::Rgb;

constexpr Colour kImageBackground{0.055, 0.063, 0.078};
constexpr Colour kViewTop{0.155, 0.172, 0.200};
constexpr Colour kViewBottom{0.085, 0.095, 0.112};
constexpr Colour kViewBorder{0.22, 0.245, 0.28};

// The largest image side Cairo accepts.
constexpr int kMaxSide = 32767;

// The rows of the image being painted, from `top` to below `bottom`: the whole image,
// or one band of it when bands are painted side by side.
struct Rows {
    double top;
    double bottom;
};

class ListPainter {
public:
    // `rows` in the list's own pixels.
    ListPainter(cairo_t* cr, const viewport::DisplayList& list, Rows rows) : cr_(cr), list_(list) {
        const double margin = kReachMargin;
        reach_ = {-margin, -margin, list.Width() + margin, list.Height() + margin};
        rows_ = {rows.top - margin, rows.bottom + margin};
    }

    void Paint() {
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
        for (const DisplayItem& item : list_.Items()) {
            switch (item.kind) {
                case DisplayItemKind::kPolyline: Polyline(item); break;
                case DisplayItemKind::kSegments: Segments(item); break;
                case DisplayItemKind::kMarker: Marker(item); break;
            }
        }
    }

private:
    // Whether every point lies above the rows being painted, or every point below them:
    // then nothing drawn between them reaches a painted pixel.
    bool Beside(std::span<const PixelPoint> points) const {
        const auto above = [this](const PixelPoint& p) { return p.y < rows_.top; };
        const auto below = [this](const PixelPoint& p) { return p.y > rows_.bottom; };
        return std::all_of(points.begin(), points.end(), above) || std::all_of(points.begin(), points.end(), below);
    }

    void Polyline(const DisplayItem& item) {
        if (item.points.size() < 2 || Beside(item.points)) return;
        cairo_set_line_width(cr_, item.node < 0 ? kHostLineWidth : kObjectLineWidth);
        SetColour(cr_, item.color);
        if (std::all_of(item.points.begin(), item.points.end(), SafePixel)) {
            cairo_move_to(cr_, item.points[0].x, item.points[0].y);
            for (std::size_t i = 1; i < item.points.size(); ++i) cairo_line_to(cr_, item.points[i].x, item.points[i].y);
            if (item.closed) cairo_close_path(cr_);
            cairo_stroke(cr_);
            return;
        }
        const std::size_t n = item.points.size();
        const std::size_t edges = item.closed ? n : n - 1;
        for (std::size_t i = 0; i < edges; ++i) Line(item.points[i], item.points[(i + 1) % n]);
        cairo_stroke(cr_);
    }

    void Line(PixelPoint a, PixelPoint b) {
        if (!viewport::ClipSegment(a, b, reach_)) return;
        cairo_move_to(cr_, a.x, a.y);
        cairo_line_to(cr_, b.x, b.y);
    }

    void Segments(const DisplayItem& item) {
        cairo_set_line_width(cr_, item.node < 0 ? kHostLineWidth : kSegmentLineWidth);
        for (std::size_t i = 0; i + 1 < item.points.size(); i += 2) {
            if (Beside(std::span(item.points).subspan(i, 2))) continue;
            const PixelPoint base = item.points[i];
            const PixelPoint tip = item.points[i + 1];
            const std::optional<SegmentStroke> stroke = StrokeOfSegment(base, tip, reach_);
            if (!stroke) continue;
            const auto [a, b, fades] = *stroke;
            if (!fades) {
                SetColour(cr_, item.color);
            } else {
                const CairoPattern fade(cairo_pattern_create_linear(base.x, base.y, tip.x, tip.y));
                cairo_pattern_add_color_stop_rgba(fade.get(), 0.0, item.color.r, item.color.g, item.color.b,
                                                  kSegmentBaseAlpha);
                cairo_pattern_add_color_stop_rgba(fade.get(), 1.0, item.color.r, item.color.g, item.color.b, 1.0);
                cairo_set_source(cr_, fade.get());
            }
            cairo_move_to(cr_, a.x, a.y);
            cairo_line_to(cr_, b.x, b.y);
            cairo_stroke(cr_);
        }
    }

    void Marker(const DisplayItem& item) {
        if (item.points.empty()) return;
        const PixelPoint at = item.points.front();
        if (at.x < reach_.left || at.x > reach_.right || at.y < reach_.top || at.y > reach_.bottom ||
            Beside(std::span(item.points).first(1)))
            return;
        const viewport::MarkerShape shape = viewport::MarkerShapeOf(item.markerCode);
        const double r = shape.radius;
        SetColour(cr_, item.color);
        cairo_set_line_width(cr_, 1.0);
        switch (shape.form) {
            case viewport::MarkerForm::kDisc:
                cairo_arc(cr_, at.x, at.y, r, 0.0, 2.0 * std::numbers::pi);
                cairo_fill(cr_);
                break;
            case viewport::MarkerForm::kRing:
                cairo_new_sub_path(cr_);
                cairo_arc(cr_, at.x, at.y, r - 0.5, 0.0, 2.0 * std::numbers::pi);
                cairo_stroke(cr_);
                break;
            case viewport::MarkerForm::kBox:
                cairo_rectangle(cr_, at.x - r + 0.5, at.y - r + 0.5, 2.0 * r - 1.0, 2.0 * r - 1.0);
                cairo_stroke(cr_);
                break;
            case viewport::MarkerForm::kPlus:
                cairo_move_to(cr_, at.x - r, at.y);
                cairo_line_to(cr_, at.x + r, at.y);
                cairo_move_to(cr_, at.x, at.y - r);
                cairo_line_to(cr_, at.x, at.y + r);
                cairo_stroke(cr_);
                break;
            case viewport::MarkerForm::kCross:
                cairo_move_to(cr_, at.x - r, at.y - r);
                cairo_line_to(cr_, at.x + r, at.y + r);
                cairo_move_to(cr_, at.x - r, at.y + r);
                cairo_line_to(cr_, at.x + r, at.y - r);
                cairo_stroke(cr_);
                break;
            case viewport::MarkerForm::kDot:
                cairo_rectangle(cr_, at.x - r, at.y - r, 2.0 * r, 2.0 * r);
                cairo_fill(cr_);
                break;
        }
    }

    cairo_t* cr_;
    const viewport::DisplayList& list_;
    // What is drawn is first cut to the image and a margin around it.
    viewport::PixelRect reach_;
    // The rows being painted and the margin around them.
    Rows rows_{};
};

void PaintPanel(cairo_t* cr, const ViewPanel& panel, double scale, FontLoader& fonts, Rows rows, ImageLayer layer) {
    const viewport::DisplayList& list = *panel.list;
    const double w = list.Width();
    const double h = list.Height();
    cairo_save(cr);
    cairo_translate(cr, panel.x, panel.y);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_clip(cr);

    if (layer != ImageLayer::kOver) {
        const CairoPattern sky(cairo_pattern_create_linear(0, 0, 0, h));
        cairo_pattern_add_color_stop_rgb(sky.get(), 0.0, kViewTop.r, kViewTop.g, kViewTop.b);
        cairo_pattern_add_color_stop_rgb(sky.get(), 1.0, kViewBottom.r, kViewBottom.g, kViewBottom.b);
        cairo_set_source(cr, sky.get());
        cairo_paint(cr);
    }
    if (layer == ImageLayer::kAll) ListPainter(cr, list, {rows.top - panel.y, rows.bottom - panel.y}).Paint();
    if (layer == ImageLayer::kUnder) {
        cairo_restore(cr);
        return;
    }
    std::unique_lock<std::mutex> text = fonts.Text();
    PaintTripod(cr, panel.axes, w, scale);
    PaintViewLabel(cr, panel.name, panel.projection, scale);
    cairo_restore(cr);
    text.unlock();

    cairo_save(cr);
    cairo_set_line_width(cr, 1.0);
    SetColour(cr, kViewBorder);
    cairo_rectangle(cr, panel.x + 0.5, panel.y + 0.5, w - 1.0, h - 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void PaintRows(cairo_t* cr, int width, int height, const std::vector<ViewPanel>& panels, const ImageCaption& caption,
               FontLoader& fonts, Rows rows, ImageLayer layer = ImageLayer::kAll) {
    const double scale = TextScale(width, height);
    cairo_save(cr);
    if (layer == ImageLayer::kOver) {
        for (const ViewPanel& panel : panels) {
            if (panel.list != nullptr) PaintPanel(cr, panel, scale, fonts, rows, layer);
        }
        const std::unique_lock<std::mutex> text = fonts.Text();
        PaintCaption(cr, width, height, caption, scale);
        cairo_restore(cr);
        return;
    }
    // The background shows only between the panels: each panel paints over all it
    // covers, so the pixels under them are not painted twice.
    cairo_rectangle(cr, 0, 0, width, height);
    for (const ViewPanel& panel : panels) {
        if (panel.list != nullptr) cairo_rectangle(cr, panel.x, panel.y, panel.list->Width(), panel.list->Height());
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    SetColour(cr, kImageBackground);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    for (const ViewPanel& panel : panels) {
        if (panel.list != nullptr) PaintPanel(cr, panel, scale, fonts, rows, layer);
    }
    if (layer == ImageLayer::kAll) {
        const std::unique_lock<std::mutex> text = fonts.Text();
        PaintCaption(cr, width, height, caption, scale);
    }
    cairo_restore(cr);
}

// Paints rows [top, top + count) of the image into its pixel memory.
cairo_status_t PaintBand(unsigned char* pixels, int stride, int width, int height, int top, int count,
                         const std::vector<ViewPanel>& panels, const ImageCaption& caption, FontLoader& fonts) {
    const CairoSurface band(cairo_image_surface_create_for_data(pixels + static_cast<std::ptrdiff_t>(top) * stride,
                                                                CAIRO_FORMAT_ARGB32, width, count, stride));
    const CairoContext cr(cairo_create(band.get()));
    cairo_translate(cr.get(), 0, -top);
    PaintRows(cr.get(), width, height, panels, caption, fonts,
              {static_cast<double>(top), static_cast<double>(top + count)});
    return cairo_status(cr.get());
}

// Paints the image into its pixel memory in two bands, the lower one on a thread of its
// own: the painting is most of a render, and the bands are the same pixels as the
// whole (they differ by whole-pixel translations only). One band when no thread can
// be had.
cairo_status_t PaintInBands(unsigned char* pixels, int stride, int width, int height,
                            const std::vector<ViewPanel>& panels, const ImageCaption& caption) {
    FontLoader& fonts = FontLoader::Instance();
    const int top = height / 2;
    cairo_status_t lower = CAIRO_STATUS_SUCCESS;
    std::thread other;
    try {
        other = std::thread([&] { lower = PaintBand(pixels, stride, width, height, top, height - top, panels, caption, fonts); });
    } catch (const std::system_error&) {
        return PaintBand(pixels, stride, width, height, 0, height, panels, caption, fonts);
    }
    const cairo_status_t upper = PaintBand(pixels, stride, width, height, 0, top, panels, caption, fonts);
    other.join();
    return upper != CAIRO_STATUS_SUCCESS ? upper : lower;
}

}  // namespace

void PaintImage(cairo_t* cr, int width, int height, const std::vector<ViewPanel>& panels,
                const ImageCaption& caption, ImageLayer layer) {
    FontLoader& fonts = FontLoader::Instance();
    PaintRows(cr, width, height, panels, caption, fonts, {0.0, static_cast<double>(height)}, layer);
}

bool PaintImagePixels(unsigned char* pixels, int stride, int width, int height, const std::vector<ViewPanel>& panels,
                      const ImageCaption& caption, std::string& error) {
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    if (height >= 2) {
        status = PaintInBands(pixels, stride, width, height, panels, caption);
    } else {
        const CairoSurface surface(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, stride));
        const CairoContext cr(cairo_create(surface.get()));
        PaintImage(cr.get(), width, height, panels, caption);
        status = cairo_status(cr.get());
    }
    if (status != CAIRO_STATUS_SUCCESS) error = fmt::format("cannot draw the image: {}", cairo_status_to_string(status));
    return status == CAIRO_STATUS_SUCCESS;
}

bool WritePngImage(int width, int height, const std::vector<ViewPanel>& panels, const ImageCaption& caption,
                   files::ByteSink& out, std::string& error) {
    // A picture's pixels live in memory of the renderer's own while it fits Cairo's
    // limits; anything larger goes to Cairo, which gives the error.
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    const bool ownPixels = stride > 0 && height > 0 && height <= kMaxSide;
    const PixelMemory pixels(ownPixels ? static_cast<std::size_t>(stride) * static_cast<std::size_t>(height) : 0);
    const CairoSurface surface(
        pixels.Data() != nullptr
            ? cairo_image_surface_create_for_data(pixels.Data(), CAIRO_FORMAT_ARGB32, width, height, stride)
            : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        error = fmt::format("cannot make a {}x{} image: {}", width, height,
                            cairo_status_to_string(cairo_surface_status(surface.get())));
        return false;
    }
    if (pixels.Data() != nullptr) {
        if (!PaintImagePixels(pixels.Data(), stride, width, height, panels, caption, error)) return false;
        cairo_surface_mark_dirty(surface.get());
    } else {
        const CairoContext cr(cairo_create(surface.get()));
        PaintImage(cr.get(), width, height, panels, caption);
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
            error = fmt::format("cannot draw the image: {}", cairo_status_to_string(cairo_status(cr.get())));
            return false;
        }
    }
    if (!WritePng(surface.get(), out, error)) return false;
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        error = fmt::format("cannot draw the image: {}", cairo_status_to_string(cairo_surface_status(surface.get())));
        return false;
    }
    return true;
}

bool SafePixel(const PixelPoint& p) { return std::fabs(p.x) < kSafeCoordinate && std::fabs(p.y) < kSafeCoordinate; }

std::optional<SegmentStroke> StrokeOfSegment(const PixelPoint& base, const PixelPoint& tip, const viewport::PixelRect& reach) {
    SegmentStroke stroke{base, tip, false};
    if (!viewport::ClipSegment(stroke.a, stroke.b, reach)) return std::nullopt;
    stroke.fades = std::hypot(tip.x - base.x, tip.y - base.y) >= 1.0 && SafePixel(base) && SafePixel(tip);
    return stroke;
}

}  // namespace zg::render
