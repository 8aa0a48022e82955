#include "app/scene/frame_rate.h"

#include <fmt/format.h>

#include <cmath>

namespace zg::scene {

std::optional<FrameRate> FrameRate::FromFps(long long fps, std::string& error) {
    if (fps <= 0 || fps > host::kTicksPerSecond || host::kTicksPerSecond % fps != 0) {
        error = fmt::format("{} frames per second does not divide {} ticks per second (try 24, 25, 30 or 60)", fps,
                            host::kTicksPerSecond);
        return std::nullopt;
    }
    return FrameRate(static_cast<int>(fps));
}

std::optional<host::TimeValue> FrameRate::FrameToTicks(double frame) const {
    const double ticks = std::round(frame * TicksPerFrame());
    if (!std::isfinite(ticks) || ticks <= host::kTimeNegInfinity || ticks >= host::kTimePosInfinity)
        return std::nullopt;
    return static_cast<host::TimeValue>(ticks);
}

std::optional<host::TimeValue> FrameRate::FrameToTicks(double frame, std::string& error) const {
    const std::optional<host::TimeValue> t = FrameToTicks(frame);
    if (!t) {
        error = std::isnan(frame) ? fmt::format("frame {} is not a number", frame)
                                  : fmt::format("frame {} lies outside the time range at {} fps", frame, fps_);
    }
    return t;
}

double FrameRate::TicksToFrame(host::TimeValue t) const {
    return static_cast<double>(t) / static_cast<double>(TicksPerFrame());
}

}  // namespace zg::scene
