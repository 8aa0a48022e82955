#include "app/validate/object_params.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/node.h"

namespace zg::validate {

namespace {

constexpr double kUnrangedLimit = 100.0;
// Integers are drawn from the first values of their range only: counts and
// resolutions multiply, and a few large ones together make an object far too slow to
// draw over and over. Limits are stored by the checks that mean to.
constexpr double kIntegerSpan = 24;

float NearestFloat(double v) {
    if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
    if (v > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    if (v < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

int SaturatedInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(std::lround(v));
}

std::string NodeName(host::SceneNode* node) {
    if (node == nullptr) return "(empty)";
    const char* name = node->GetName();
    return name != nullptr ? name : "(unnamed)";
}

std::string Describe(const ParamSlot& slot, const ParamValue& v) {
    if (!slot.IsTable()) return fmt::format("{}", v.number);
    std::string text = "[";
    for (std::size_t i = 0; i < v.nodes.size(); ++i) text += (i > 0 ? ", " : "") + NodeName(v.nodes[i]);
    return text + "]";
}

}  // namespace

std::string ParamSlot::Label() const {
    if (def->internalName != nullptr && *def->internalName != '\0') return def->internalName;
    return fmt::format("block {} parameter {}", block->ID(), def->id);
}

std::vector<ParamSlot> ParamsOf(host::Object* object) {
    std::vector<ParamSlot> slots;
    for (int b = 0; b < object->NumParamBlocks(); ++b) {
        host::ParamBlock* block = object->GetParamBlock(b);
        if (block == nullptr || block->GetDesc() == nullptr) continue;
        // A block reported twice is listed once.
        if (std::any_of(slots.begin(), slots.end(), [&](const ParamSlot& s) { return s.block == block; })) continue;
        for (const host::ParamDef& def : block->GetDesc()->Params()) slots.push_back({block, &def});
    }
    return slots;
}

bool ParamValue::operator==(const ParamValue& other) const {
    const bool sameNumber = number == other.number || (std::isnan(number) && std::isnan(other.number));
    return sameNumber && nodes == other.nodes;
}

double ReadNumber(const ParamSlot& slot, host::TimeValue t) {
    return slot.def->type == host::TYPE_FLOAT ? slot.block->GetFloat(slot.def->id, t)
                                              : slot.block->GetInt(slot.def->id, t);
}

ParamState ReadState(host::Object* object, host::TimeValue t) {
    ParamState state;
    for (const ParamSlot& slot : ParamsOf(object)) {
        ParamValue v;
        if (slot.IsTable()) {
            for (int i = 0; i < slot.block->Count(slot.def->id); ++i) v.nodes.push_back(slot.block->GetNode(slot.def->id, t, i));
        } else {
            v.number = ReadNumber(slot, t);
        }
        state.push_back(std::move(v));
    }
    return state;
}

int WriteState(host::Object* object, const ParamState& state) {
    const std::vector<ParamSlot> slots = ParamsOf(object);
    int refused = 0;
    for (std::size_t i = 0; i < slots.size() && i < state.size(); ++i) {
        const ParamSlot& slot = slots[i];
        if (!slot.IsTable()) {
            refused += StoreNumber(slot, state[i].number) ? 0 : 1;
            continue;
        }
        const auto& nodes = state[i].nodes;
        refused += slot.block->SetCount(slot.def->id, static_cast<int>(nodes.size())) ? 0 : 1;
        for (std::size_t e = 0; e < nodes.size(); ++e)
            refused += slot.block->SetNode(slot.def->id, 0, nodes[e], static_cast<int>(e)) ? 0 : 1;
    }
    return refused;
}

bool SameState(host::Object* object, const ParamState& got, const ParamState& expected, std::string& difference) {
    const std::vector<ParamSlot> slots = ParamsOf(object);
    if (got.size() != expected.size()) {
        difference = fmt::format("{} parameters where {} were expected", got.size(), expected.size());
        return false;
    }
    for (std::size_t i = 0; i < got.size() && i < slots.size(); ++i) {
        if (got[i] == expected[i]) continue;
        difference = fmt::format("{} is {} where {} was expected", slots[i].Label(), Describe(slots[i], got[i]),
                                 Describe(slots[i], expected[i]));
        return false;
    }
    return true;
}

ParamState RandomState(host::Object* object, const std::vector<host::SceneNode*>& nodes, std::mt19937_64& rng) {
    ParamState state;
    for (const ParamSlot& slot : ParamsOf(object)) {
        ParamValue v;
        if (slot.IsTable()) {
            for (host::SceneNode* node : nodes)
                if (rng() % 2 == 0) v.nodes.push_back(node);
        } else {
            v.number = RandomNumber(*slot.def, rng);
        }
        state.push_back(std::move(v));
    }
    return state;
}

int AppendToTables(host::Object* object, host::SceneNode* node) {
    int took = 0;
    for (const ParamSlot& slot : ParamsOf(object))
        if (slot.IsTable()) took += slot.block->Append(slot.def->id, node) ? 1 : 0;
    return took;
}

bool StoreNumber(const ParamSlot& slot, double value) {
    if (slot.def->type == host::TYPE_FLOAT) return slot.block->SetFloat(slot.def->id, 0, NearestFloat(value));
    return slot.block->SetInt(slot.def->id, 0, SaturatedInt(value));
}

double LowOf(const host::ParamDef& def) { return def.range ? def.range->lo : -kUnrangedLimit; }

double HighOf(const host::ParamDef& def) { return def.range ? def.range->hi : kUnrangedLimit; }

double RandomNumber(const host::ParamDef& def, std::mt19937_64& rng) {
    if (def.type == host::TYPE_BOOL) return static_cast<double>(rng() & 1u);
    const double lo = LowOf(def);
    const double hi = std::max(lo, HighOf(def));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    if (def.type == host::TYPE_FLOAT) return static_cast<float>(lo + (hi - lo) * unit(rng));
    const double top = std::min(hi, std::ceil(lo) + kIntegerSpan);
    return std::floor(std::ceil(lo) + (top - std::ceil(lo) + 1.0) * unit(rng) * (1.0 - 1e-12));
}

}  // namespace zg::validate
