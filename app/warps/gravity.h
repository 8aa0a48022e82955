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

#include "host/classdesc.h"
#include "host/geometry.h"
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

// The gravity force above at world position `pos` for a node with transform `nodeTM`.
host::Point3 GravityForce(const PullSettings& settings, const host::Matrix3& nodeTM, const host::Point3& pos);

host::ClassDesc2* GravityClassDesc();

}  // namespace zg::warps
