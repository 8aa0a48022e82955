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

#include <cmath>

#include "app/warps/force_math.h"
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

// The phase terms of N, one per sine, for one phase.
struct TurbulencePhase {
    explicit TurbulencePhase(double phase)
        : x1(phase), x2(1.7 * phase), y1(1.3 * phase), y2(0.8 * phase), z1(0.9 * phase), z2(1.1 * phase) {}
    double x1, x2, y1, y2, z1, z2;
};

// The turbulence field N above at q for the phase terms of one phase.
inline host::Point3 TurbulenceNoise(double qx, double qy, double qz, const TurbulencePhase& phase) {
    const double x = 0.5 * (std::sin(1.31 * qy + 0.73 * qz + phase.x1) + std::sin(1.07 * qz - 0.59 * qx + phase.x2));
    const double y = 0.5 * (std::sin(1.19 * qz + 0.67 * qx + phase.y1) + std::sin(1.13 * qx - 0.61 * qy + phase.y2));
    const double z = 0.5 * (std::sin(1.23 * qx + 0.79 * qy + phase.z1) + std::sin(1.03 * qy - 0.71 * qz + phase.z2));
    return ToForce({x, y, z});
}

// The wind force above for one time: settings, node transform and phase held,
// evaluated per position. A planar push without decay or turbulence is the same
// everywhere and is computed once.
class WindField {
public:
    WindField(const WindSettings& settings, const host::Matrix3& nodeTM, host::TimeValue t);
    // The warp's block and node at time t.
    static WindField Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node);

    host::Point3 At(const host::Point3& pos, const host::Point3& = {}) const {
        if (uniform_) return constant_;
        const Vec3d offset = Vec3d(pos) - frame_.origin;
        const double distance = spherical_ ? Length(offset) : std::fabs(Dot(offset, frame_.zAxis));
        const double fade = DecayFactor(decay_, distance);
        const Vec3d dir = spherical_ ? Normalized(offset) : frame_.zAxis;
        Vec3d force = dir * (push_ * fade);
        if (turbulent_ && fade > 0.0) {
            const Vec3d q = offset * inverseScale_;
            const Vec3d n(TurbulenceNoise(q.x, q.y, q.z, phase_));
            force = force + n * (turbulence_ * fade);
        }
        return ToForce(force);
    }

private:
    NodeFrame frame_;
    double push_;        // strength x k
    double decay_;
    bool spherical_;
    bool turbulent_;     // turbulence is not 0
    double turbulence_;  // turbulence x k
    double inverseScale_;
    TurbulencePhase phase_;
    bool uniform_;
    host::Point3 constant_;  // the force everywhere, when uniform_
};

host::ClassDesc2* WindClassDesc();

}  // namespace zg::warps
