#include "app/render/animation_file.h"

#include <fmt/format.h>
#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstring>
#include <vector>

namespace zg::render {

namespace {

std::size_t PixelCount(int width, int height) { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }

// The millisecond (WebP) or centisecond (GIF) at which frame `index` starts, rounded,
// so that the durations add up to the scene's rate over the whole file.
long long FrameStart(long long index, int fps, int unitsPerSecond) {
    return static_cast<long long>(std::llround(static_cast<double>(index) * unitsPerSecond / fps));
}

bool NoRoom(const char* what, std::size_t bytes, std::string& error) {
    error = fmt::format("the memory budget of {} MiB has no room for the {} MiB the {} encoder holds (set "
                        "ZENTROGRAPH_MEMORY_BUDGET to allow more)",
                        host::MemoryBudget() >> 20, (bytes + (1u << 20) - 1) >> 20, what);
    return false;
}

// ---- WebP ------------------------------------------------------------------------------

// What the encoder holds, measured on 1280x720 renders: about a dozen canvases (the
// previous and current one, candidates and their encodings), and every frame encoded
// so far until the file is assembled, about a quarter of a byte a pixel.
constexpr std::size_t kWebpCanvasesHeld = 12;
constexpr std::size_t kWebpPixelsPerEncodedByte = 4;
// Lossy at a high quality: lossless frames of the images' shaded backgrounds are ten
// times larger, and the thin lines stay sharp at this quality.
constexpr float kWebpQuality = 90.0f;
constexpr int kWebpMethod = 4;

class WebpFile final : public AnimationFile {
public:
    WebpFile(int width, int height, int fps, files::ByteSink& out) : AnimationFile(width, height, fps, out) {}
    ~WebpFile() override {
        if (encoder_ != nullptr) WebPAnimEncoderDelete(encoder_);
    }

    bool Start(std::string& error) {
        const std::size_t bytes = kWebpCanvasesHeld * PixelCount(width_, height_) * 4;
        if (!budget_.Take(bytes)) return NoRoom("WebP", bytes, error);
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config_)) {
            error = "the WebP library is not the version the program was built with";
            return false;
        }
        options.anim_params.loop_count = 0;  // forever
        if (!WebPConfigPreset(&config_, WEBP_PRESET_DRAWING, kWebpQuality)) {
            error = "the WebP library is not the version the program was built with";
            return false;
        }
        config_.method = kWebpMethod;
        encoder_ = WebPAnimEncoderNew(width_, height_, &options);
        if (encoder_ == nullptr) {
            error = "the WebP encoder could not be made";
            return false;
        }
        return true;
    }

    bool Encode(const unsigned char* pixels, int stride, long long index, std::string& error) override {
        const std::size_t encoded = PixelCount(width_, height_) / kWebpPixelsPerEncodedByte;
        if (!budget_.Take(encoded)) return NoRoom("WebP", budget_.Bytes() + encoded, error);
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.width = width_;
        picture.height = height_;
        picture.use_argb = 1;
        // Cairo's opaque ARGB32 in native (little-endian) order is B, G, R, A in memory.
        const bool imported = WebPPictureImportBGRA(&picture, pixels, stride) != 0;
        const bool added = imported && WebPAnimEncoderAdd(encoder_, &picture, static_cast<int>(FrameStart(index, fps_, 1000)),
                                                          &config_) != 0;
        WebPPictureFree(&picture);
        if (!added) {
            error = fmt::format("WebP frame {}: {}", index + 1,
                                imported ? WebPAnimEncoderGetError(encoder_) : "not enough memory");
            return false;
        }
        return true;
    }

    bool Complete(long long frames, std::string& error) override {
        WebPData data;
        WebPDataInit(&data);
        const bool done = WebPAnimEncoderAdd(encoder_, nullptr, static_cast<int>(FrameStart(frames, fps_, 1000)), nullptr) &&
                          WebPAnimEncoderAssemble(encoder_, &data);
        if (!done) {
            error = fmt::format("WebP: {}", WebPAnimEncoderGetError(encoder_));
            return false;
        }
        out_.Write(std::string_view(reinterpret_cast<const char*>(data.bytes), data.size));
        WebPDataClear(&data);
        return true;
    }

private:
    WebPAnimEncoder* encoder_ = nullptr;
    WebPConfig config_{};
};

// ---- GIF -------------------------------------------------------------------------------

int WriteToSink(GifFileType* gif, const GifByteType* bytes, int count) {
    static_cast<files::ByteSink*>(gif->UserData)->Write(std::string_view(reinterpret_cast<const char*>(bytes),
                                                                         static_cast<std::size_t>(count)));
    return count;
}

