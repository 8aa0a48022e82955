// Vortex: a space warp that swirls around its node's Z axis.
//
// With O and z the node's origin and unit Z axis at t, and k = host::kForceUnit, a
// particle at world position p lies at height h = (p - O) . z above the node's XY
// plane and at the radial offset r = (p - O) - h z from the axis. With r^ = r / |r|
// and the tangent t^ = z x r^ (counter-clockwise seen from +Z):
//   F = k x (orbital x t^ - radialPull x r^ - axialDrop x z)
// On the axis itself (|r| = 0) only the axial drop remains. The strength does not
// fade with distance. A transform that flattens Z gives no force.
#pragma once

#include "host/classdesc.h"
#include "host/geometry.h"
#include "host/paramblock.h"

namespace zg::warps {

namespace vortex {
inline constexpr host::ParamID kOrbital = 0;     // float, default 1
inline constexpr host::ParamID kRadialPull = 1;  // float, default 0.5
inline constexpr host::ParamID kAxialDrop = 2;   // float, default 0
}  // namespace vortex

struct VortexSettings {
    float orbital = 1.0f;
    float radialPull = 0.5f;
    float axialDrop = 0.0f;
};

host::Point3 VortexForce(const VortexSettings& settings, const host::Matrix3& nodeTM, const host::Point3& pos);

host::ClassDesc2* VortexClassDesc();

}  // namespace zg::warps
