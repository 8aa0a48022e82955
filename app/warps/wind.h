// Wind: a space warp that pushes away from its node, with turbulence.
//
// With O, z and k = host::kForceUnit as for Gravity (app/warps/gravity.h), the force
// at world position p and time t is the gravity force with the sign reversed,
//   planar:     B = +z x strength x k x exp(-decay x |(p - O) . z|)   (along +Z)
//   spherical:  B = (p - O) / |p - O| x strength x k x exp(-decay x |p - O|)   (outward)
// plus turbulence, faded by the same exp factor:
//   F = B + turbulence x k x exp(...) x N(q, phase)
// where q = (p - O) / scale (scale in scene units: the size of the turbulence's
// features), phase = 2 pi x frequency x seconds (frequency in cycles per second; 4800
// ticks to the second), and N is this smooth, deterministic field with every
// component within [-1, 1]:
//   N.x = (sin(1.31 q.y + 0.73 q.z + phase)       + sin(1.07 q.z - 0.59 q.x + 1.7 phase)) / 2
//   N.y = (sin(1.19 q.z + 0.67 q.x + 1.3 phase)   + sin(1.13 q.x - 0.61 q.y + 0.8 phase)) / 2
//   N.z = (sin(1.23 q.x + 0.79 q.y + 0.9 phase)   + sin(1.03 q.y - 0.71 q.z + 1.1 phase)) / 2
// With frequency 0 the turbulence does not change with time; with turbulence 0 there
// is none. The turbulence moves with the node's origin, not with its rotation.
#pragma once

#include "app/warps/gravity.h"
#include "host/time.h"

namespace zg::warps {

namespace wind {
inline constexpr host::ParamID kStrength = 0;    // float, default 1
inline constexpr host::ParamID kDecay = 1;       // float, default 0, from 0
inline constexpr host::ParamID kSpherical = 2;   // bool, default off
inline constexpr host::ParamID kTurbulence = 3;  // float, default 0
inline constexpr host::ParamID kFrequency = 4;   // float, default 0, from 0 (cycles per second)
inline constexpr host::ParamID kScale = 5;       // float, default 1, from 0.001 (scene units)
}  // namespace wind

struct WindSettings {
    PullSettings push;
    float turbulence = 0.0f;
    float frequency = 0.0f;
    float scale = 1.0f;
};

// The turbulence field N above at q and phase.
host::Point3 TurbulenceNoise(double qx, double qy, double qz, double phase);

host::Point3 WindForce(const WindSettings& settings, const host::Matrix3& nodeTM, const host::Point3& pos,
                       host::TimeValue t);

host::ClassDesc2* WindClassDesc();

}  // namespace zg::warps
