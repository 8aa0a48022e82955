// Time in the host: a signed count of ticks, and intervals of ticks.
// Plain values: any thread may use them, and whoever holds one owns it.
#pragma once

#include <cstdint>

namespace host {

// Ticks since time zero. There are kTicksPerSecond ticks in a second; the scene's
// frame rate decides how many ticks make a frame.
using TimeValue = int32_t;

inline constexpr TimeValue kTicksPerSecond = 4800;
inline constexpr TimeValue kTimeNegInfinity = INT32_MIN;
inline constexpr TimeValue kTimePosInfinity = INT32_MAX;

// A closed range of times [start, end]. An interval whose start lies after its end is
// empty (NEVER).
class Interval {
public:
    constexpr Interval() : start_(kTimePosInfinity), end_(kTimeNegInfinity) {}
    constexpr Interval(TimeValue s, TimeValue e) : start_(s), end_(e) {}

    constexpr TimeValue Start() const { return start_; }
    constexpr TimeValue End() const { return end_; }
    constexpr bool Empty() const { return start_ > end_; }
    constexpr bool InInterval(TimeValue t) const { return t >= start_ && t <= end_; }
    constexpr bool operator==(const Interval&) const = default;

private:
    TimeValue start_;
    TimeValue end_;
};

inline constexpr Interval FOREVER{kTimeNegInfinity, kTimePosInfinity};
inline constexpr Interval NEVER{};

}  // namespace host
