#include "app/warps/vortex.h"

#include <cmath>
#include <new>
#include <numbers>

#include "app/warps/builtin_class_desc.h"
#include "app/warps/builtin_space_warp.h"
#include "app/warps/class_ids.h"
#include "app/warps/param_defs.h"

namespace zg::warps {

namespace {

VortexSettings ReadVortexSettings(host::ParamBlock& block, host::TimeValue t) {
    VortexSettings s;
    s.orbital = block.GetFloat(vortex::kOrbital, t);
    s.radialPull = block.GetFloat(vortex::kRadialPull, t);
    s.axialDrop = block.GetFloat(vortex::kAxialDrop, t);
    return s;
}

class Vortex final : public BuiltinSpaceWarp<VortexField> {
public:
    Vortex() : BuiltinSpaceWarp(VortexClassDesc()) {}

protected:
    // A funnel: a spiral of two turns opening from the axis to radius 0.5 as it rises
    // from z = -0.5 to the XY plane, and the axis below it.
    void BuildIcon(host::TimeValue, Icon& icon) override {
        constexpr int kSteps = 48;
        std::vector<host::Point3> spiral;
        for (int i = 0; i <= kSteps; ++i) {
            const double u = static_cast<double>(i) / kSteps;
            const double angle = 4.0 * std::numbers::pi * u;
            const double radius = 0.05 + 0.45 * u;
            spiral.push_back({static_cast<float>(radius * std::cos(angle)),
                              static_cast<float>(radius * std::sin(angle)), static_cast<float>(0.5 * u - 0.5)});
        }
        icon.Polyline(std::move(spiral));
        icon.Line({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -0.5f});
    }
};

}  // namespace

VortexField VortexField::Read(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node) {
    return VortexField(ReadVortexSettings(block, t), node.GetObjectTM(t));
}

host::ClassDesc2* VortexClassDesc() {
    static BuiltinClassDesc desc("Vortex", host::kWSMObjectSuperClassId, kVortexClassId, kForcesCategory,
                                 []() -> host::Animatable* { return new (std::nothrow) Vortex(); });
    static host::ParamBlockDesc2 block(
        &desc, BuiltinBlockDef(),
        {FloatParam(vortex::kOrbital, "orbital", 1.0f, -kParamLimit, kParamLimit),
         FloatParam(vortex::kRadialPull, "radialPull", 0.5f, -kParamLimit, kParamLimit),
         FloatParam(vortex::kAxialDrop, "axialDrop", 0.0f, -kParamLimit, kParamLimit)});
    return &desc;
}

}  // namespace zg::warps
