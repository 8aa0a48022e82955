// BuiltinSpaceWarp: a built-in space warp that exerts a force. Each force field it
// hands out is bound to the node it was asked for and to the warp's parameter block.
// A field serves one sampling pass, which asks for thousands of positions at one time:
// it reads the parameters and the node's transform once for each time it is asked at,
// keeps what follows from them in the warp's force law, and per position evaluates
// only what depends on the position (nothing can change the node or the block while
// the field is in use).
#pragma once

#include <concepts>
#include <new>
#include <optional>

#include "app/warps/builtin_object.h"
#include "host/forcefield.h"
#include "host/node.h"
#include "host/object.h"
#include "host/paramblock.h"

namespace zg::warps {

// A warp's force formula with everything that does not depend on the particle held:
// `Read` takes the block's values and the node's transform at t, `At` gives the force
// on a particle at a world position moving with a velocity.
template <typename Law>
concept ForceLaw = requires(host::ParamBlock& block, host::TimeValue t, host::SceneNode& node, const Law& law,
                            const host::Point3& p) {
    { Law::Read(block, t, node) } -> std::same_as<Law>;
    { law.At(p, p) } -> std::same_as<host::Point3>;
};

// A field of a BuiltinSpaceWarp. It owns neither the node nor the block: the caller
// releases it before either goes.
template <ForceLaw Law>
class BuiltinForceField final : public host::ForceField {
public:
    BuiltinForceField(host::SceneNode& node, host::ParamBlock& block) : node_(node), block_(block) {}
    host::Point3 Force(host::TimeValue t, const host::Point3& pos, const host::Point3& vel, int) override {
        if (!law_ || time_ != t) [[unlikely]]
            Read(t);
        return law_->At(pos, vel);
    }

private:
    // Out of line, so that the per-sample path keeps its values in registers.
    [[gnu::noinline]] void Read(host::TimeValue t) {
        law_.emplace(Law::Read(block_, t, node_));
        time_ = t;
    }

    host::SceneNode& node_;
    host::ParamBlock& block_;
    std::optional<Law> law_;  // the law at time_, once asked
    host::TimeValue time_ = 0;
};

template <ForceLaw Law>
class BuiltinSpaceWarp : public BuiltinObject<host::WSMObject> {
public:
    explicit BuiltinSpaceWarp(host::ClassDesc2* desc) : BuiltinObject(desc) {}

    // None without a node or a parameter block.
    host::ForceField* GetForceField(host::SceneNode* node) override {
        if (node == nullptr || Block() == nullptr) return nullptr;
        return new (std::nothrow) BuiltinForceField<Law>(*node, *Block());
    }
};

}  // namespace zg::warps