class GifFile final : public AnimationFile {
public:
    GifFile(int width, int height, int fps, files::ByteSink& out) : AnimationFile(width, height, fps, out) {}
    ~GifFile() override {
        if (gif_ != nullptr) EGifCloseFile(gif_, nullptr);
    }

    bool Start(std::string& error) {
        const std::size_t pixels = PixelCount(width_, height_);
        if (!budget_.Take(pixels * 4)) return NoRoom("GIF", pixels * 4, error);
        int status = 0;
        gif_ = EGifOpen(&out_, WriteToSink, &status);
        if (gif_ == nullptr) return Failed(status, error);
        EGifSetGifVersion(gif_, true);
        if (EGifPutScreenDesc(gif_, width_, height_, 8, 0, nullptr) == GIF_ERROR) return Failed(gif_->Error, error);
        // Loop forever: the application extension browsers read.
        static const GifByteType kLoop[] = {1, 0, 0};
        if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_ERROR ||
            EGifPutExtensionBlock(gif_, 3, kLoop) == GIF_ERROR || EGifPutExtensionTrailer(gif_) == GIF_ERROR)
            return Failed(gif_->Error, error);
        try {
            red_.resize(pixels);
            green_.resize(pixels);
            blue_.resize(pixels);
            indices_.resize(pixels);
        } catch (const std::bad_alloc&) {
            error = "not enough memory for a GIF frame";
            return false;
        }
        return true;
    }

    bool Encode(const unsigned char* pixels, int stride, long long index, std::string& error) override {
        for (int y = 0; y < height_; ++y) {
            const unsigned char* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
            const std::size_t base = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
            for (int x = 0; x < width_; ++x) {
                blue_[base + x] = row[4 * x];
                green_[base + x] = row[4 * x + 1];
                red_[base + x] = row[4 * x + 2];
            }
        }
        int colours = 256;
        GifColorType palette[256];
        if (GifQuantizeBuffer(static_cast<unsigned>(width_), static_cast<unsigned>(height_), &colours, red_.data(),
                              green_.data(), blue_.data(), indices_.data(), palette) == GIF_ERROR) {
            error = fmt::format("GIF frame {}: its colours could not be reduced to a palette", index + 1);
            return false;
        }
        ColorMapObject* map = GifMakeMapObject(256, palette);
        if (map == nullptr) {
            error = "not enough memory for a GIF palette";
            return false;
        }
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        control.DelayTime = static_cast<int>(FrameStart(index + 1, fps_, 100) - FrameStart(index, fps_, 100));
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        bool ok = EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_ERROR &&
                  EGifPutImageDesc(gif_, 0, 0, width_, height_, false, map) != GIF_ERROR;
        GifFreeMapObject(map);
        for (int y = 0; ok && y < height_; ++y)
            ok = EGifPutLine(gif_, indices_.data() + static_cast<std::size_t>(y) * width_, width_) != GIF_ERROR;
        if (!ok) return Failed(gif_->Error, error);
        return true;
    }

    bool Complete(long long, std::string& error) override {
        int status = 0;
        GifFileType* gif = std::exchange(gif_, nullptr);
        if (EGifCloseFile(gif, &status) == GIF_ERROR) return Failed(status, error);
        return true;
    }

private:
    static bool Failed(int status, std::string& error) {
        const char* why = GifErrorString(status);
        error = fmt::format("GIF: {}", why != nullptr ? why : "the encoder failed");
        return false;
    }

    GifFileType* gif_ = nullptr;
    std::vector<GifByteType> red_, green_, blue_, indices_;
};

// ---- MP4 -------------------------------------------------------------------------------

// H.264 encoders in the order they are preferred.
constexpr const char* kH264Encoders[] = {"libx264", "libopenh264"};
// What an H.264 encoder holds, in frames of 4:2:0 pixels: its look-ahead, reference
// and B-frames with their half-size copies and motion data, per encoding thread
// (measured: about 210 MB for 1280x720 with the medium preset on two cores).
constexpr std::size_t kMp4FramesHeld = 160;

