#include "host/paramblock.h"

#include <cmath>
#include <limits>
#include <new>

#include "host/classdesc.h"
#include "host/node.h"

namespace host {
namespace {

bool IsNodeTable(const ParamDef& def) { return def.type == TYPE_INODE_TAB; }

// Float to int by rounding to nearest, clamped to the int range; NaN gives 0.
int FloatToInt(float f) {
    if (std::isnan(f)) return 0;
    if (f >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (f <= static_cast<float>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(std::lround(f));
}

constexpr std::size_t kEntryBytes = sizeof(PB2Value);

}  // namespace

// ---- Accessor and validator defaults ---------------------------------------------------

void PBAccessor::Get(PB2Value&, ReferenceMaker*, ParamID, int, TimeValue, Interval&) {}

void PBAccessor::Set(PB2Value&, ReferenceMaker*, ParamID, int, TimeValue) {}

int PBAccessor::KeyFrameAtTime(ReferenceMaker*, ParamID, TimeValue) { return 0; }

CStr PBAccessor::GetLocalName(ReferenceMaker*, ParamID, int) { return CStr(); }

void PBAccessor::TabChanged(int, ReferenceMaker*, ParamID, int, int) {}

// Accessors and validators are module-wide instances that the descriptions name but
// do not own; the default release does nothing.
void PBAccessor::DeleteThis() {}

int PBValidator::Validate(PB2Value& v, ReferenceMaker*, ParamID, int) { return Validate(v); }

int PBValidator::Validate(PB2Value&) { return 1; }

void PBValidator::DeleteThis() {}

// ---- Control bindings ------------------------------------------------------------------

ControlBinding SpinnerBinding(EditType editType, int editId, int spinnerId, float scale) {
    ControlBinding b;
    b.kind = CONTROL_SPINNER;
    b.editType = editType;
    b.controls = {editId, spinnerId};
    b.spinnerScale = scale;
    return b;
}

ControlBinding CheckBoxBinding(int checkBoxId) {
    ControlBinding b;
    b.kind = CONTROL_SINGLE_CHECKBOX;
    b.controls = {checkBoxId};
    return b;
}

ControlBinding NodeListBinding(int listId, int addId, int replaceId, int removeId) {
    ControlBinding b;
    b.kind = CONTROL_NODE_LISTBOX;
    b.controls = {listId, addId, replaceId, removeId};
    return b;
}

// ---- ParamBlockDesc2 -------------------------------------------------------------------

ParamBlockDesc2::ParamBlockDesc2(ClassDesc2* owner, BlockDef block, std::vector<ParamDef> params)
    : owner_(owner), block_(std::move(block)), params_(std::move(params)) {
    if (owner_ != nullptr) owner_->AddParamBlockDesc(this);
}

ParamBlockDesc2::~ParamBlockDesc2() {
    if (owner_ != nullptr) owner_->RemoveParamBlockDesc(this);
}

const ParamDef* ParamBlockDesc2::FindParam(ParamID id) const {
    for (const ParamDef& def : params_)
        if (def.id == id) return &def;
    return nullptr;
}

const ParamDef* ParamBlockDesc2::FindParamByName(std::string_view internalName) const {
    for (const ParamDef& def : params_)
        if (def.internalName != nullptr && internalName == def.internalName) return &def;
    return nullptr;
}

// ---- ParamBlock ------------------------------------------------------------------------
//
// Node-table entries are charged to the memory budget (one PB2Value each) for as long
// as they exist, so that a request for an absurd table size is refused instead of
// exhausting the machine.

ParamBlock::ParamBlock(ParamBlockDesc2* desc) : desc_(desc) {
    if (desc_ == nullptr) return;
    slots_.resize(desc_->Params().size());
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const ParamDef& def = desc_->Params()[i];
        auto& values = slots_[i].values;
        if (IsNodeTable(def)) {
            const auto entries = static_cast<std::size_t>(def.tableSize > 0 ? def.tableSize : 0);
            if (entries > 0 && ReserveBytes(entries * kEntryBytes)) values.resize(entries);
        } else {
            PB2Value v;
            if (def.type == TYPE_FLOAT)
                v.f = def.defaultFloat;
            else
                v.i = def.defaultInt;
            values.push_back(v);
        }
    }
}

ParamBlock::~ParamBlock() {
    // Release the node references, last first, without deleting any node, and return
    // the budget.
    for (int i = NumRefs() - 1; i >= 0; --i)
        if (GetReference(i) != nullptr) ReplaceReference(i, nullptr, false);
    if (desc_ == nullptr) return;
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (IsNodeTable(desc_->Params()[i])) ReleaseBytes(slots_[i].values.size() * kEntryBytes);
}

ReferenceMaker* ParamBlock::GetOwner() const {
    const auto& deps = Dependents();
    return deps.empty() ? nullptr : deps.front();
}

const ParamDef* ParamBlock::FindParam(ParamID id) const {
    const ParamDef* def = nullptr;
    Find(id, &def);
    return def;
}

const ParamDef* ParamBlock::FindParamByName(std::string_view internalName) const {
    return desc_ != nullptr ? desc_->FindParamByName(internalName) : nullptr;
}

ParamBlock::Slot* ParamBlock::Find(ParamID id, const ParamDef** def) {
    return const_cast<Slot*>(static_cast<const ParamBlock*>(this)->Find(id, def));
}

const ParamBlock::Slot* ParamBlock::Find(ParamID id, const ParamDef** def) const {
    if (desc_ == nullptr) return nullptr;
    const auto& params = desc_->Params();
    // Descriptions usually number their parameters in declaration order: try the slot
    // at the id's own position first, since readers call this for every value.
    const auto at = static_cast<std::size_t>(id);
    if (id >= 0 && at < params.size() && at < slots_.size() && params[at].id == id) {
        if (def != nullptr) *def = &params[at];
        return &slots_[at];
    }
    for (std::size_t i = 0; i < params.size() && i < slots_.size(); ++i) {
        if (params[i].id != id) continue;
        if (def != nullptr) *def = &params[i];
        return &slots_[i];
    }
    return nullptr;
}

void ParamBlock::Changed() { NotifyDependents(FOREVER, PART_PARAMETER, REFMSG_CHANGE); }

// ---- Reads ---------------------------------------------------------------------------

float ParamBlock::GetFloat(ParamID id, TimeValue t, int tabIndex) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || IsNodeTable(*def) || tabIndex != 0) return 0.0f;
    PB2Value v = slot->values[0];
    Interval valid = FOREVER;
    if (def->accessor != nullptr) def->accessor->Get(v, GetOwner(), id, tabIndex, t, valid);
    return def->type == TYPE_FLOAT ? v.f : static_cast<float>(v.i);
}

