// ImagePainter: paints the views of one rendered image with Cairo (antialiased), lays
// the view labels, tripods and caption over them (app/render/image_text.h), and encodes
// the image as PNG (through WritePng); svg_writer.h writes SVG.
//
// Each view's display list is drawn at its panel's position, in its own pixels, so a
// single view filling the image keeps the coordinates of its display list. Labels,
// title and legend are laid over the views, never beside them.
#pragma once

#include <cairo.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/files/byte_sink.h"
#include "app/render/image_text.h"
#include "app/viewport/display_list.h"
#include "app/viewport/pixel_clip.h"

namespace zg::render {

// How the views' drawing is stroked, in every format. Coordinates Cairo handles
// without loss; beyond them lines are cut to the view and this margin around it first.
inline constexpr double kSafeCoordinate = 1e6;
inline constexpr double kReachMargin = 16.0;
// Line widths in pixels: the host's own drawing, objects' lines, force segments.
inline constexpr double kHostLineWidth = 1.0;
inline constexpr double kObjectLineWidth = 1.3;
inline constexpr double kSegmentLineWidth = 1.5;
// A force segment fades from this opacity at its sample point to full at its tip, so
// the direction reads without arrowheads.
inline constexpr double kSegmentBaseAlpha = 0.28;

// Whether a pixel lies within kSafeCoordinate of the image, to be handed on as it is.
bool SafePixel(const viewport::PixelPoint& p);

// A force segment from `base` to `tip` as every format strokes it: cut to `reach` (none
// when nothing of it is within), and whether it fades from base to tip (one under a
// pixel long, or with an end too far out to place a gradient at, is drawn flat).
struct SegmentStroke {
    viewport::PixelPoint a, b;
    bool fades = false;
};
std::optional<SegmentStroke> StrokeOfSegment(const viewport::PixelPoint& base, const viewport::PixelPoint& tip,
                                             const viewport::PixelRect& reach);

// One view placed in the image: its display list drawn with its top-left at (x, y).
struct ViewPanel {
    std::string name;
    std::string projection;  // "perspective", "top", "front" or "left"
    const viewport::DisplayList* list = nullptr;
    int x = 0;
    int y = 0;
    // The world X, Y and Z axes as the view shows them: image directions (x right, y
    // down) whose length is the axis's share across the view, 0 for an axis along the
    // line of sight. Drawn as the view's axis tripod.
    std::array<std::array<double, 2>, 3> axes{};
};

// What of an image is painted: all of it; what lies under the views' drawing (the
// background and each view's sky); or what lies over it (axis tripods, labels,
// borders, the caption). A writer that draws the display lists itself paints the
// other two around them.
enum class ImageLayer { kAll, kUnder, kOver };

// Paints the image, or one layer of it, into `cr`, whose user space is the image's
// pixels.
void PaintImage(cairo_t* cr, int width, int height, const std::vector<ViewPanel>& panels,
                const ImageCaption& caption, ImageLayer layer = ImageLayer::kAll);

// Paints the whole image into `pixels`, Cairo's ARGB32 layout (premultiplied, native
// byte order, `stride` bytes a row; every pixel ends up opaque). False, with a
// one-line error, when Cairo fails.
bool PaintImagePixels(unsigned char* pixels, int stride, int width, int height, const std::vector<ViewPanel>& panels,
                      const ImageCaption& caption, std::string& error);

// The image painted and written to `out` as PNG (SVG: svg_writer.h); false, with a
// one-line error, when Cairo cannot make it (an image too large for memory, for
// instance).
bool WritePngImage(int width, int height, const std::vector<ViewPanel>& panels, const ImageCaption& caption,
                   files::ByteSink& out, std::string& error);

}  // namespace zg::render
