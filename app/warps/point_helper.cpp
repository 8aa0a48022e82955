#include "app/warps/point_helper.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_object.h"
#include "app/warps/class_ids.h"
#include "app/warps/param_defs.h"

namespace zg::warps {
namespace {

class PointHelper final : public BuiltinObject<host::HelperObject> {
public:
    PointHelper() : BuiltinObject(PointClassDesc()) {}

protected:
    void BuildIcon(host::TimeValue t, Icon& icon) override {
        const float h = (Block() != nullptr ? Block()->GetFloat(point_helper::kSize, t) : 1.0f) * 0.5f;
        icon.Line({-h, 0.0f, 0.0f}, {h, 0.0f, 0.0f});
        icon.Line({0.0f, -h, 0.0f}, {0.0f, h, 0.0f});
        icon.Line({0.0f, 0.0f, -h}, {0.0f, 0.0f, h});
    }
};

}  // namespace

host::ClassDesc2* PointClassDesc() {
    static BuiltinClassDesc desc("Point", host::kHelperSuperClassId, kPointClassId, kHelpersCategory,
                                 []() -> host::Animatable* { return new (std::nothrow) PointHelper(); });
    static host::ParamBlockDesc2 block(&desc, BuiltinBlockDef(),
                                       {FloatParam(point_helper::kSize, "size", 1.0f, 0.0, kParamLimit)});
    return &desc;
}

}  // namespace zg::warps
