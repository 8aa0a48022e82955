#include "app/warps/wind.h"

#include <cmath>
#include <new>
#include <numbers>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/force_math.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

namespace {
constexpr double kMinScale = 0.001;
}  // namespace

host::Point3 TurbulenceNoise(double qx, double qy, double qz, double phase) {
    const double x = 0.5 * (std::sin(1.31 * qy + 0.73 * qz + phase) + std::sin(1.07 * qz - 0.59 * qx + 1.7 * phase));
    const double y = 0.5 * (std::sin(1.19 * qz + 0.67 * qx + 1.3 * phase) + std::sin(1.13 * qx - 0.61 * qy + 0.8 * phase));
    const double z = 0.5 * (std::sin(1.23 * qx + 0.79 * qy + 0.9 * phase) + std::sin(1.03 * qy - 0.71 * qz + 1.1 * phase));
    return ToForce({x, y, z});
}

host::Point3 WindForce(const WindSettings& settings, const host::Matrix3& nodeTM, const host::Point3& pos,
                       host::TimeValue t) {
    const NodeFrame frame = FrameOf(nodeTM);
    const Vec3d offset = Vec3d(pos) - frame.origin;
    const double distance = settings.push.spherical ? Length(offset) : std::fabs(Dot(offset, frame.zAxis));
    const double fade = DecayFactor(settings.push.decay, distance);
    const Vec3d dir = settings.push.spherical ? Normalized(offset) : frame.zAxis;
    Vec3d force = dir * (static_cast<double>(settings.push.strength) * host::kForceUnit * fade);

    if (settings.turbulence != 0.0f && fade > 0.0) {
        const double scale = std::isfinite(settings.scale) && settings.scale >= kMinScale ? settings.scale : kMinScale;
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(settings.frequency) * Seconds(t);
        const Vec3d q = offset * (1.0 / scale);
        const Vec3d n(TurbulenceNoise(q.x, q.y, q.z, std::isfinite(phase) ? phase : 0.0));
        force = force + n * (static_cast<double>(settings.turbulence) * host::kForceUnit * fade);
    }
    return ToForce(force);
}

namespace {

WindSettings ReadSettings(host::ParamBlock& block, host::TimeValue t) {
    WindSettings s;
    s.push.strength = block.GetFloat(wind::kStrength, t);
    s.push.decay = block.GetFloat(wind::kDecay, t);
    s.push.spherical = block.GetInt(wind::kSpherical, t) != 0;
    s.turbulence = block.GetFloat(wind::kTurbulence, t);
    s.frequency = block.GetFloat(wind::kFrequency, t);
    s.scale = block.GetFloat(wind::kScale, t);
    return s;
}

host::Point3 FieldForce(const host::Matrix3& nodeTM, host::ParamBlock& block, host::TimeValue t, const host::Point3& pos,
                        const host::Point3&) {
    return WindForce(ReadSettings(block, t), nodeTM, pos, t);
}

class Wind final : public BuiltinSpaceWarp {
public:
    Wind() : BuiltinSpaceWarp(WindClassDesc(), FieldForce) {}

protected:
    // Planar: a unit square with an arrow up +Z and a wavy streamer beside it.
    // Spherical: a unit ring in each axis plane with an arrow pointing outward.
    void BuildIcon(host::TimeValue t, Icon& icon) override {
        if (Block() != nullptr && Block()->GetInt(wind::kSpherical, t) != 0) {
            icon.Circle({}, 0.5f, host::Point3::XAxis, host::Point3::YAxis);
            icon.Circle({}, 0.5f, host::Point3::YAxis, host::Point3::ZAxis);
            icon.Circle({}, 0.5f, host::Point3::ZAxis, host::Point3::XAxis);
            icon.Arrow({0.1f, 0.0f, 0.0f}, {0.75f, 0.0f, 0.0f}, 0.12f);
            return;
        }
        icon.SquareXY(1.0f);
        icon.Arrow({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.6f}, 0.15f);
        std::vector<host::Point3> streamer;
        for (int i = 0; i <= 12; ++i) {
            const float z = 0.05f * static_cast<float>(i);
            streamer.push_back({0.25f + 0.06f * std::sin(static_cast<float>(i) * 1.2f), 0.0f, z});
        }
        icon.Polyline(std::move(streamer));
    }
};

}  // namespace

host::ClassDesc2* WindClassDesc() {
    static BuiltinClassDesc desc("Wind", host::kWSMObjectSuperClassId, kWindClassId, kForcesCategory,
                                 []() -> host::Animatable* { return new (std::nothrow) Wind(); });
    static host::ParamBlockDesc2 block(&desc, BuiltinBlockDef(),
                                       {FloatParam(wind::kStrength, "strength", 1.0f, -kParamLimit, kParamLimit),
                                        FloatParam(wind::kDecay, "decay", 0.0f, 0.0, kParamLimit),
                                        BoolParam(wind::kSpherical, "spherical", false),
                                        FloatParam(wind::kTurbulence, "turbulence", 0.0f, -kParamLimit, kParamLimit),
                                        FloatParam(wind::kFrequency, "frequency", 0.0f, 0.0, kParamLimit),
                                        FloatParam(wind::kScale, "scale", 1.0f, kMinScale, kParamLimit)});
    return &desc;
}

}  // namespace zg::warps
