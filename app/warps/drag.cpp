#include "app/warps/drag.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

DragField DragField::Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode&) {
    return DragField(block.GetFloat(drag::kDamping, t));
}

namespace {

class Drag final : public BuiltinSpaceWarp<DragField> {
public:
    Drag() : BuiltinSpaceWarp(DragClassDesc()) {}

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
