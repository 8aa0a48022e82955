#include "app/warps/wind.h"

#include <cmath>
#include <new>
#include <numbers>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

namespace {

constexpr double kMinScale = 0.001;

WindSettings ReadWindSettings(host::ParamBlock& block, host::TimeValue t) {
    WindSettings s;
    s.push.strength = block.GetFloat(wind::kStrength, t);
    s.push.decay = block.GetFloat(wind::kDecay, t);
    s.push.spherical = block.GetInt(wind::kSpherical, t) != 0;
    s.turbulence = block.GetFloat(wind::kTurbulence, t);
    s.frequency = block.GetFloat(wind::kFrequency, t);
    s.scale = block.GetFloat(wind::kScale, t);
    return s;
}

// A scale below the smallest feature size, or not a number, counts as the smallest.
double FeatureScale(float scale) { return std::isfinite(scale) && scale >= kMinScale ? scale : kMinScale; }

// 2 pi x frequency x seconds; 0 where that is not finite.
double Phase(float frequency, host::TimeValue t) {
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(frequency) * Seconds(t);
    return std::isfinite(phase) ? phase : 0.0;
}

}  // namespace

WindField::WindField(const WindSettings& settings, const host::Matrix3& nodeTM, host::TimeValue t)
    : frame_(FrameOf(nodeTM)),
      push_(static_cast<double>(settings.push.strength) * host::kForceUnit),
      decay_(settings.push.decay),
      spherical_(settings.push.spherical),
      turbulent_(settings.turbulence != 0.0f),
      turbulence_(static_cast<double>(settings.turbulence) * host::kForceUnit),
      inverseScale_(1.0 / FeatureScale(settings.scale)),
      phase_(Phase(settings.frequency, t)),
      uniform_(!spherical_ && !turbulent_ && !(decay_ > 0.0)),
      constant_(uniform_ ? ToForce(frame_.zAxis * push_) : host::Point3()) {}

WindField WindField::Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node) {
    return WindField(ReadWindSettings(block, t), node.GetObjectTM(t), t);
}

namespace {

class Wind final : public BuiltinSpaceWarp<WindField> {
public:
    Wind() : BuiltinSpaceWarp(WindClassDesc()) {}

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
