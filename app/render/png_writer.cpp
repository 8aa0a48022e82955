#include "app/render/png_writer.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <cstring>
#include <memory>
#include <new>

#include "app/files/byte_sink.h"
#include "app/render/pixel_memory.h"

namespace zg::render {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// igzip's level 1: on the renderer's images as small as zlib at its default level, in
// a fraction of the time.
constexpr int kCompressionLevel = 1;
constexpr std::size_t kLevelBufferBytes = ISAL_DEF_LVL1_SMALL;  // measured no slower than larger ones here
constexpr unsigned char kFilterNone = 0;
constexpr unsigned char kColourRgb = 2;
constexpr unsigned char kColourRgba = 6;

// The CRC-32 of PNG chunks, which is gzip's.
uint32_t Crc(uint32_t crc, const void* data, std::size_t size) {
    return crc32_gzip_refl(crc, static_cast<const unsigned char*>(data), size);
}

void AppendBigEndian(std::string& out, uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
    out.append(b, 4);
}

// Closes the chunk whose length field starts at `start`: its length and its CRC, which
// covers the type and the data.
void EndChunk(std::string& out, std::size_t start) {
    const auto length = static_cast<uint32_t>(out.size() - start - 8);
    for (int i = 0; i < 4; ++i) out[start + i] = static_cast<char>(length >> (24 - 8 * i));
    AppendBigEndian(out, Crc(0, out.data() + start + 4, out.size() - start - 4));
}

std::size_t BeginChunk(std::string& out, const char* type) {
    const std::size_t start = out.size();
    out.append(4, '\0');
    out.append(type, 4);
    return start;
}

bool Opaque(const unsigned char* data, int width, int height, int stride) {
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        uint32_t all = 0xFF000000u;
        for (int x = 0; x < width; ++x) all &= row[x];
        if (all < 0xFF000000u) return false;
    }
    return true;
}

// The bytes of the image's PNG scanlines: each row led by its filter type.
std::size_t ScanlineBytes(int width, int height, bool alpha) {
    return (1 + (alpha ? 4 : 3) * static_cast<std::size_t>(width)) * static_cast<std::size_t>(height);
}

// Packs the image's rows into PNG scanlines at `lines`, which may be the image's own
// memory when there is no alpha: an RGB scanline is shorter than a row of pixels, so
// row y's scanline, written from y times its length, never overtakes a pixel still to
// be read. Cairo keeps pixels as native-endian 32-bit words, alpha in the top byte,
// colour premultiplied.
void PackScanlines(const unsigned char* data, int width, int height, int stride, bool alpha, unsigned char* lines) {
    const std::size_t lineBytes = ScanlineBytes(width, 1, alpha);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        unsigned char* out = lines + lineBytes * static_cast<std::size_t>(y);
        // The filter byte can land on the row's first pixel: read it first.
        uint32_t p = 0;
        std::memcpy(&p, row, sizeof p);
        *out++ = kFilterNone;
        for (int x = 0; x < width; ++x) {
            if (x > 0) std::memcpy(&p, row + 4 * static_cast<std::size_t>(x), sizeof p);
            const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (!alpha) {
                out[0] = static_cast<unsigned char>(r);
                out[1] = static_cast<unsigned char>(g);
                out[2] = static_cast<unsigned char>(b);
                out += 3;
                continue;
            }
            // Un-premultiplied with rounding, as Cairo's writer does; clear stays zero.
            const uint32_t a = p >> 24;
            out[0] = a == 0 ? 0 : static_cast<unsigned char>((r * 255 + a / 2) / a);
            out[1] = a == 0 ? 0 : static_cast<unsigned char>((g * 255 + a / 2) / a);
            out[2] = a == 0 ? 0 : static_cast<unsigned char>((b * 255 + a / 2) / a);
            out[3] = static_cast<unsigned char>(a);
            out += 4;
        }
    }
}

