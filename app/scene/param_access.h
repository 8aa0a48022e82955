// Reading and storing an object's parameters by internal name, the way the scene
// file does: every store goes through the parameter block (accessor, validator for
// node tables, change notification), so a clamped value reads back clamped and a
// node the block refuses is refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/scene/scene.h"
#include "host/paramblock.h"

namespace zg::scene {

// One parameter: the block that holds it and its definition; both none when the
// object has no parameter of that name.
struct FoundParam {
    host::ParamBlock* block = nullptr;
    const host::ParamDef* def = nullptr;
};

// The first parameter named `name` over the object's blocks, in block order.
FoundParam FindParam(host::Object* object, std::string_view name);

// The internal names of every parameter of the object, each once, in block order.
std::vector<std::string> ParamNames(host::Object* object);

// A node table as names; none for an empty entry.
using NodeNames = std::vector<std::optional<std::string>>;
// A parameter's value: float, integer, switch or node table.
using ParamValue = std::variant<double, long long, bool, NodeNames>;

// The value at time t; none for a type the scene file cannot hold either.
std::optional<ParamValue> ReadParam(const FoundParam& param, host::TimeValue t);

// Stores `value` at time 0 (parameters are not animated in a scene file), its type
// converted as the scene file converts it: a whole number serves a float, true and
// false serve only a switch, a node table takes names of nodes of `scene`. False,
// with a one-line reason, when the value has the wrong type or lies beyond what the
// parameter holds, a node is missing, or the block refuses it; a refused node table
// is put back as it was.
bool StoreParam(Scene& scene, const FoundParam& param, const ParamValue& value, std::string& error);

}  // namespace zg::scene
