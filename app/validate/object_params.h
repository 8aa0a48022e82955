// An object's parameters as the validator reaches them: through the blocks the object
// reports (NumParamBlocks, GetParamBlock) and their descriptions, never through the
// object's own headers. Reading, storing and comparing whole states, and choosing
// values to store.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "host/object.h"
#include "host/paramblock.h"

namespace zg::validate {

// One parameter of one of an object's blocks.
struct ParamSlot {
    host::ParamBlock* block = nullptr;
    const host::ParamDef* def = nullptr;

    bool IsTable() const { return def->type == host::TYPE_INODE_TAB; }
    // The internal name, or "block B parameter P" for a parameter without one.
    std::string Label() const;
};

// Every parameter of every block the object reports, blocks in order, parameters in
// declaration order.
std::vector<ParamSlot> ParamsOf(host::Object* object);

// One parameter's value: a number for scalars, the entries for node tables.
struct ParamValue {
    double number = 0.0;
    std::vector<host::SceneNode*> nodes;
    // Numbers compare by value, NaN equal to NaN.
    bool operator==(const ParamValue& other) const;
};

// Every parameter's value at t, parallel to ParamsOf.
using ParamState = std::vector<ParamValue>;
ParamState ReadState(host::Object* object, host::TimeValue t = 0);
// Stores every value of `state` (tables entry by entry); answers how many stores the
// object's blocks refused.
int WriteState(host::Object* object, const ParamState& state);
// True when the two states hold the same values; otherwise false, with the first
// parameter whose values differ in `difference`: "sizeX is 3 where 4 was expected".
bool SameState(host::Object* object, const ParamState& got, const ParamState& expected, std::string& difference);

// A state of random values for `object`'s parameters: numbers from RandomNumber,
// tables holding a random choice of `nodes` (the block may refuse some when stored).
ParamState RandomState(host::Object* object, const std::vector<host::SceneNode*>& nodes, std::mt19937_64& rng);
// Appends `node` to every node table of the object; answers how many took it.
int AppendToTables(host::Object* object, host::SceneNode* node);

// Stores `value` through the block as the parameter's own type: floats as the nearest
// float (beyond the float range: an infinity), integers and switches saturated to the
// int range (NaN: 0). Answers the block's answer.
bool StoreNumber(const ParamSlot& slot, double value);
// The number a parameter that is not a node table holds at t.
double ReadNumber(const ParamSlot& slot, host::TimeValue t = 0);
// A value within the parameter's range (switches 0 or 1; unranged numbers within
// -100..100). Integers come from the first 25 values of their range, so that counts
// and resolutions that multiply stay quick to draw.
double RandomNumber(const host::ParamDef& def, std::mt19937_64& rng);
// The bounds a check may use for a numeric parameter: its range, or -100..100.
double LowOf(const host::ParamDef& def);
double HighOf(const host::ParamDef& def);

}  // namespace zg::validate
