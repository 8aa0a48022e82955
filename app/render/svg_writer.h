// Writing an image as SVG to its output while Cairo makes it, so that a drawing of
// millions of items is never held whole as text.
#pragma once

#include <string>
#include <vector>

#include "app/files/byte_sink.h"
#include "app/render/image_painter.h"

namespace zg::render {

// Paints the image (PaintImage) onto an SVG surface that writes to `out`. False, with a
// one-line error, when Cairo cannot make the image.
bool WriteSvgImage(int width, int height, const std::vector<ViewPanel>& panels, const ImageCaption& caption,
                   files::ByteSink& out, std::string& error);

}  // namespace zg::render
