#include "object/zentrograph.h"

#include <new>

#include "module/class_desc.h"
#include "module/instance.h"
#include "resources/resource_ids.h"

namespace zentrograph {

namespace {

// A string of the table as an owned name; empty when it cannot be read.
host::CStr StringOrEmpty(const char* text) { return text != nullptr ? host::CStr(text) : host::CStr(); }

}  // namespace

Zentrograph::Zentrograph() {
    SetAFlag(kBeingCreatedFlag);
    TheZentrographClassDesc().MakeAutoParamBlocks(this);
    cacheValid = 0;
}

Zentrograph::~Zentrograph() {
    ForgetCreation(this);
    DeleteAllRefsFromMe();
    vectorBases.SetCount(0);
    forceVectors.SetCount(0);
}

void Zentrograph::GetClassName(host::CStr& name) { name = StringOrEmpty(GetObjectName()); }

host::SClass_ID Zentrograph::SuperClassID() { return host::kHelperSuperClassId; }

host::Class_ID Zentrograph::ClassID() { return kZentrographClassID; }

void Zentrograph::DeleteThis() { delete this; }

int Zentrograph::IsSubClassOf(host::Class_ID id) { return id == ClassID() ? 1 : 0; }

int Zentrograph::NumSubs() { return 1; }

host::Animatable* Zentrograph::SubAnim(int /*i*/) { return pblock; }

host::CStr Zentrograph::SubAnimName(int /*i*/) { return StringOrEmpty(GetString(IDS_PARAMETERS)); }

int Zentrograph::NumParamBlocks() { return 1; }

host::ParamBlock* Zentrograph::GetParamBlock(int /*i*/) { return pblock; }

host::ParamBlock* Zentrograph::GetParamBlockByID(int16_t id) {
    if (pblock == nullptr) return nullptr;
    return static_cast<int16_t>(pblock->ID()) == id ? pblock : nullptr;
}

int Zentrograph::NumRefs() { return 1; }

host::ReferenceTarget* Zentrograph::GetReference(int /*i*/) { return pblock; }

void Zentrograph::SetReference(int /*i*/, host::ReferenceTarget* target) {
    pblock = dynamic_cast<host::ParamBlock*>(target);
}

host::RefResult Zentrograph::NotifyRefChanged(const host::Interval& /*changeInterval*/,
                                              host::ReferenceTarget* /*target*/, host::PartID& /*part*/,
                                              host::RefMessage message) {
    if (message == host::REFMSG_CHANGE) cacheValid = 0;
    return host::REF_SUCCEED;
}

host::ReferenceTarget* Zentrograph::Clone(host::RemapDir& remap) {
    Zentrograph* copy = new (std::nothrow) Zentrograph();
    if (copy == nullptr) return nullptr;
    if (copy->pblock == nullptr) {
        copy->DeleteThis();
        return nullptr;
    }
    if (pblock != nullptr) {
        host::ReferenceTarget* blockCopy = pblock->Clone(remap);
        if (blockCopy == nullptr) {
            copy->DeleteThis();
            return nullptr;
        }
        copy->ReplaceReference(0, blockCopy, true);
        if (copy->GetReference(0) != blockCopy) {
            // The new object could not take the copy: nothing refers to it.
            if (!blockCopy->HasDependents()) blockCopy->DeleteThis();
            copy->DeleteThis();
            return nullptr;
        }
    }
    copy->forceVectors.SetCount(0);
    copy->vectorBases.SetCount(0);
    copy->cacheValid = 0;
    BaseClone(this, copy, remap);
    return copy;
}

const char* Zentrograph::GetObjectName() { return GetString(IDS_CLASS_NAME); }

void Zentrograph::InitNodeName(host::CStr& name) { name = StringOrEmpty(GetObjectName()); }

int Zentrograph::UsesWireColor() { return 1; }

int Zentrograph::DoOwnSelectHilite() { return 1; }

int Zentrograph::IsRenderable() { return 0; }

host::ObjectState Zentrograph::Eval(host::TimeValue /*t*/) { return host::ObjectState(this); }

int Zentrograph::CanCacheObject() { return 0; }

void Zentrograph::WSStateInvalidate() { cacheValid = 0; }

int Zentrograph::IsWorldSpaceObject() { return 1; }

host::Interval Zentrograph::ObjectValidity(host::TimeValue t) { return host::Interval(t, t); }

}  // namespace zentrograph
