#include "app/warps/gravity.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/force_math.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

host::Point3 GravityForce(const PullSettings& settings, const host::Matrix3& nodeTM, const host::Point3& pos) {
    const NodeFrame frame = FrameOf(nodeTM);
    const double magnitude = static_cast<double>(settings.strength) * host::kForceUnit;
    const Vec3d p(pos);
    if (settings.spherical) {
        const Vec3d toOrigin = frame.origin - p;
        const double distance = Length(toOrigin);
        const Vec3d dir = Normalized(toOrigin);
        return ToForce(dir * (magnitude * DecayFactor(settings.decay, distance)));
    }
    const double distance = std::fabs(Dot(p - frame.origin, frame.zAxis));
    return ToForce(-frame.zAxis * (magnitude * DecayFactor(settings.decay, distance)));
}

namespace {

PullSettings ReadSettings(host::ParamBlock& block, host::TimeValue t) {
    PullSettings s;
    s.strength = block.GetFloat(gravity::kStrength, t);
    s.decay = block.GetFloat(gravity::kDecay, t);
    s.spherical = block.GetInt(gravity::kSpherical, t) != 0;
    return s;
}

host::Point3 FieldForce(const host::Matrix3& nodeTM, host::ParamBlock& block, host::TimeValue t, const host::Point3& pos,
                        const host::Point3&) {
    return GravityForce(ReadSettings(block, t), nodeTM, pos);
}

class Gravity final : public BuiltinSpaceWarp {
public:
    Gravity() : BuiltinSpaceWarp(GravityClassDesc(), FieldForce) {}

protected:
    // Planar: a unit square in the node's XY plane with an arrow down -Z.
    // Spherical: three unit rings with an arrow pointing in at the origin.
    void BuildIcon(host::TimeValue t, Icon& icon) override {
        if (Block() != nullptr && Block()->GetInt(gravity::kSpherical, t) != 0) {
            icon.Circle({}, 0.5f, host::Point3::XAxis, host::Point3::YAxis);
            icon.Circle({}, 0.5f, host::Point3::YAxis, host::Point3::ZAxis);
            icon.Circle({}, 0.5f, host::Point3::ZAxis, host::Point3::XAxis);
            icon.Arrow({0.5f, 0.0f, 0.0f}, {0.1f, 0.0f, 0.0f}, 0.12f);
        } else {
            icon.SquareXY(1.0f);
            icon.Arrow({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -0.6f}, 0.15f);
        }
    }
};

}  // namespace

host::ClassDesc2* GravityClassDesc() {
    static BuiltinClassDesc desc("Gravity", host::kWSMObjectSuperClassId, kGravityClassId, kForcesCategory,
                                 []() -> host::Animatable* { return new (std::nothrow) Gravity(); });
    static host::ParamBlockDesc2 block(&desc, BuiltinBlockDef(),
                                       {FloatParam(gravity::kStrength, "strength", 1.0f, -kParamLimit, kParamLimit),
                                        FloatParam(gravity::kDecay, "decay", 0.0f, 0.0, kParamLimit),
                                        BoolParam(gravity::kSpherical, "spherical", false)});
    return &desc;
}

}  // namespace zg::warps
