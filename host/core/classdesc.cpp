#include "host/classdesc.h"

#include <algorithm>
#include <exception>
#include <new>

#include "host/objparam.h"
#include "host/paramblock.h"

namespace host {

ClassDesc2::~ClassDesc2() = default;

const char* ClassDesc2::InternalName() { return nullptr; }

HINSTANCE ClassDesc2::HInstance() { return nullptr; }

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* desc) {
    if (desc == nullptr || std::find(descs_.begin(), descs_.end(), desc) != descs_.end()) return;
    descs_.push_back(desc);
}

void ClassDesc2::RemoveParamBlockDesc(ParamBlockDesc2* desc) {
    descs_.erase(std::remove(descs_.begin(), descs_.end(), desc), descs_.end());
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= descs_.size()) return nullptr;
    return descs_[static_cast<std::size_t>(i)];
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) const {
    for (ParamBlockDesc2* desc : descs_)
        if (desc->ID() == id) return desc;
    return nullptr;
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
    if (owner == nullptr) return;
    for (ParamBlockDesc2* desc : descs_) {
        if ((desc->Block().flags & P_AUTO_CONSTRUCT) == 0) continue;
        ParamBlock* block = nullptr;
        try {
            block = new (std::nothrow) ParamBlock(desc);
        } catch (const std::exception&) {
            block = nullptr;
        }
        if (block == nullptr) continue;
        if (owner->ReplaceReference(desc->Block().refNumber, block, true) != REF_SUCCEED) block->DeleteThis();
    }
}

namespace {

// The owner's block built from `desc`: found among its references.
ParamBlock* BlockOf(ReferenceMaker* owner, const ParamBlockDesc2* desc) {
    if (owner == nullptr) return nullptr;
    for (int i = 0; i < owner->NumRefs(); ++i) {
        auto* block = dynamic_cast<ParamBlock*>(owner->GetReference(i));
        if (block != nullptr && block->GetDesc() == desc) return block;
    }
    return nullptr;
}

}  // namespace

void ClassDesc2::BeginEditParams(IObjParam* ip, ReferenceMaker* owner, unsigned long, Animatable*) {
    if (ip == nullptr) return;
    // Work on a snapshot: a panel may call back into the class while it builds.
    const std::vector<ParamBlockDesc2*> descs = descs_;
    for (ParamBlockDesc2* desc : descs) {
        if ((desc->Block().flags & P_AUTO_UI) == 0 || !desc->Block().rollout) continue;
        ParamBlock* block = BlockOf(owner, desc);
        if (block == nullptr) continue;
        HWND window = ip->CreateParamRollout(this, desc, block);
        if (window != nullptr) rollouts_.push_back({owner, window});
    }
}

void ClassDesc2::EndEditParams(IObjParam* ip, ReferenceMaker* owner, unsigned long, Animatable*) {
    if (ip == nullptr) return;
    std::vector<HWND> windows;
    for (auto it = rollouts_.begin(); it != rollouts_.end();) {
        if (it->owner == owner) {
            windows.push_back(it->window);
            it = rollouts_.erase(it);
        } else {
            ++it;
        }
    }
    for (HWND window : windows) ip->DestroyParamRollout(window);
}

}  // namespace host
