// BuiltinSpaceWarp: a built-in space warp that exerts a force. Each force field it
// hands out is bound to the node it was asked for and to the warp's parameter block,
// and evaluates the warp's force formula with the parameters as they are at each call.
#pragma once

#include <new>

#include "app/warps/builtin_object.h"
#include "host/forcefield.h"
#include "host/node.h"
#include "host/object.h"
#include "host/paramblock.h"

namespace zg::warps {

// The force of a warp at time t on a particle at world position `pos` moving with
// `vel`, for a field bound to `node` and the warp's `block`.
using ForceFormula = host::Point3 (*)(host::SceneNode& node, host::ParamBlock& block, host::TimeValue t,
                                      const host::Point3& pos, const host::Point3& vel);

// A field of a BuiltinSpaceWarp. It owns neither the node nor the block: the caller
// releases it before either goes.
class BuiltinForceField final : public host::ForceField {
public:
    BuiltinForceField(ForceFormula formula, host::SceneNode& node, host::ParamBlock& block)
        : formula_(formula), node_(node), block_(block) {}
    host::Point3 Force(host::TimeValue t, const host::Point3& pos, const host::Point3& vel, int) override {
        return formula_(node_, block_, t, pos, vel);
    }

private:
    ForceFormula formula_;
    host::SceneNode& node_;
    host::ParamBlock& block_;
};

class BuiltinSpaceWarp : public BuiltinObject<host::WSMObject> {
public:
    BuiltinSpaceWarp(host::ClassDesc2* desc, ForceFormula formula) : BuiltinObject(desc), formula_(formula) {}

    // None without a node or a parameter block.
    host::ForceField* GetForceField(host::SceneNode* node) override {
        if (node == nullptr || Block() == nullptr) return nullptr;
        return new (std::nothrow) BuiltinForceField(formula_, *node, *Block());
    }

private:
    ForceFormula formula_;
};

}  // namespace zg::warps