int ParamBlock::GetInt(ParamID id, TimeValue t, int tabIndex) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || IsNodeTable(*def) || tabIndex != 0) return 0;
    PB2Value v = slot->values[0];
    Interval valid = FOREVER;
    if (def->accessor != nullptr) def->accessor->Get(v, GetOwner(), id, tabIndex, t, valid);
    return def->type == TYPE_FLOAT ? FloatToInt(v.f) : v.i;
}

SceneNode* ParamBlock::GetNode(ParamID id, TimeValue t, int tabIndex) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || !IsNodeTable(*def)) return nullptr;
    if (tabIndex < 0 || static_cast<std::size_t>(tabIndex) >= slot->values.size()) return nullptr;
    PB2Value v = slot->values[static_cast<std::size_t>(tabIndex)];
    Interval valid = FOREVER;
    if (def->accessor != nullptr) def->accessor->Get(v, GetOwner(), id, tabIndex, t, valid);
    return v.node;
}

int ParamBlock::Count(ParamID id) const {
    const ParamDef* def = nullptr;
    const Slot* slot = Find(id, &def);
    if (slot == nullptr || !IsNodeTable(*def)) return 0;
    return static_cast<int>(slot->values.size());
}

// ---- Stores --------------------------------------------------------------------------

bool ParamBlock::StoreScalar(ParamID id, TimeValue t, PB2Value v, int tabIndex, bool isFloat) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || IsNodeTable(*def) || tabIndex != 0) return false;
    if (isFloat && !std::isfinite(v.f)) return false;

    // The accessor sees the value in the parameter's own type.
    const bool paramIsFloat = def->type == TYPE_FLOAT;
    if (paramIsFloat && !isFloat) v.f = static_cast<float>(v.i);
    if (!paramIsFloat && isFloat) v.i = FloatToInt(v.f);
    if (def->accessor != nullptr) def->accessor->Set(v, GetOwner(), id, tabIndex, t);
    if (paramIsFloat && !std::isfinite(v.f)) return false;

    PB2Value& stored = slot->values[0];
    if (paramIsFloat)
        stored.f = v.f;
    else
        stored.i = v.i;
    Changed();
    return true;
}

