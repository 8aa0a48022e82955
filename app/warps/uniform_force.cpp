#include "app/warps/uniform_force.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/force_math.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

host::Point3 UniformForce(float strength, const host::Point3& direction) {
    return ToForce(Normalized(Vec3d(direction)) * (static_cast<double>(strength) * host::kForceUnit));
}

namespace {

host::Point3 ReadDirection(host::ParamBlock& block, host::TimeValue t) {
    return {block.GetFloat(uniform_force::kDirectionX, t), block.GetFloat(uniform_force::kDirectionY, t),
            block.GetFloat(uniform_force::kDirectionZ, t)};
}

class UniformForceObject final : public BuiltinSpaceWarp<UniformForceField> {
public:
    UniformForceObject() : BuiltinSpaceWarp(UniformForceClassDesc()) {}

protected:
    // An arrow of length 1 along the direction in world space, from a small ring
    // across it; a plus sign when the direction is zero.
    void BuildIcon(host::TimeValue t, Icon& icon) override {
        const host::Point3 dir =
            Block() != nullptr ? ToForce(Normalized(Vec3d(ReadDirection(*Block(), t)))) : host::Point3();
        if (host::LengthSquared(dir) == 0.0f) {
            icon.Line({-0.2f, 0.0f, 0.0f}, {0.2f, 0.0f, 0.0f});
            icon.Line({0.0f, -0.2f, 0.0f}, {0.0f, 0.2f, 0.0f});
            icon.Line({0.0f, 0.0f, -0.2f}, {0.0f, 0.0f, 0.2f});
            return;
        }
        icon.Arrow({}, dir, 0.2f);
        const host::Point3 helper = std::fabs(dir.z) < 0.9f ? host::Point3::ZAxis : host::Point3::XAxis;
        const host::Point3 u = host::Normalize(host::CrossProd(dir, helper));
        icon.Circle({}, 0.15f, u, host::CrossProd(dir, u), 12);
    }
    // World axes at the node's position: the direction is a world direction.
    host::Matrix3 IconTransform(host::TimeValue t, host::SceneNode* node) override {
        return host::Matrix3::Translation(node->GetObjectTM(t).GetTrans());
    }
    bool IconFollowsNode() override { return false; }
};

}  // namespace

UniformForceField UniformForceField::Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode&) {
    return UniformForceField(UniformForce(block.GetFloat(uniform_force::kStrength, t), ReadDirection(block, t)));
}

host::ClassDesc2* UniformForceClassDesc() {
    static BuiltinClassDesc desc("UniformForce", host::kWSMObjectSuperClassId, kUniformForceClassId, kForcesCategory,
                                 []() -> host::Animatable* { return new (std::nothrow) UniformForceObject(); });
    static host::ParamBlockDesc2 block(
        &desc, BuiltinBlockDef(),
        {FloatParam(uniform_force::kStrength, "strength", 1.0f, -kParamLimit, kParamLimit),
         FloatParam(uniform_force::kDirectionX, "directionX", 0.0f, -kParamLimit, kParamLimit),
         FloatParam(uniform_force::kDirectionY, "directionY", 0.0f, -kParamLimit, kParamLimit),
         FloatParam(uniform_force::kDirectionZ, "directionZ", -1.0f, -kParamLimit, kParamLimit)});
    return &desc;
}

}  // namespace zg::warps
