// UniformForce: a space warp whose force is the same everywhere.
//
// F = strength x k x d / |d|, with d = (directionX, directionY, directionZ) taken in
// world space and k = host::kForceUnit. Position, velocity, time and the node's
// transform do not enter; a zero direction gives no force. The node only places the
// icon, which always points along d in world space.
#pragma once

#include "host/classdesc.h"
#include "host/geometry.h"
#include "host/paramblock.h"

namespace zg::warps {

namespace uniform_force {
inline constexpr host::ParamID kStrength = 0;    // float, default 1
inline constexpr host::ParamID kDirectionX = 1;  // float, default 0
inline constexpr host::ParamID kDirectionY = 2;  // float, default 0
inline constexpr host::ParamID kDirectionZ = 3;  // float, default -1
}  // namespace uniform_force

host::Point3 UniformForce(float strength, const host::Point3& direction);

host::ClassDesc2* UniformForceClassDesc();

}  // namespace zg::warps