// The scanlines as one zlib stream at `out`, which holds `room` bytes; its length, or 0
// when it does not fit.
std::size_t Deflate(const unsigned char* lines, std::size_t size, unsigned char* out, std::size_t room) {
    constexpr std::size_t kMost = std::numeric_limits<uint32_t>::max();
    if (size > kMost) return 0;
    // Zeroed: the deflater keeps hash tables in the level buffer and may read entries
    // it never wrote, so what a freed buffer held would choose its matches and one
    // picture would give files that differ from run to run.
    const std::unique_ptr<isal_zstream> stream(new isal_zstream());
    const std::unique_ptr<uint8_t[]> levelBuffer(new uint8_t[kLevelBufferBytes]());
    isal_deflate_stateless_init(stream.get());
    stream->level = kCompressionLevel;
    stream->level_buf = levelBuffer.get();
    stream->level_buf_size = kLevelBufferBytes;
    stream->gzip_flag = IGZIP_ZLIB;
    stream->end_of_stream = 1;
    stream->flush = NO_FLUSH;
    stream->next_in = const_cast<unsigned char*>(lines);
    stream->avail_in = static_cast<uint32_t>(size);
    stream->next_out = out;
    stream->avail_out = static_cast<uint32_t>(std::min(room, kMost));
    return isal_deflate_stateless(stream.get()) == COMP_OK ? stream->total_out : 0;
}

// Room enough for the zlib stream of `size` bytes: stored blocks at worst, each 5 bytes
// of header per 65535 of data, and the stream's own header and trailer.
std::size_t DeflateBound(std::size_t size) { return size + size / 8192 + 1024; }

struct FreeDeleter {
    void operator()(unsigned char* p) const { std::free(p); }
};

}  // namespace

bool WritePng(cairo_surface_t* image, files::ByteSink& out, std::string& error) {
    const cairo_format_t format = cairo_image_surface_get_format(image);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE ||
        (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24)) {
        error = "cannot encode the image as PNG: not a 32-bit image surface";
        return false;
    }
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    try {
        const bool alpha = format == CAIRO_FORMAT_ARGB32 && !Opaque(data, width, height, stride);
        // Buffers of their own are left uninitialised: only the pages written are ever
        // touched.
        const std::size_t lineBytes = ScanlineBytes(width, height, alpha);
        std::unique_ptr<unsigned char, FreeDeleter> separate;
        if (alpha) separate.reset(static_cast<unsigned char*>(std::malloc(lineBytes)));
        if (alpha && !separate) throw std::bad_alloc();
        unsigned char* lines = alpha ? separate.get() : data;
        PackScanlines(data, width, height, stride, alpha, lines);
        cairo_surface_mark_dirty(image);
        const std::size_t bound = DeflateBound(lineBytes);
        const PixelMemory packed(bound);
        if (packed.Data() == nullptr) throw std::bad_alloc();
        const std::size_t packedBytes = Deflate(lines, lineBytes, packed.Data(), bound);
        if (packedBytes == 0) {
            error = "cannot encode the image as PNG: the scanlines could not be deflated";
            return false;
        }
        const std::string_view deflated(reinterpret_cast<const char*>(packed.Data()), packedBytes);

        // The signature and three chunks around the deflated scanlines, which go to the
        // output from where they were deflated.
        std::string head(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
        const std::size_t chunk = BeginChunk(head, "IHDR");
        AppendBigEndian(head, static_cast<uint32_t>(width));
        AppendBigEndian(head, static_cast<uint32_t>(height));
        // Bit depth 8, the colour type, deflate, adaptive filtering, no interlace.
        const char header[5] = {8, static_cast<char>(alpha ? kColourRgba : kColourRgb), 0, 0, 0};
        head.append(header, sizeof header);
        EndChunk(head, chunk);
        AppendBigEndian(head, static_cast<uint32_t>(packedBytes));
        head.append("IDAT");
        std::string tail;
        AppendBigEndian(tail, Crc(Crc(0, "IDAT", 4), deflated.data(), deflated.size()));
        EndChunk(tail, BeginChunk(tail, "IEND"));
        out.Write(head);
        out.Write(deflated);
        out.Write(tail);
    } catch (const std::bad_alloc&) {
        error = "cannot encode the image as PNG: out of memory";
        return false;
    }
    return true;
}

}  // namespace zg::render
