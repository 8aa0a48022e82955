// Parameter and block definitions shared by the built-in classes: each class has one
// block, id 0, built for every new object as reference 0. Numeric parameters are kept
// within their range by the shared RangeAccessor.
#pragma once

#include "host/paramblock.h"

namespace zg::warps {

host::BlockDef BuiltinBlockDef();
host::ParamDef FloatParam(host::ParamID id, const char* internalName, float defaultValue, double lo, double hi);
host::ParamDef BoolParam(host::ParamID id, const char* internalName, bool defaultValue);

// The largest magnitude a built-in float parameter takes.
inline constexpr double kParamLimit = 999999.0;

}  // namespace zg::warps
