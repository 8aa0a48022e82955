// WritePng: a rendered image surface encoded as PNG, several times faster than
// Cairo's own writer, which runs zlib at its default level and tries every row filter.
// The renderer's images are flat backgrounds, gradients that change from row to row and
// thin lines: unfiltered rows deflated by ISA-L's igzip at its level 1 give files about
// the size of Cairo's in a fraction of the time.
#pragma once

#include <cairo.h>

#include <string>

#include "app/files/byte_sink.h"

namespace zg::render {

// Writes the PNG of `image`, an ARGB32 or RGB24 image surface, to `out`: 8-bit RGB
// when every pixel is opaque, 8-bit RGBA (colour no longer premultiplied) otherwise,
// the same pixels Cairo's writer gives. The image is spent: an opaque image's rows are
// packed into scanlines in its own memory, which saves a copy of the picture, so
// encode last and then destroy it. False, with a one-line error and nothing written,
// for any other surface or when memory runs out (the image may then be spent too).
bool WritePng(cairo_surface_t* image, files::ByteSink& out, std::string& error);

}  // namespace zg::render
