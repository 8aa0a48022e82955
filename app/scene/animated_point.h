// AnimatedPoint: a three-component value of a node (position, rotation or scale) that
// is either one constant or a list of keys interpolated linearly over time.
#pragma once

#include <vector>

#include "host/geometry.h"
#include "host/time.h"

namespace zg::scene {

// A value at one time.
struct PointKey {
    host::TimeValue time = 0;
    host::Point3 value;
    bool operator==(const PointKey&) const = default;
};

class AnimatedPoint {
public:
    // The constant (0, 0, 0).
    AnimatedPoint() = default;
    // The same value at every time.
    explicit AnimatedPoint(const host::Point3& constant);
    // Keys at strictly increasing times; use KeysAreValid first. Before the first key
    // the value is the first key's, after the last the last key's; between two keys
    // each component moves linearly with time. An empty list means the constant
    // (0, 0, 0).
    explicit AnimatedPoint(std::vector<PointKey> keys);

    // True when `keys` is non-empty, its times strictly increase and every value is
    // finite.
    static bool KeysAreValid(const std::vector<PointKey>& keys);

    host::Point3 At(host::TimeValue t) const;

    bool IsAnimated() const { return keys_.size() > 1 || isKeyed_; }
    // The keys; a constant value has one key at time 0.
    const std::vector<PointKey>& Keys() const { return keys_; }

    bool operator==(const AnimatedPoint&) const = default;

private:
    std::vector<PointKey> keys_{PointKey{}};
    bool isKeyed_ = false;  // given as keys, even when there is only one
};

}  // namespace zg::scene
