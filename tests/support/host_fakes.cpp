#include "tests/support/host_fakes.h"

#include <new>
#include <utility>

namespace hostfakes {

FakeSceneNode::FakeSceneNode(std::string name, host::SceneObject* object, Setters setters)
    : name_(std::move(name)), object_(object), setters_(setters) {}

host::Matrix3 FakeSceneNode::GetObjectTM(host::TimeValue t) {
    transformTimes_.push_back(t);
    return tm_;
}

void FakeSceneNode::SetTM(const host::Matrix3& tm) {
    tm_ = tm;
    Changed(host::PART_TM);
}

void FakeSceneNode::SetObject(host::SceneObject* object) {
    object_ = object;
    Changed(host::PART_OBJECT);
}

void FakeSceneNode::SetSelected(bool selected) {
    selected_ = selected;
    Changed(host::PART_DISPLAY);
}

void FakeSceneNode::SetFrozen(bool frozen) {
    frozen_ = frozen;
    Changed(host::PART_DISPLAY);
}

void FakeSceneNode::SetWireColor(uint32_t color) {
    wireColor_ = color;
    Changed(host::PART_DISPLAY);
}

void FakeSceneNode::Changed(host::PartID part) {
    if (setters_ == Setters::kNotify) NotifyDependents(host::FOREVER, part, host::REFMSG_CHANGE);
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
