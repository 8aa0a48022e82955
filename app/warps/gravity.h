// Gravity: a space warp that pulls towards its node.
//
// With the node's transform at t giving its origin O and unit Z axis z (a transform
// that flattens Z gives no force), and k = host::kForceUnit, the force on a particle
// at world position p is
//   planar (spherical off):  F = -z x strength x k x exp(-decay x |(p - O) . z|)
//                            a pull along the node's -Z axis, fading with the
//                            distance from the node's XY plane;
//   spherical:               F = (O - p) / |O - p| x strength x k x exp(-decay x |O - p|)
//                            a pull towards the node's origin, zero at the origin.
// Without decay (0) the magnitude is strength x k everywhere. Velocity, time (other
// than through the transform) and the particle index do not enter. A result that is
// not finite in single precision is zero.
#pragma once

#include <cmath>

#include "app/warps/force_math.h"
#include "host/classdesc.h"
#include "host/forcefield.h"
#include "host/geometry.h"
#include "host/node.h"
#include "host/paramblock.h"

namespace zg::warps {

// Parameters of block 0.
namespace gravity {
inline constexpr host::ParamID kStrength = 0;   // float, default 1
inline constexpr host::ParamID kDecay = 1;      // float, default 0, from 0
inline constexpr host::ParamID kSpherical = 2;  // bool, default off
}  // namespace gravity

struct PullSettings {
    float strength = 1.0f;
    float decay = 0.0f;
    bool spherical = false;
};

// The gravity force above for one time: settings and node transform held, evaluated
// per position. A planar pull without decay is the same everywhere and is computed
// once.
class GravityField {
public:
    GravityField(const PullSettings& settings, const host::Matrix3& nodeTM)
        : frame_(FrameOf(nodeTM)),
          magnitude_(static_cast<double>(settings.strength) * host::kForceUnit),
          decay_(settings.decay),
          spherical_(settings.spherical),
          uniform_(!settings.spherical && !(decay_ > 0.0)),
          constant_(uniform_ ? ToForce(-frame_.zAxis * magnitude_) : host::Point3()) {}
    // The warp's block and node at time t.
    static GravityField Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node);

    host::Point3 At(const host::Point3& pos, const host::Point3& = {}) const {
        if (uniform_) return constant_;
        const Vec3d p(pos);
        if (spherical_) {
            const Vec3d toOrigin = frame_.origin - p;
            return ToForce(Normalized(toOrigin) * (magnitude_ * DecayFactor(decay_, Length(toOrigin))));
        }
        const double distance = std::fabs(Dot(p - frame_.origin, frame_.zAxis));
        return ToForce(-frame_.zAxis * (magnitude_ * DecayFactor(decay_, distance)));
    }

private:
    NodeFrame frame_;
    double magnitude_;  // strength x k
    double decay_;
    bool spherical_;
    bool uniform_;
    host::Point3 constant_;  // the force everywhere, when uniform_
};

host::ClassDesc2* GravityClassDesc();

}  // namespace zg::warps
