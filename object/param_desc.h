// Parameter block 0 of a Zentrograph object: the ids of its ten parameters, its
// ranges and defaults. The description itself is a module-global in param_desc.cpp.
#pragma once

#include "host/paramblock.h"

namespace zentrograph {

inline constexpr host::BlockID kParamBlockId = 0;

// Parameter ids of block 0. Sizes are plain floats, not scene distances; the three
// resolutions count samples along their axis.
enum ZentrographParamId : host::ParamID {
    kSizeX = 0,
    kSizeY = 1,
    kSizeZ = 2,
    kResolutionX = 3,
    kResolutionY = 4,
    kResolutionZ = 5,
    kForceNodes = 6,
    kVectorScale = 7,
    kDisplayVectorBases = 8,
    kDisplayLattice = 9,
};

inline constexpr float kSizeMin = 0.0f;
inline constexpr float kSizeMax = 999999.0f;
inline constexpr int kResolutionMin = 1;
inline constexpr int kResolutionMax = 999;
inline constexpr float kVectorScaleMin = -999999.0f;
inline constexpr float kVectorScaleMax = 999999.0f;

inline constexpr float kDefaultSize = 1.0f;
inline constexpr int kDefaultResolutionXY = 51;
// A new object samples a flat lattice in its XY plane.
inline constexpr int kDefaultResolutionZ = 1;
inline constexpr float kDefaultVectorScale = 10.0f;

}  // namespace zentrograph
