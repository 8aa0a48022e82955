// Drag: a space warp that slows particles down, wherever they are.
//
// F = -damping x k x v, with v the particle's velocity in scene units per tick and
// k = host::kForceUnit: a particle moving at one unit per tick feels a drag of
// magnitude damping x k, the size of a field of strength `damping`. Position, time and
// the node's transform do not enter. Damping is never negative.
#pragma once

#include "app/warps/force_math.h"
#include "host/classdesc.h"
#include "host/forcefield.h"
#include "host/geometry.h"
#include "host/node.h"
#include "host/paramblock.h"

namespace zg::warps {

namespace drag {
inline constexpr host::ParamID kDamping = 0;  // float, default 1, from 0
}  // namespace drag

// The drag force above for one time: the damping held, evaluated per velocity.
class DragField {
public:
    explicit DragField(float damping) : factor_(-static_cast<double>(damping) * host::kForceUnit) {}
    // The warp's block at time t; the node does not enter.
    static DragField Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node);

    host::Point3 At(const host::Point3&, const host::Point3& velocity) const {
        return ToForce(Vec3d(velocity) * factor_);
    }

private:
    double factor_;  // -damping x k
};

host::ClassDesc2* DragClassDesc();

}  // namespace zg::warps
