#include "app/warps/param_defs.h"

#include "app/warps/range_accessor.h"

namespace zg::warps {

host::BlockDef BuiltinBlockDef() {
    host::BlockDef block;
    block.id = 0;
    block.internalName = "Parameters";
    // The host lays the rollout out itself: there is no dialog template.
    block.flags = host::P_AUTO_CONSTRUCT | host::P_AUTO_UI;
    block.refNumber = 0;
    block.rollout = host::RolloutDef{};
    return block;
}

host::ParamDef FloatParam(host::ParamID id, const char* internalName, float defaultValue, double lo, double hi) {
    host::ParamDef def;
    def.id = id;
    def.internalName = internalName;
    def.type = host::TYPE_FLOAT;
    def.defaultFloat = defaultValue;
    def.range = host::ParamRange{lo, hi};
    def.accessor = TheRangeAccessor();
    return def;
}

host::ParamDef BoolParam(host::ParamID id, const char* internalName, bool defaultValue) {
    host::ParamDef def;
    def.id = id;
    def.internalName = internalName;
    def.type = host::TYPE_BOOL;
    def.defaultInt = defaultValue ? 1 : 0;
    return def;
}

}  // namespace zg::warps
