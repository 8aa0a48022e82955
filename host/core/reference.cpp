#include "host/reference.h"

#include <algorithm>

namespace host {
namespace {

// Removes the last occurrence of `value`; a maker holding two references to one
// target is registered once per reference, so each release removes one entry. The
// search runs from the end, where the latest registrations are: releasing them last
// first (as destructors do) costs the same for a table of a million entries as for one.
template <typename T>
void EraseOne(std::vector<T*>& list, T* value) {
    const auto it = std::find(list.rbegin(), list.rend(), value);
    if (it != list.rend()) list.erase(std::next(it).base());
}

template <typename T>
void EraseAll(std::vector<T*>& list, T* value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

template <typename T>
bool Holds(const std::vector<T*>& list, T* value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

// ---- InterfaceServer and Animatable ---------------------------------------------------

InterfaceServer::~InterfaceServer() = default;

void* InterfaceServer::GetInterface(uint32_t) { return nullptr; }

Animatable::~Animatable() = default;

void Animatable::GetClassName(CStr& name) { name.clear(); }

void Animatable::DeleteThis() { delete this; }

int Animatable::IsSubClassOf(Class_ID id) { return id == ClassID() ? 1 : 0; }

int Animatable::NumSubs() { return 0; }

Animatable* Animatable::SubAnim(int) { return nullptr; }

CStr Animatable::SubAnimName(int) { return CStr(); }

int Animatable::NumParamBlocks() { return 0; }

ParamBlock* Animatable::GetParamBlock(int) { return nullptr; }

ParamBlock* Animatable::GetParamBlockByID(int16_t) { return nullptr; }

void Animatable::BeginEditParams(IObjParam*, unsigned long, Animatable*) {}

void Animatable::EndEditParams(IObjParam*, unsigned long, Animatable*) {}

// ---- RemapDir --------------------------------------------------------------------------

void RemapDir::AddEntry(ReferenceTarget* original, ReferenceTarget* copy) {
    if (original == nullptr) return;
    for (auto& entry : map_) {
        if (entry.first == original) {
            entry.second = copy;
            return;
        }
    }
    map_.emplace_back(original, copy);
}

ReferenceTarget* RemapDir::FindMapping(ReferenceTarget* original) const {
    for (const auto& entry : map_)
        if (entry.first == original && entry.second != nullptr) return entry.second;
    return original;
}

// ---- ReferenceMaker --------------------------------------------------------------------

ReferenceMaker::~ReferenceMaker() {
    // No virtual calls here: the derived parts are gone. Only the registrations are undone.
    for (ReferenceTarget* target : held_) EraseOne(target->dependents_, static_cast<ReferenceMaker*>(this));
    held_.clear();
}

int ReferenceMaker::NumRefs() { return 0; }

ReferenceTarget* ReferenceMaker::GetReference(int) { return nullptr; }

void ReferenceMaker::SetReference(int, ReferenceTarget*) {}

RefResult ReferenceMaker::NotifyRefChanged(const Interval&, ReferenceTarget*, PartID&, RefMessage) {
    return REF_SUCCEED;
}

RefResult ReferenceMaker::ReplaceReference(int which, ReferenceTarget* target, bool deleteOld) {
    if (which < 0 || which >= NumRefs()) return REF_FAIL;
    ReferenceTarget* old = GetReference(which);
    if (old == target) return REF_SUCCEED;

    if (old != nullptr) {
        EraseOne(old->dependents_, this);
        EraseOne(held_, old);
    }
    SetReference(which, target);
    if (target != nullptr) {
        target->dependents_.push_back(this);
        held_.push_back(target);
    }
    if (deleteOld && old != nullptr && !old->HasDependents()) old->DeleteThis();
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteAllRefsFromMe() {
    for (int i = 0; i < NumRefs(); ++i)
        if (GetReference(i) != nullptr) ReplaceReference(i, nullptr, true);
    // Registrations without a slot (a class whose SetReference declined the target) are
    // dropped too, so that nothing keeps pointing at this maker.
    for (ReferenceTarget* target : held_) EraseOne(target->dependents_, this);
    held_.clear();
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteReference(int i) { return ReplaceReference(i, nullptr, true); }

// ---- ReferenceTarget -------------------------------------------------------------------

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInterval, PartID part, RefMessage message) {
    // A change passed on round a cycle of makers comes back here once and stops; any
    // other message is always heard.
    const bool change = message == REFMSG_CHANGE;
    if (change && passingChange_) return REF_SUCCEED;
    struct Passing {
        bool& flag;
        const bool was;
        ~Passing() { flag = was; }
    } passing{passingChange_, passingChange_};
    passingChange_ = passingChange_ || change;
    // Handlers may add or drop references while they hear: walk a copy, and skip a maker
    // that stopped depending on this target (or was destroyed) in the meantime.
    const std::vector<ReferenceMaker*> listeners = dependents_;
    for (ReferenceMaker* maker : listeners) {
        if (!Holds(dependents_, maker)) continue;
        PartID heard = part;
        const RefResult answer = maker->NotifyRefChanged(changeInterval, this, heard, message);
        if (answer != REF_SUCCEED || !change) continue;
        if (auto* passer = dynamic_cast<ReferenceTarget*>(maker)) passer->NotifyDependents(changeInterval, heard, message);
    }
    return REF_SUCCEED;
}

ReferenceTarget* ReferenceTarget::Clone(RemapDir&) { return nullptr; }

void ReferenceTarget::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
    if (from != nullptr && to != nullptr) remap.AddEntry(from, to);
}

ReferenceTarget::~ReferenceTarget() {
    const std::vector<ReferenceMaker*> listeners = dependents_;
    for (ReferenceMaker* maker : listeners) {
        if (!Holds(dependents_, maker)) continue;
        PartID part = PART_ALL;
        maker->NotifyRefChanged(FOREVER, this, part, REFMSG_TARGET_DELETED);
        // The handler may have released the reference, or destroyed the maker.
        if (!Holds(dependents_, maker)) continue;
        for (int i = 0; i < maker->NumRefs(); ++i)
            if (maker->GetReference(i) == this) maker->SetReference(i, nullptr);
        EraseAll(maker->held_, static_cast<ReferenceTarget*>(this));
        EraseAll(dependents_, maker);
    }
    dependents_.clear();
}

}  // namespace host
