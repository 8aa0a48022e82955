#include "app/render/image_text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <system_error>

#include "app/render/cairo_colour.h"

namespace zg::render {

namespace {

constexpr Colour kTagBackground{0.035, 0.04, 0.05, 0.74};
constexpr Colour kTagText{0.93, 0.94, 0.95};
constexpr Colour kTagDim{0.56, 0.60, 0.66};
constexpr Colour kCaptionBackground{0.035, 0.04, 0.05, 0.80};
constexpr Colour kCaptionText{0.80, 0.82, 0.85};
constexpr const char* kFontFamily = "DejaVu Sans";

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -std::numbers::pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, std::numbers::pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, std::numbers::pi / 2, std::numbers::pi);
    cairo_arc(cr, x + r, y + r, r, std::numbers::pi, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
}

// The family's face of `weight` at `size` pixels, for the text that follows.
void SetFont(cairo_t* cr, cairo_font_weight_t weight, double size) {
    cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL, weight);
    cairo_set_font_size(cr, size);
}

double TextWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    return ext.x_advance;
}

// Cairo and fontconfig keep the fonts they found for the life of the process. They are
// handed back when the program ends, after every image is done, so that leak checkers
// see only what the program itself forgot.
void ReleaseFontCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

void ReleaseFontCachesAtExit() {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(ReleaseFontCaches); });
}

}  // namespace

FontLoader& FontLoader::Instance() {
    // Registered first, so that the caches are released after the loader is done.
    ReleaseFontCachesAtExit();
    static FontLoader loader;
    return loader;
}

FontLoader::FontLoader() {
    try {
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
    }
}

FontLoader::~FontLoader() { Text(); }

std::unique_lock<std::mutex> FontLoader::Text() {
    std::unique_lock<std::mutex> lock(text_);
    if (thread_.joinable()) thread_.join();
    return lock;
}

void PreloadFonts() { FontLoader::Instance(); }

// Text sizes follow the image so that labels stay legible from thumbnails to posters.
double TextScale(int width, int height) {
    return std::clamp(std::min(width / 1280.0, height / 720.0), 0.7, 3.0);
}

void PaintTripod(cairo_t* cr, const std::array<std::array<double, 2>, 3>& axes, double viewWidth, double scale) {
    static constexpr Colour kAxisColours[3] = {{0.93, 0.38, 0.38}, {0.45, 0.85, 0.45}, {0.45, 0.62, 1.0}};
    static constexpr const char* kAxisNames[3] = {"X", "Y", "Z"};
    const double length = 24.0 * scale;
    const double cx = viewWidth - 40.0 * scale;
    const double cy = 40.0 * scale;
    cairo_save(cr);
    cairo_arc(cr, cx, cy, length + 10.0 * scale, 0, 2 * std::numbers::pi);
    SetColour(cr, Colour{0.035, 0.04, 0.05, 0.45});
    cairo_fill(cr);
    SetFont(cr, CAIRO_FONT_WEIGHT_BOLD, 10.0 * scale);
    cairo_set_line_width(cr, 1.6 * scale);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 3; ++i) {
        const double dx = axes[i][0];
        const double dy = axes[i][1];
        SetColour(cr, kAxisColours[i]);
        if (std::hypot(dx, dy) < 0.2) {
            // Along the line of sight: a dot at the centre says which axis it is.
            cairo_arc(cr, cx, cy, 2.0 * scale, 0, 2 * std::numbers::pi);
            cairo_fill(cr);
            continue;
        }
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + dx * length, cy + dy * length);
        cairo_stroke(cr);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, kAxisNames[i], &ext);
        const double n = std::hypot(dx, dy);
        const double lx = cx + dx * length + dx / n * 6.0 * scale;
        const double ly = cy + dy * length + dy / n * 6.0 * scale;
        cairo_move_to(cr, lx - ext.width * 0.5 - ext.x_bearing, ly - ext.height * 0.5 - ext.y_bearing);
        cairo_show_text(cr, kAxisNames[i]);
    }
    cairo_restore(cr);
}