const AVCodec* FindH264Encoder() {
    for (const char* name : kH264Encoders) {
        if (const AVCodec* codec = avcodec_find_encoder_by_name(name)) return codec;
    }
    return avcodec_find_encoder(AV_CODEC_ID_H264);
}

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The muxer writes the file into memory, which it must be able to seek in (the index
// goes at the end and the header is patched); the whole file then goes to the sink.
class Mp4File final : public AnimationFile {
public:
    Mp4File(int width, int height, int fps, files::ByteSink& out) : AnimationFile(width, height, fps, out) {}
    ~Mp4File() override {
        sws_freeContext(scaler_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
        if (format_ != nullptr) {
            if (io_ != nullptr) av_freep(&io_->buffer);
            avio_context_free(&io_);
            avformat_free_context(format_);
        }
    }

    bool Start(std::string& error) {
        const AVCodec* codec = FindH264Encoder();
        if (codec == nullptr) {
            error = "MP4 needs an H.264 encoder and this machine's FFmpeg libraries offer none (Debian's libavcodec "
                    "brings libx264); write .webp or .gif instead";
            return false;
        }
        const std::size_t bytes = kMp4FramesHeld * PixelCount(width_, height_) * 3 / 2 + PixelCount(width_, height_) * 4;
        if (!budget_.Take(bytes)) return NoRoom("H.264", bytes, error);
        av_log_set_level(AV_LOG_ERROR);
        int status = avformat_alloc_output_context2(&format_, nullptr, "mp4", nullptr);
        if (status < 0 || format_ == nullptr) return Failed("the MP4 muxer", status, error);
        codec_ = avcodec_alloc_context3(codec);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (codec_ == nullptr || frame_ == nullptr || packet_ == nullptr) return Failed("memory", AVERROR(ENOMEM), error);
        codec_->width = width_;
        codec_->height = height_;
        codec_->time_base = AVRational{1, fps_};
        codec_->framerate = AVRational{fps_, 1};
        codec_->pix_fmt = AV_PIX_FMT_YUV420P;
        codec_->gop_size = 2 * fps_;
        if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av_opt_set(codec_->priv_data, "preset", "medium", 0);
        if ((status = avcodec_open2(codec_, codec, nullptr)) < 0) return Failed(codec->name, status, error);
        AVStream* stream = avformat_new_stream(format_, nullptr);
        if (stream == nullptr) return Failed("the MP4 stream", AVERROR(ENOMEM), error);
        stream->time_base = codec_->time_base;
        stream->avg_frame_rate = codec_->framerate;
        if ((status = avcodec_parameters_from_context(stream->codecpar, codec_)) < 0)
            return Failed("the MP4 stream", status, error);

        constexpr int kIoBlock = 1 << 16;
        auto* block = static_cast<unsigned char*>(av_malloc(kIoBlock));
        io_ = block != nullptr ? avio_alloc_context(block, kIoBlock, 1, this, nullptr, &Mp4File::WriteBytes,
                                                    &Mp4File::Seek)
                               : nullptr;
        if (io_ == nullptr) {
            av_free(block);
            return Failed("memory", AVERROR(ENOMEM), error);
        }
        format_->pb = io_;
        format_->flags |= AVFMT_FLAG_CUSTOM_IO;
        if ((status = avformat_write_header(format_, nullptr)) < 0) return Failed("the MP4 header", status, error);
        stream_ = stream;

        frame_->format = AV_PIX_FMT_YUV420P;
        frame_->width = width_;
        frame_->height = height_;
        if ((status = av_frame_get_buffer(frame_, 0)) < 0) return Failed("memory", status, error);
        scaler_ = sws_getContext(width_, height_, AV_PIX_FMT_BGRA, width_, height_, AV_PIX_FMT_YUV420P,
                                 SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
        if (scaler_ == nullptr) return Failed("the colour conversion", AVERROR(EINVAL), error);
        return true;
    }

    bool Encode(const unsigned char* pixels, int stride, long long index, std::string& error) override {
        int status = av_frame_make_writable(frame_);
        if (status < 0) return Failed("memory", status, error);
        const uint8_t* source[] = {pixels};
        const int strides[] = {stride};
        sws_scale(scaler_, source, strides, 0, height_, frame_->data, frame_->linesize);
        frame_->pts = index;
        if ((status = avcodec_send_frame(codec_, frame_)) < 0) return Failed("H.264 encoding", status, error);
        return Drain(error);
    }

    bool Complete(long long, std::string& error) override {
        int status = avcodec_send_frame(codec_, nullptr);
        if (status < 0) return Failed("H.264 encoding", status, error);
        if (!Drain(error)) return false;
        if ((status = av_write_trailer(format_)) < 0) return Failed("the MP4 index", status, error);
        avio_flush(io_);
        if (!room_) return NoRoom("MP4", file_.size(), error);
        out_.Write(file_);
        return true;
    }

private:
    bool Drain(std::string& error) {
        for (;;) {
            int status = avcodec_receive_packet(codec_, packet_);
            if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return room_ || NoRoom("MP4", file_.size(), error);
            if (status < 0) return Failed("H.264 encoding", status, error);
            av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            status = av_interleaved_write_frame(format_, packet_);
            if (status < 0) return Failed("the MP4 muxer", status, error);
        }
    }

    static bool Failed(const char* what, int status, std::string& error) {
        error = fmt::format("MP4: {}: {}", what, AvError(status));
        return false;
    }

    // The compressed file grows in memory, within the budget.
    static int WriteBytes(void* opaque, uint8_t* bytes, int count) {
        auto* self = static_cast<Mp4File*>(opaque);
        const std::size_t end = self->position_ + static_cast<std::size_t>(count);
        if (end > self->file_.size()) {
            const std::size_t growth = end - self->file_.size();
            if (!self->budget_.Take(growth)) {
                self->room_ = false;
                return AVERROR(ENOMEM);
            }
            try {
                self->file_.resize(end);
            } catch (const std::bad_alloc&) {
                self->budget_.Give(growth);
                return AVERROR(ENOMEM);
            }
        }
        std::memcpy(self->file_.data() + self->position_, bytes, static_cast<std::size_t>(count));
        self->position_ = end;
        return count;
    }

    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        auto* self = static_cast<Mp4File*>(opaque);
        const auto size = static_cast<int64_t>(self->file_.size());
        if (whence & AVSEEK_SIZE) return size;
        int64_t target = offset;
        if ((whence & ~AVSEEK_FORCE) == SEEK_CUR) target += static_cast<int64_t>(self->position_);
        if ((whence & ~AVSEEK_FORCE) == SEEK_END) target += size;
        if (target < 0 || target > size) return AVERROR(EINVAL);
        self->position_ = static_cast<std::size_t>(target);
        return target;
    }

    AVFormatContext* format_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* scaler_ = nullptr;
    std::string file_;
    std::size_t position_ = 0;
    bool room_ = true;
};

template <typename File>
std::unique_ptr<AnimationFile> Started(std::unique_ptr<File> file, std::string& error) {
    if (!file->Start(error)) return nullptr;
    return file;
}

}  // namespace

std::optional<AnimationFormat> AnimationFormatNamed(std::string_view name) {
    if (name == "webp") return AnimationFormat::kWebp;
    if (name == "gif") return AnimationFormat::kGif;
    if (name == "mp4") return AnimationFormat::kMp4;
    return std::nullopt;
}

const char* AnimationFormatName(AnimationFormat format) {
    switch (format) {
        case AnimationFormat::kWebp: return "webp";
        case AnimationFormat::kGif: return "gif";
        case AnimationFormat::kMp4: return "mp4";
    }
    return "";
}

bool AnimationFile::CheckSize(AnimationFormat format, int width, int height, std::string& error) {
    // GIF's screen and WebP's canvas hold 16 and 14 bits a side.
    const int limit = format == AnimationFormat::kGif ? 65535 : format == AnimationFormat::kWebp ? 16383 : 8192;
    if (width < 1 || height < 1 || width > limit || height > limit) {
        error = fmt::format("{}x{} frames do not fit {} (at most {} pixels a side)", width, height,
                            AnimationFormatName(format), limit);
        return false;
    }
    if (format == AnimationFormat::kMp4 && (width % 2 != 0 || height % 2 != 0)) {
        error = fmt::format("MP4 (H.264) needs an even width and height, not {}x{}", width, height);
        return false;
    }
    return true;
}

bool AnimationFile::AddFrame(const unsigned char* pixels, int stride, std::string& error) {
    if (!Encode(pixels, stride, frames_, error)) return false;
    ++frames_;
    return true;
}

bool AnimationFile::Finish(std::string& error) {
    if (frames_ == 0) {
        error = "an animation needs at least one frame";
        return false;
    }
    return Complete(frames_, error);
}

std::unique_ptr<AnimationFile> AnimationFile::Open(AnimationFormat format, int width, int height, int fps,
                                                   files::ByteSink& out, std::string& error) {
    if (!CheckSize(format, width, height, error) || fps < 1) {
        if (fps < 1) error = fmt::format("{} frames per second cannot be written", fps);
        return nullptr;
    }
    try {
        switch (format) {
            case AnimationFormat::kWebp: return Started(std::make_unique<WebpFile>(width, height, fps, out), error);
            case AnimationFormat::kGif: return Started(std::make_unique<GifFile>(width, height, fps, out), error);
            case AnimationFormat::kMp4: return Started(std::make_unique<Mp4File>(width, height, fps, out), error);
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the animation encoder";
    }
    return nullptr;
}

}  // namespace zg::render