bool ParamBlock::SetFloat(ParamID id, TimeValue t, float v, int tabIndex) {
    PB2Value value;
    value.f = v;
    return StoreScalar(id, t, value, tabIndex, true);
}

bool ParamBlock::SetInt(ParamID id, TimeValue t, int v, int tabIndex) {
    PB2Value value;
    value.i = v;
    return StoreScalar(id, t, value, tabIndex, false);
}

namespace {

// References count the entries of the node tables in declaration order. These take the
// block's slots as a deduced type so they can live outside the class.
template <typename Slots>
int FirstRefOf(const ParamBlockDesc2* desc, const Slots& slots, std::size_t slotIndex) {
    int ref = 0;
    for (std::size_t i = 0; i < slotIndex; ++i)
        if (IsNodeTable(desc->Params()[i])) ref += static_cast<int>(slots[i].values.size());
    return ref;
}

// The entry that reference `ref` names, or none.
template <typename Slots>
PB2Value* EntryOfRef(const ParamBlockDesc2* desc, Slots& slots, int ref) {
    if (desc == nullptr || ref < 0) return nullptr;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!IsNodeTable(desc->Params()[i])) continue;
        auto& values = slots[i].values;
        if (static_cast<std::size_t>(ref) < values.size()) return &values[static_cast<std::size_t>(ref)];
        ref -= static_cast<int>(values.size());
    }
    return nullptr;
}

}  // namespace

bool ParamBlock::SetNode(ParamID id, TimeValue t, SceneNode* node, int tabIndex) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || !IsNodeTable(*def)) return false;
    if (tabIndex < 0 || static_cast<std::size_t>(tabIndex) >= slot->values.size()) return false;

    ReferenceMaker* owner = GetOwner();
    PB2Value v;
    v.node = node;
    if (node != nullptr && def->validator != nullptr && !def->validator->Validate(v, owner, id, tabIndex))
        return false;
    if (def->accessor != nullptr) def->accessor->Set(v, owner, id, tabIndex, t);

    const auto slotIndex = static_cast<std::size_t>(slot - slots_.data());
    ReplaceReference(FirstRefOf(desc_, slots_, slotIndex) + tabIndex, v.node, false);
    Changed();
    return true;
}

bool ParamBlock::Append(ParamID id, SceneNode* node) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || !IsNodeTable(*def)) return false;
    if (slot->values.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;

    ReferenceMaker* owner = GetOwner();
    const int tabIndex = static_cast<int>(slot->values.size());
    PB2Value v;
    v.node = node;
    if (def->validator != nullptr && !def->validator->Validate(v, owner, id, tabIndex)) return false;
    if (def->accessor != nullptr) def->accessor->Set(v, owner, id, tabIndex, 0);

    if (!ReserveBytes(kEntryBytes)) return false;
    try {
        slot->values.emplace_back();
    } catch (const std::bad_alloc&) {
        ReleaseBytes(kEntryBytes);
        return false;
    }
    const auto slotIndex = static_cast<std::size_t>(slot - slots_.data());
    ReplaceReference(FirstRefOf(desc_, slots_, slotIndex) + tabIndex, v.node, false);
    if (def->accessor != nullptr) def->accessor->TabChanged(kTabAppend, owner, id, tabIndex, 1);
    Changed();
    return true;
}

bool ParamBlock::Delete(ParamID id, int start, int count) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || !IsNodeTable(*def)) return false;
    const auto size = static_cast<long long>(slot->values.size());
    if (start < 0 || count < 0 || static_cast<long long>(start) + count > size) return false;

    // Release the references first (the node is kept), then drop the entries.
    const int first = FirstRefOf(desc_, slots_, static_cast<std::size_t>(slot - slots_.data())) + start;
    for (int i = count - 1; i >= 0; --i)
        if (GetReference(first + i) != nullptr) ReplaceReference(first + i, nullptr, false);
    slot->values.erase(slot->values.begin() + start, slot->values.begin() + start + count);
    ReleaseBytes(static_cast<std::size_t>(count) * kEntryBytes);
    if (def->accessor != nullptr) def->accessor->TabChanged(kTabDelete, GetOwner(), id, start, count);
    Changed();
    return true;
}

