#include "app/scene/animated_point.h"

#include <algorithm>
#include <cmath>

namespace zg::scene {

AnimatedPoint::AnimatedPoint(const host::Point3& constant) : keys_{PointKey{0, constant}} {}

AnimatedPoint::AnimatedPoint(std::vector<PointKey> keys) {
    if (keys.empty()) return;
    // Invalid input is made usable rather than trusted: keys are ordered by time and a
    // later key replaces an earlier one at the same time.
    std::stable_sort(keys.begin(), keys.end(),
                     [](const PointKey& a, const PointKey& b) { return a.time < b.time; });
    std::vector<PointKey> unique;
    for (const PointKey& key : keys) {
        if (!unique.empty() && unique.back().time == key.time)
            unique.back() = key;
        else
            unique.push_back(key);
    }
    keys_ = std::move(unique);
    isKeyed_ = true;
}

bool AnimatedPoint::KeysAreValid(const std::vector<PointKey>& keys) {
    if (keys.empty()) return false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!host::IsFinite(keys[i].value)) return false;
        if (i > 0 && keys[i].time <= keys[i - 1].time) return false;
    }
    return true;
}

host::Point3 AnimatedPoint::At(host::TimeValue t) const {
    if (t <= keys_.front().time) return keys_.front().value;
    if (t >= keys_.back().time) return keys_.back().value;
    // The first key after t; the one before it starts the segment holding t.
    const auto next = std::upper_bound(keys_.begin(), keys_.end(), t,
                                       [](host::TimeValue time, const PointKey& k) { return time < k.time; });
    const PointKey& b = *next;
    const PointKey& a = *(next - 1);
    const double u = (static_cast<double>(t) - a.time) / (static_cast<double>(b.time) - a.time);
    host::Point3 v;
    for (int i = 0; i < 3; ++i) v[i] = static_cast<float>(a.value[i] + (static_cast<double>(b.value[i]) - a.value[i]) * u);
    return v;
}

}  // namespace zg::scene