void PaintViewLabel(cairo_t* cr, const std::string& name, const std::string& projection, double scale) {
    const double size = 14.0 * scale;
    SetFont(cr, CAIRO_FONT_WEIGHT_BOLD, size);
    const double pad = 8.0 * scale;
    const double nameWidth = TextWidth(cr, name);
    SetFont(cr, CAIRO_FONT_WEIGHT_NORMAL, size * 0.85);
    // The projection in dim text, unless the name already says it.
    std::string lowerName = name;
    std::transform(lowerName.begin(), lowerName.end(), lowerName.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string kind;
    if (lowerName != projection) kind = projection;
    if (projection != "perspective") kind += kind.empty() ? "orthographic" : " \u00b7 orthographic";
    const double kindWidth = TextWidth(cr, kind);
    const double tagW = pad * (kind.empty() ? 2.0 : 3.2) + nameWidth + kindWidth;
    const double tagH = size + pad * 1.4;
    RoundedRect(cr, pad, pad, tagW, tagH, 5.0 * scale);
    SetColour(cr, kTagBackground);
    cairo_fill(cr);
    const double baseline = pad + tagH * 0.5 + size * 0.36;
    SetFont(cr, CAIRO_FONT_WEIGHT_BOLD, size);
    SetColour(cr, kTagText);
    cairo_move_to(cr, pad * 2.0, baseline);
    cairo_show_text(cr, name.c_str());
    SetFont(cr, CAIRO_FONT_WEIGHT_NORMAL, size * 0.85);
    SetColour(cr, kTagDim);
    cairo_move_to(cr, pad * 2.0 + nameWidth + pad * 1.2, baseline);
    cairo_show_text(cr, kind.c_str());
}

void PaintCaption(cairo_t* cr, int width, int height, const ImageCaption& caption, double scale) {
    if (caption.title.empty() && caption.legend.empty() && !caption.markerKey) return;
    const double size = 13.0 * scale;
    const double pad = 10.0 * scale;
    const double stripH = size + pad * 1.6;
    const double top = height - stripH;
    cairo_save(cr);
    cairo_rectangle(cr, 0, top, width, stripH);
    SetColour(cr, kCaptionBackground);
    cairo_fill(cr);
    const double baseline = top + stripH * 0.5 + size * 0.36;

    SetFont(cr, CAIRO_FONT_WEIGHT_BOLD, size);
    SetColour(cr, kTagText);
    cairo_move_to(cr, pad, baseline);
    cairo_show_text(cr, caption.title.c_str());
    const double titleEnd = pad + TextWidth(cr, caption.title);

    // The legend is laid out from the right edge leftwards; entries that would run into
    // the title are left out.
    SetFont(cr, CAIRO_FONT_WEIGHT_NORMAL, size);
    const double swatch = size * 0.8;
    const double gap = pad * 1.6;
    double x = width - pad;
    const double midY = top + stripH * 0.5;
    if (caption.markerKey) {
        const std::string away = "away from view";
        const std::string toward = "toward view";
        const double need = TextWidth(cr, away) + TextWidth(cr, toward) + swatch * 2 + pad * 2.4;
        if (x - need > titleEnd + gap) {
            x -= TextWidth(cr, away);
            SetColour(cr, kCaptionText);
            cairo_move_to(cr, x, baseline);
            cairo_show_text(cr, away.c_str());
            x -= swatch * 0.5 + pad * 0.5;
            cairo_new_sub_path(cr);
            cairo_arc(cr, x, midY, swatch * 0.4, 0, 2 * std::numbers::pi);
            cairo_set_line_width(cr, 1.2 * scale);
            cairo_stroke(cr);
            x -= swatch * 0.5 + pad * 1.4 + TextWidth(cr, toward);
            cairo_move_to(cr, x, baseline);
            cairo_show_text(cr, toward.c_str());
            x -= swatch * 0.5 + pad * 0.5;
            cairo_arc(cr, x, midY, swatch * 0.45, 0, 2 * std::numbers::pi);
            cairo_fill(cr);
            x -= swatch * 0.5 + gap;
        }
    }
    for (auto it = caption.legend.rbegin(); it != caption.legend.rend(); ++it) {
        const double textW = TextWidth(cr, it->label);
        const double need = textW + swatch + pad * 0.6;
        if (x - need < titleEnd + gap) break;
        x -= textW;
        SetColour(cr, kCaptionText);
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, it->label.c_str());
        x -= pad * 0.6 + swatch;
        RoundedRect(cr, x, midY - swatch * 0.5, swatch, swatch, 2.0 * scale);
        SetColour(cr, it->color);
        cairo_fill(cr);
        x -= gap;
    }
    cairo_restore(cr);
}

}  // namespace zg::render
