#include "tests/support/host_fakes.h"

#include <new>
#include <utility>

namespace hostfakes {

FakeSceneNode::FakeSceneNode(std::string name, host::SceneObject* object)
    : name_(std::move(name)), object_(object) {}

void FakeSceneNode::SetTM(const host::Matrix3& tm) {
    tm_ = tm;
    NotifyDependents(host::FOREVER, host::PART_TM, host::REFMSG_CHANGE);
}

void FakeSceneNode::SetObject(host::SceneObject* object) {
    object_ = object;
    NotifyDependents(host::FOREVER, host::PART_OBJECT, host::REFMSG_CHANGE);
}

void FakeSceneNode::SetSelected(bool selected) {
    selected_ = selected;
    NotifyDependents(host::FOREVER, host::PART_DISPLAY, host::REFMSG_CHANGE);
}

void FakeSceneNode::SetFrozen(bool frozen) {
    frozen_ = frozen;
    NotifyDependents(host::FOREVER, host::PART_DISPLAY, host::REFMSG_CHANGE);
}

void FakeSceneNode::SetWireColor(uint32_t color) {
    wireColor_ = color;
    NotifyDependents(host::FOREVER, host::PART_DISPLAY, host::REFMSG_CHANGE);
}

FakeHelperObject::~FakeHelperObject() { DeleteAllRefsFromMe(); }

host::ReferenceTarget* FakeHelperObject::GetReference(int i) {
    if (i < 0 || i >= NumRefs()) return nullptr;
    return refs_[static_cast<std::size_t>(i)];
}

void FakeHelperObject::SetReference(int i, host::ReferenceTarget* target) {
    if (i < 0 || i >= NumRefs()) return;
    refs_[static_cast<std::size_t>(i)] = target;
}

host::RefResult FakeHelperObject::NotifyRefChanged(const host::Interval&, host::ReferenceTarget* target,
                                                   host::PartID& part, host::RefMessage message) {
    heard_.push_back({target, part, message});
    return host::REF_SUCCEED;
}

int FakeHelperObject::ChangesHeard(host::PartID part) const {
    int n = 0;
    for (const HeardMessage& m : heard_)
        if (m.message == host::REFMSG_CHANGE && m.part == part) ++n;
    return n;
}

int ConstantForceField::live_ = 0;

ConstantForceField::ConstantForceField(const host::Point3& force) : force_(force) { ++live_; }

ConstantForceField::~ConstantForceField() { --live_; }

host::ForceField* FakeSpaceWarp::GetForceField(host::SceneNode*) {
    return new (std::nothrow) ConstantForceField(force_);
}

}  // namespace hostfakes
