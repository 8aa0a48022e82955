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

#include "app/warps/force_math.h"
#include "host/classdesc.h"
#include "host/forcefield.h"
#include "host/geometry.h"
#include "host/node.h"
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

// The vortex force above for one time: settings and node transform held, evaluated
// per position.
class VortexField {
public:
    VortexField(const VortexSettings& settings, const host::Matrix3& nodeTM)
        : frame_(FrameOf(nodeTM)),
          flat_(Dot(frame_.zAxis, frame_.zAxis) == 0.0),
          orbital_(settings.orbital),
          radialPull_(settings.radialPull),
          drop_(frame_.zAxis * static_cast<double>(settings.axialDrop)) {}
    // The warp's block and node at time t.
    static VortexField Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node);

    host::Point3 At(const host::Point3& pos, const host::Point3& = {}) const {
        if (flat_) return {};
        const Vec3d offset = Vec3d(pos) - frame_.origin;
        const double height = Dot(offset, frame_.zAxis);
        const Vec3d radial = Normalized(offset - frame_.zAxis * height);
        const Vec3d tangent = Cross(frame_.zAxis, radial);
        const Vec3d force = tangent * orbital_ - radial * radialPull_ - drop_;
        return ToForce(force * static_cast<double>(host::kForceUnit));
    }

private:
    NodeFrame frame_;
    bool flat_;  // the transform flattens Z: no force
    double orbital_;
    double radialPull_;
    Vec3d drop_;  // z x axialDrop
};

host::ClassDesc2* VortexClassDesc();

}  // namespace zg::warps
