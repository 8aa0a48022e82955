// The words and marks laid over a rendered image: each view's label and axis tripod,
// the caption strip (title, legend, marker key), and the fonts they are written in.
// The image painter (app/render/image_painter.h) places them; everything here paints
// in the user space of the context it is given.
#pragma once

#include <cairo.h>

#include <array>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/viewport/primitive_sink.h"

namespace zg::render {

struct LegendEntry {
    std::string label;
    viewport::Rgb color;
};

// The words laid over the image.
struct ImageCaption {
    std::string title;                // the title line, bottom left
    std::vector<LegendEntry> legend;  // swatches, bottom right
    bool markerKey = false;           // explains the two sample-point markers
};

// Cairo's first text in a process has fontconfig read its configuration and font
// caches: milliseconds that need not wait for the painting, nor the painting for them.
// FontLoader has that done on a thread of its own, started as soon as a command knows
// it will write text; Text() waits for it and then lets one painting thread at a time
// write text, so that the face each text gets is decided, as before, by the first text
// alone. Without a thread, that text loads the configuration.
class FontLoader {
public:
    static FontLoader& Instance();
    ~FontLoader();
    FontLoader(const FontLoader&) = delete;
    FontLoader& operator=(const FontLoader&) = delete;

    // Held while text is written.
    std::unique_lock<std::mutex> Text();

private:
    FontLoader();

    std::thread thread_;
    std::mutex text_;
};

// Has the fonts that images write their text in found on a thread of its own, so
// that a command can call it as soon as it knows it will paint an image and get on
// with its other work meanwhile. Painting waits for it; only the first call counts.
void PreloadFonts();

// The factor text and marks are scaled by in an image of this size.
double TextScale(int width, int height);

// The rest write text: the caller holds FontLoader::Text() while they paint.

// The world axes in the top-right corner of a view `viewWidth` pixels wide, each in its
// axis colour and lettered; `axes` as ViewPanel::axes.
void PaintTripod(cairo_t* cr, const std::array<std::array<double, 2>, 3>& axes, double viewWidth, double scale);

// The view's label, top left: its name, and its projection in dim text unless the name
// already says it.
void PaintViewLabel(cairo_t* cr, const std::string& name, const std::string& projection, double scale);

// The caption strip along the bottom of the image; nothing when the caption is empty.
void PaintCaption(cairo_t* cr, int width, int height, const ImageCaption& caption, double scale);

}  // namespace zg::render