bool ParamBlock::SetCount(ParamID id, int count) {
    const ParamDef* def = nullptr;
    Slot* slot = Find(id, &def);
    if (slot == nullptr || !IsNodeTable(*def) || count < 0) return false;

    const auto want = static_cast<std::size_t>(count);
    const std::size_t have = slot->values.size();
    if (want > have) {
        const std::size_t extra = want - have;
        if (extra > std::numeric_limits<std::size_t>::max() / kEntryBytes || !ReserveBytes(extra * kEntryBytes))
            return false;
        try {
            slot->values.resize(want);
        } catch (const std::exception&) {
            ReleaseBytes(extra * kEntryBytes);
            return false;
        }
    } else if (want < have) {
        const int first = FirstRefOf(desc_, slots_, static_cast<std::size_t>(slot - slots_.data()));
        for (std::size_t i = have; i-- > want;) {
            const int ref = first + static_cast<int>(i);
            if (GetReference(ref) != nullptr) ReplaceReference(ref, nullptr, false);
        }
        slot->values.resize(want);
        ReleaseBytes((have - want) * kEntryBytes);
    }
    if (def->accessor != nullptr) def->accessor->TabChanged(kTabSetCount, GetOwner(), id, 0, count);
    Changed();
    return true;
}

// ---- References ------------------------------------------------------------------------

int ParamBlock::NumRefs() { return desc_ != nullptr ? FirstRefOf(desc_, slots_, slots_.size()) : 0; }

ReferenceTarget* ParamBlock::GetReference(int i) {
    const PB2Value* entry = EntryOfRef(desc_, slots_, i);
    return entry != nullptr ? entry->node : nullptr;
}

void ParamBlock::SetReference(int i, ReferenceTarget* target) {
    PB2Value* entry = EntryOfRef(desc_, slots_, i);
    if (entry != nullptr) entry->node = dynamic_cast<SceneNode*>(target);
}

RefResult ParamBlock::NotifyRefChanged(const Interval&, ReferenceTarget* target, PartID&,
                                       RefMessage message) {
    if (target == nullptr) return REF_SUCCEED;
    if (message == REFMSG_TARGET_DELETED) {
        bool emptied = false;
        for (int i = 0; i < NumRefs(); ++i) {
            if (GetReference(i) != target) continue;
            ReplaceReference(i, nullptr, false);
            emptied = true;
        }
        if (emptied) Changed();
    } else if (message == REFMSG_CHANGE) {
        // A listed node's change travels on to the block's owner.
        bool listed = false;
        for (int i = 0; i < NumRefs() && !listed; ++i) listed = GetReference(i) == target;
        return listed ? REF_SUCCEED : REF_STOP;
    }
    return REF_SUCCEED;
}

ReferenceTarget* ParamBlock::Clone(RemapDir& remap) {
    ParamBlock* copy = nullptr;
    try {
        copy = new (std::nothrow) ParamBlock(desc_);
    } catch (const std::exception&) {
        return nullptr;
    }
    if (copy == nullptr) return nullptr;

    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const auto& from = slots_[i].values;
        auto& to = copy->slots_[i].values;
        if (!IsNodeTable(desc_->Params()[i])) {
            to = from;
            continue;
        }
        // Size the copy's table within the budget, then refer to the mapped nodes.
        const std::size_t have = to.size();
        bool sized = true;
        if (from.size() > have) {
            sized = ReserveBytes((from.size() - have) * kEntryBytes);
            if (sized) {
                try {
                    to.resize(from.size());
                } catch (const std::exception&) {
                    ReleaseBytes((from.size() - have) * kEntryBytes);
                    sized = false;
                }
            }
        } else {
            to.resize(from.size());
            ReleaseBytes((have - from.size()) * kEntryBytes);
        }
        if (!sized) {
            copy->DeleteThis();
            return nullptr;
        }
        const int first = FirstRefOf(desc_, copy->slots_, i);
        for (std::size_t e = 0; e < from.size(); ++e) {
            if (from[e].node == nullptr) continue;
            auto* mapped = dynamic_cast<SceneNode*>(remap.FindMapping(from[e].node));
            copy->ReplaceReference(first + static_cast<int>(e), mapped, false);
        }
    }
    BaseClone(this, copy, remap);
    return copy;
}

}  // namespace host
