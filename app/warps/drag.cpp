#include "app/warps/drag.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_object.h"
#include "app/warps/class_ids.h"
#include "app/warps/force_math.h"
#include "app/warps/param_defs.h"
#include "host/forcefield.h"

namespace zg::warps {

host::Point3 DragForce(float damping, const host::Point3& velocity) {
    return ToForce(Vec3d(velocity) * (-static_cast<double>(damping) * host::kForceUnit));
}

namespace {

class DragField final : public host::ForceField {
public:
    explicit DragField(host::ParamBlock* block) : block_(block) {}
    host::Point3 Force(host::TimeValue t, const host::Point3&, const host::Point3& vel, int) override {
        return DragForce(block_->GetFloat(drag::kDamping, t), vel);
    }

private:
    host::ParamBlock* block_;
};

class Drag final : public BuiltinObject<host::WSMObject> {
public:
    Drag() : BuiltinObject(DragClassDesc()) {}

    host::ForceField* GetForceField(host::SceneNode* node) override {
        if (node == nullptr || Block() == nullptr) return nullptr;
        return new (std::nothrow) DragField(Block());
    }

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
