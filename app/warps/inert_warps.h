// Space warps that exert no force: GetForceField gives none. They stand in a scene
// for warps that act on something other than particles.
//   Barrier  a flat rectangle, class (0x1C915E12, 0x5C8E760E)
//   Ripple   concentric rings, class (0x70AB0669, 0x734F496D)
//   Anchor   a diamond; the field viewer accepts it as a force node, and samples
//            nothing from it
// The field viewer refuses Barrier and Ripple nodes by these two class identities.
// Each has one parameter, `size` (float, default 1, from 0): the icon's size in scene
// units.
#pragma once

#include "host/classdesc.h"
#include "host/paramblock.h"

namespace zg::warps {

namespace inert_warp {
inline constexpr host::ParamID kSize = 0;
}  // namespace inert_warp

host::ClassDesc2* BarrierClassDesc();
host::ClassDesc2* RippleClassDesc();
host::ClassDesc2* AnchorClassDesc();

}  // namespace zg::warps
