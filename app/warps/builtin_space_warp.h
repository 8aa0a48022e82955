// BuiltinSpaceWarp: a built-in space warp that exerts a force. Each force field it
// hands out is bound to the node it was asked for and to the warp's parameter block,
// and evaluates the warp's force formula with the parameters as they are at each call
// and the node's transform at the call's time.
#pragma once

#include <new>

#include "app/warps/builtin_object.h"
#include "host/forcefield.h"
#include "host/node.h"
#include "host/object.h"
#include "host/paramblock.h"

namespace zg::warps {

// The force of a warp at time t on a particle at world position `pos` moving with
// `vel`, for a field whose node has the object-to-world transform `nodeTM` at t and
// whose warp has the parameter block `block`.
using ForceFormula = host::Point3 (*)(const host::Matrix3& nodeTM, host::ParamBlock& block, host::TimeValue t,
                                      const host::Point3& pos, const host::Point3& vel);

// A field of a BuiltinSpaceWarp. It owns neither the node nor the block: the caller
// releases it before either goes. A field serves one pass of a sampler, which asks
// for thousands of positions at one time; the node's transform is therefore taken once
// per time, not once per position (nothing can move the node while the field is used).
class BuiltinForceField final : public host::ForceField {
public:
    BuiltinForceField(ForceFormula formula, host::SceneNode& node, host::ParamBlock& block)
        : formula_(formula), node_(node), block_(block) {}
    host::Point3 Force(host::TimeValue t, const host::Point3& pos, const host::Point3& vel, int) override {
        if (!haveTM_ || tmTime_ != t) {
            nodeTM_ = node_.GetObjectTM(t);
            tmTime_ = t;
            haveTM_ = true;
        }
        return formula_(nodeTM_, block_, t, pos, vel);
    }

private:
    ForceFormula formula_;
    host::SceneNode& node_;
    host::ParamBlock& block_;
    host::Matrix3 nodeTM_;
    host::TimeValue tmTime_ = 0;
    bool haveTM_ = false;
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
