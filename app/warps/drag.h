// Drag: a space warp that slows particles down, wherever they are.
//
// F = -damping x k x v, with v the particle's velocity in scene units per tick and
// k = host::kForceUnit: a particle moving at one unit per tick feels a drag of
// magnitude damping x k, the size of a field of strength `damping`. Position, time and
// the node's transform do not enter. Damping is never negative.
#pragma once

#include "host/classdesc.h"
#include "host/geometry.h"
#include "host/paramblock.h"

namespace zg::warps {

namespace drag {
inline constexpr host::ParamID kDamping = 0;  // float, default 1, from 0
}  // namespace drag

host::Point3 DragForce(float damping, const host::Point3& velocity);

host::ClassDesc2* DragClassDesc();

}  // namespace zg::warps
