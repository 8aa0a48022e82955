// FrameRate: how the scene turns frames into ticks and back.
//
// Time inside the host counts ticks, 4800 to the second (host/time.h). Files and the
// command line speak in frames; a scene's frame rate fixes how many ticks make one
// frame: ticks per frame = 4800 / fps. Only rates that divide 4800 are accepted, so
// every frame starts on a whole tick. The default rate is 25 frames per second, 192
// ticks per frame.
#pragma once

#include <optional>
#include <string>

#include "host/time.h"

namespace zg::scene {

class FrameRate {
public:
    static constexpr int kDefaultFps = 25;

    // 25 frames per second.
    constexpr FrameRate() = default;
    // The rate of `fps` frames per second; none, with a one-line reason in `error`,
    // when fps is not a positive whole divisor of 4800.
    static std::optional<FrameRate> FromFps(long long fps, std::string& error);

    constexpr int Fps() const { return fps_; }
    constexpr host::TimeValue TicksPerFrame() const { return host::kTicksPerSecond / fps_; }

    // The tick at which `frame` starts, rounded to the nearest tick for a fractional
    // frame; none when it is not finite or lies outside the range of a TimeValue (the
    // two infinities included, which mean "always").
    std::optional<host::TimeValue> FrameToTicks(double frame) const;
    // The same, filling `error` with one line ("frame nan is not a number", "frame 1e+09
    // lies outside the time range at 25 fps") when there is no such tick.
    std::optional<host::TimeValue> FrameToTicks(double frame, std::string& error) const;
    // The frame at tick t, fractional between frame starts.
    double TicksToFrame(host::TimeValue t) const;

    constexpr bool operator==(const FrameRate&) const = default;

private:
    explicit constexpr FrameRate(int fps) : fps_(fps) {}
    int fps_ = kDefaultFps;
};

}  // namespace zg::scene
