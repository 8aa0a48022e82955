// RangeAccessor: keeps a float or integer parameter of a built-in class within the
// range its description declares, clamping a value as it is stored. One stateless
// instance serves every built-in class.
#pragma once

#include "host/paramblock.h"

namespace zg::warps {

class RangeAccessor : public host::PBAccessor {
public:
    // Clamps `v` into the declared range of parameter `id` of the owner's block 0;
    // leaves it when the owner, the block or the range is missing.
    void Set(host::PB2Value& v, host::ReferenceMaker* owner, host::ParamID id, int tabIndex,
             host::TimeValue t) override;
};

// The shared instance.
RangeAccessor* TheRangeAccessor();

}  // namespace zg::warps
