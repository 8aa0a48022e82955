// AnimationFile: frames of a sequence encoded one by one into a single animated file:
// WebP (libwebp's animation encoder), GIF (giflib, a palette of its own for each
// frame) or MP4 with H.264 video (FFmpeg's libraries), looping where the format can,
// at the scene's frame rate.
//
// A frame is handed over as soon as it is painted and not kept: the encoder holds only
// what its format needs (the previous canvases, the frames of its look-ahead and the
// compressed file so far), and that memory is charged to the memory budget when the
// file is opened and as the compressed file grows.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/files/byte_sink.h"
#include "host/heap.h"

namespace zg::render {

enum class AnimationFormat { kWebp, kGif, kMp4 };

// "webp", "gif" or "mp4"; none for anything else.
std::optional<AnimationFormat> AnimationFormatNamed(std::string_view name);
const char* AnimationFormatName(AnimationFormat format);

class AnimationFile {
public:
    virtual ~AnimationFile() = default;

    // An encoder of width x height frames shown `fps` to the second, writing to `out`,
    // which must outlive it. None, with a one-line reason, when the size does not suit
    // the format (MP4 needs even sides), the format's encoder is not available, or the
    // memory budget has no room for the frames the encoder holds.
    static std::unique_ptr<AnimationFile> Open(AnimationFormat format, int width, int height, int fps,
                                               files::ByteSink& out, std::string& error);
    // False, with a reason, when `width` x `height` frames cannot be written in `format`,
    // as Open would say; nothing is made. For checking a command before any work.
    static bool CheckSize(AnimationFormat format, int width, int height, std::string& error);

    // Encodes the next frame: `pixels` in Cairo's ARGB32 layout, opaque, `stride`
    // bytes a row. False, with a reason, when encoding fails.
    bool AddFrame(const unsigned char* pixels, int stride, std::string& error);
    // Completes the file and writes what is left of it to the sink. False, with a
    // reason, when no frame was added or the encoder fails.
    bool Finish(std::string& error);

protected:
    AnimationFile(int width, int height, int fps, files::ByteSink& out)
        : width_(width), height_(height), fps_(fps), out_(out) {}

    // The format's own work on frame `index` (from 0), and on the file after the last
    // of `count` frames.
    virtual bool Encode(const unsigned char* pixels, int stride, long long index, std::string& error) = 0;
    virtual bool Complete(long long count, std::string& error) = 0;

    const int width_;
    const int height_;
    const int fps_;
    files::ByteSink& out_;
    // The budget's share for what the encoder holds.
    host::BudgetShare budget_;

private:
    long long frames_ = 0;
};

}  // namespace zg::render
