// Point: the host's plain helper, a marker of a place in the scene (super class 0x50).
// It draws three axis lines through its origin; `size` (float, default 1, from 0) is
// their length in scene units. It exerts no force.
#pragma once

#include "host/classdesc.h"
#include "host/paramblock.h"

namespace zg::warps {

namespace point_helper {
inline constexpr host::ParamID kSize = 0;
}  // namespace point_helper

host::ClassDesc2* PointClassDesc();

}  // namespace zg::warps
