#include "app/warps/drag.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/force_math.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

host::Point3 DragForce(float damping, const host::Point3& velocity) {
    return ToForce(Vec3d(velocity) * (-static_cast<double>(damping) * host::kForceUnit));
}

namespace {

host::Point3 FieldForce(const host::Matrix3&, host::ParamBlock& block, host::TimeValue t, const host::Point3&,
                        const host::Point3& vel) {
    return DragForce(block.GetFloat(drag::kDamping, t), vel);
}

class Drag final : public BuiltinSpaceWarp {
public:
    Drag() : BuiltinSpaceWarp(DragClassDesc(), FieldForce) {}

protected:
    // A cube of side 0.8 with a smaller one inside it.
    void BuildIcon(host::TimeValue, Icon& icon) override {
        icon.Cube(0.8f);
        icon.Cube(0.4f);
    }
};

}  // namespace

host::ClassDesc2* DragClassDesc() {
    static BuiltinClassDesc desc("Drag", host::kWSMObjectSuperClassId, kDragClassId, kForcesCategory,
                                 []() -> host::Animatable* { return new (std::nothrow) Drag(); });
    static host::ParamBlockDesc2 block(&desc, BuiltinBlockDef(),
                                       {FloatParam(drag::kDamping, "damping", 1.0f, 0.0, kParamLimit)});
    return &desc;
}

}  // namespace zg::warps
