#include "app/warps/gravity.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

namespace {

PullSettings ReadGravitySettings(host::ParamBlock& block, host::TimeValue t) {
    PullSettings s;
    s.strength = block.GetFloat(gravity::kStrength, t);
    s.decay = block.GetFloat(gravity::kDecay, t);
    s.spherical = block.GetInt(gravity::kSpherical, t) != 0;
    return s;
}

class Gravity final : public BuiltinSpaceWarp<GravityField> {
public:
    Gravity() : BuiltinSpaceWarp(GravityClassDesc()) {}

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

GravityField GravityField::Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node) {
    return GravityField(ReadGravitySettings(block, t), node.GetObjectTM(t));
}

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
