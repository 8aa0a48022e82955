#include "app/warps/inert_warps.h"

#include <new>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_object.h"
#include "app/warps/class_ids.h"
#include "app/warps/param_defs.h"

namespace zg::warps {
namespace {

using IconBuilder = void (*)(float size, Icon& icon);

void BarrierIcon(float size, Icon& icon) {
    const float h = size * 0.5f;
    icon.Polyline({{-h, -h * 0.6f, 0.0f}, {h, -h * 0.6f, 0.0f}, {h, h * 0.6f, 0.0f}, {-h, h * 0.6f, 0.0f}}, true);
    icon.Line({-h, -h * 0.6f, 0.0f}, {h, h * 0.6f, 0.0f});
    icon.Line({-h, h * 0.6f, 0.0f}, {h, -h * 0.6f, 0.0f});
}

void RippleIcon(float size, Icon& icon) {
    for (float r : {0.2f, 0.35f, 0.5f}) icon.Circle({}, r * size, host::Point3::XAxis, host::Point3::YAxis);
}

void AnchorIcon(float size, Icon& icon) {
    const float h = size * 0.5f;
    icon.Polyline({{h, 0.0f, 0.0f}, {0.0f, h, 0.0f}, {-h, 0.0f, 0.0f}, {0.0f, -h, 0.0f}}, true);
    icon.Polyline({{h, 0.0f, 0.0f}, {0.0f, 0.0f, h}, {-h, 0.0f, 0.0f}, {0.0f, 0.0f, -h}}, true);
    icon.Polyline({{0.0f, h, 0.0f}, {0.0f, 0.0f, h}, {0.0f, -h, 0.0f}, {0.0f, 0.0f, -h}}, true);
}

// A space warp without a force field, told apart by its descriptor and icon.
template <host::ClassDesc2* (*DescFn)(), IconBuilder BuildFn>
class InertWarp final : public BuiltinObject<host::WSMObject> {
public:
    InertWarp() : BuiltinObject(DescFn()) {}

protected:
    void BuildIcon(host::TimeValue t, Icon& icon) override {
        BuildFn(Block() != nullptr ? Block()->GetFloat(inert_warp::kSize, t) : 1.0f, icon);
    }
};

std::vector<host::ParamDef> SizeParam() { return {FloatParam(inert_warp::kSize, "size", 1.0f, 0.0, kParamLimit)}; }

}  // namespace

host::ClassDesc2* BarrierClassDesc() {
    static BuiltinClassDesc desc(
        "Barrier", host::kWSMObjectSuperClassId, kBarrierClassId, kSpaceWarpsCategory,
        []() -> host::Animatable* { return new (std::nothrow) InertWarp<BarrierClassDesc, BarrierIcon>(); });
    static host::ParamBlockDesc2 block(&desc, BuiltinBlockDef(), SizeParam());
    return &desc;
}

host::ClassDesc2* RippleClassDesc() {
    static BuiltinClassDesc desc(
        "Ripple", host::kWSMObjectSuperClassId, kRippleClassId, kSpaceWarpsCategory,
        []() -> host::Animatable* { return new (std::nothrow) InertWarp<RippleClassDesc, RippleIcon>(); });
    static host::ParamBlockDesc2 block(&desc, BuiltinBlockDef(), SizeParam());
    return &desc;
}

host::ClassDesc2* AnchorClassDesc() {
    static BuiltinClassDesc desc(
        "Anchor", host::kWSMObjectSuperClassId, kAnchorClassId, kSpaceWarpsCategory,
        []() -> host::Animatable* { return new (std::nothrow) InertWarp<AnchorClassDesc, AnchorIcon>(); });
    static host::ParamBlockDesc2 block(&desc, BuiltinBlockDef(), SizeParam());
    return &desc;
}

}  // namespace zg::warps
