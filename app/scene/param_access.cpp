#include "app/scene/param_access.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>

#include "app/scene/json_numbers.h"
#include "app/scene/scene_file.h"

namespace zg::scene {

namespace {

bool Refused(std::string& error) {
    error = "the parameter refused the value";
    return false;
}

bool StoreTable(Scene& scene, const FoundParam& param, const NodeNames& names, std::string& error) {
    host::ParamBlock& block = *param.block;
    const host::ParamID id = param.def->id;
    if (names.size() > kMaxSceneNodes) {
        error = fmt::format("{} entries, more than the {} a node table may hold", names.size(), kMaxSceneNodes);
        return false;
    }
    std::vector<Node*> nodes;
    for (std::size_t j = 0; j < names.size(); ++j) {
        Node* node = names[j] ? scene.FindNode(*names[j]) : nullptr;
        if (names[j] && node == nullptr) {
            error = fmt::format("[{}]: no node named \"{}\"", j, *names[j]);
            return false;
        }
        nodes.push_back(node);
    }
    std::vector<host::SceneNode*> before;
    for (int j = 0; j < block.Count(id); ++j) before.push_back(block.GetNode(id, 0, j));
    const auto restore = [&] {
        block.SetCount(id, static_cast<int>(before.size()));
        for (std::size_t j = 0; j < before.size(); ++j) block.SetNode(id, 0, before[j], static_cast<int>(j));
    };
    if (!block.SetCount(id, static_cast<int>(nodes.size()))) {
        error = fmt::format("the memory budget of {} bytes has no room for a table of {} entries", host::MemoryBudget(),
                            nodes.size());
        restore();
        return false;
    }
    for (std::size_t j = 0; j < nodes.size(); ++j) {
        if (nodes[j] != nullptr && !block.SetNode(id, 0, nodes[j], static_cast<int>(j))) {
            error = fmt::format("[{}]: node \"{}\" is refused by the parameter", j, *names[j]);
            restore();
            return false;
        }
    }
    return true;
}

}  // namespace

FoundParam FindParam(host::Object* object, std::string_view name) {
    for (int b = 0; object != nullptr && b < object->NumParamBlocks(); ++b) {
        host::ParamBlock* block = object->GetParamBlock(b);
        if (block == nullptr) continue;
        if (const host::ParamDef* def = block->FindParamByName(name); def != nullptr) return {block, def};
    }
    return {};
}

std::vector<std::string> ParamNames(host::Object* object) {
    std::vector<std::string> names;
    for (int b = 0; object != nullptr && b < object->NumParamBlocks(); ++b) {
        host::ParamBlock* block = object->GetParamBlock(b);
        if (block == nullptr || block->GetDesc() == nullptr) continue;
        for (const host::ParamDef& def : block->GetDesc()->Params()) {
            if (def.internalName == nullptr || *def.internalName == '\0') continue;
            if (std::find(names.begin(), names.end(), def.internalName) == names.end()) names.emplace_back(def.internalName);
        }
    }
    return names;
}

std::optional<ParamValue> ReadParam(const FoundParam& param, host::TimeValue t) {
    if (param.def == nullptr) return std::nullopt;
    host::ParamBlock& block = *param.block;
    switch (param.def->type) {
        case host::TYPE_FLOAT: return ParamValue(static_cast<double>(block.GetFloat(param.def->id, t)));
        case host::TYPE_INT: return ParamValue(static_cast<long long>(block.GetInt(param.def->id, t)));
        case host::TYPE_BOOL: return ParamValue(block.GetInt(param.def->id, t) != 0);
        case host::TYPE_INODE_TAB: {
            NodeNames names;
            for (int j = 0; j < block.Count(param.def->id); ++j) {
                host::SceneNode* node = block.GetNode(param.def->id, t, j);
                const char* name = node != nullptr ? node->GetName() : nullptr;
                names.push_back(name != nullptr ? std::optional<std::string>(name) : std::nullopt);
            }
            return ParamValue(std::move(names));
        }
        default: return std::nullopt;
    }
}

bool StoreParam(Scene& scene, const FoundParam& param, const ParamValue& value, std::string& error) {
    host::ParamBlock& block = *param.block;
    const host::ParamID id = param.def->id;
    const auto* number = std::get_if<double>(&value);
    const auto* whole = std::get_if<long long>(&value);
    const auto* flag = std::get_if<bool>(&value);
    switch (param.def->type) {
        case host::TYPE_FLOAT: {
            if (number == nullptr && whole == nullptr) break;
            const std::optional<float> f = JsonToFloat(number != nullptr ? *number : static_cast<double>(*whole));
            if (!f) {
                error = "number is not finite or lies beyond the single-precision range";
                return false;
            }
            return block.SetFloat(id, 0, *f) || Refused(error);
        }
        case host::TYPE_INT: {
            if (number != nullptr && std::isfinite(*number) && *number == std::floor(*number) &&
                std::abs(*number) < 1e18)
                return StoreParam(scene, param, ParamValue(static_cast<long long>(*number)), error);
            if (whole == nullptr) break;
            if (*whole < std::numeric_limits<int>::min() || *whole > std::numeric_limits<int>::max()) {
                error = fmt::format("{} lies outside {} to {}", *whole, std::numeric_limits<int>::min(),
                                    std::numeric_limits<int>::max());
                return false;
            }
            return block.SetInt(id, 0, static_cast<int>(*whole)) || Refused(error);
        }
        case host::TYPE_BOOL:
            if (flag == nullptr) break;
            return block.SetInt(id, 0, *flag ? 1 : 0) || Refused(error);
        case host::TYPE_INODE_TAB:
            if (const auto* names = std::get_if<NodeNames>(&value)) return StoreTable(scene, param, *names, error);
            break;
        default:
            error = "parameters of this type cannot be stored";
            return false;
    }
    static constexpr const char* kExpected[] = {"a number", "a whole number", "true or false", "a list of node names"};
    const int type = param.def->type == host::TYPE_FLOAT ? 0 : param.def->type == host::TYPE_INT ? 1 : param.def->type == host::TYPE_BOOL ? 2 : 3;
    error = fmt::format("expected {}", kExpected[type]);
    return false;
}

}  // namespace zg::scene
