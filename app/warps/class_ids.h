// Class identities of the host's built-in object classes, kept in one place so that
// none collides with another or with a module's. Barrier and Ripple carry the two
// space-warp identities that the SDK names as refused force nodes.
#pragma once

#include "host/classid.h"

namespace zg::warps {

inline constexpr host::Class_ID kGravityClassId{0x5A470101, 0x2C6B1E01};
inline constexpr host::Class_ID kWindClassId{0x5A470102, 0x2C6B1E02};
inline constexpr host::Class_ID kVortexClassId{0x5A470103, 0x2C6B1E03};
inline constexpr host::Class_ID kDragClassId{0x5A470104, 0x2C6B1E04};
inline constexpr host::Class_ID kUniformForceClassId{0x5A470105, 0x2C6B1E05};
inline constexpr host::Class_ID kBarrierClassId = host::kBarrierClassId;
inline constexpr host::Class_ID kRippleClassId = host::kRippleClassId;
inline constexpr host::Class_ID kAnchorClassId{0x5A470108, 0x2C6B1E08};
inline constexpr host::Class_ID kPointClassId{0x5A470109, 0x2C6B1E09};

}  // namespace zg::warps
