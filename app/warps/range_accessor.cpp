#include "app/warps/range_accessor.h"

#include <algorithm>
#include <cmath>

namespace zg::warps {

void RangeAccessor::Set(host::PB2Value& v, host::ReferenceMaker* owner, host::ParamID id, int, host::TimeValue) {
    if (owner == nullptr) return;
    host::ParamBlock* block = owner->GetParamBlock(0);
    if (block == nullptr) return;
    const host::ParamDef* def = block->FindParam(id);
    if (def == nullptr || !def->range) return;
    const double lo = def->range->lo;
    const double hi = def->range->hi;
    if (def->type == host::TYPE_FLOAT) {
        if (std::isnan(v.f)) return;
        v.f = static_cast<float>(std::clamp(static_cast<double>(v.f), lo, hi));
    } else if (def->type == host::TYPE_INT) {
        v.i = static_cast<int>(std::clamp(static_cast<double>(v.i), std::ceil(lo), std::floor(hi)));
    }
}

RangeAccessor* TheRangeAccessor() {
    static RangeAccessor accessor;
    return &accessor;
}

}  // namespace zg::warps
