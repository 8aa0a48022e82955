// UniformForce: a space warp whose force is the same everywhere.
//
// F = strength x k x d / |d|, with d = (directionX, directionY, directionZ) taken in
// world space and k = host::kForceUnit. Position, velocity, time and the node's
// transform do not enter; a zero direction gives no force. The node only places the
// icon, which always points along d in world space.
#pragma once

#include "host/classdesc.h"
#include "host/geometry.h"
#include "host/node.h"
#include "host/paramblock.h"

namespace zg::warps {

namespace uniform_force {
inline constexpr host::ParamID kStrength = 0;    // float, default 1
inline constexpr host::ParamID kDirectionX = 1;  // float, default 0
inline constexpr host::ParamID kDirectionY = 2;  // float, default 0
inline constexpr host::ParamID kDirectionZ = 3;  // float, default -1
}  // namespace uniform_force

host::Point3 UniformForce(float strength, const host::Point3& direction);

// The uniform force for one time: computed once, the same at every position.
class UniformForceField {
public:
    explicit UniformForceField(const host::Point3& force) : force_(force) {}
    // The warp's block at time t; the node does not enter.
    static UniformForceField Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node);

    host::Point3 At(const host::Point3&, const host::Point3& = {}) const { return force_; }

private:
    host::Point3 force_;
};

host::ClassDesc2* UniformForceClassDesc();

}  // namespace zg::warps
