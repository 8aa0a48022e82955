#include "app/scene/node.h"

#include "app/scene/transform.h"

namespace zg::scene {

bool IsObjectSuperClass(host::Animatable* anim) {
    if (anim == nullptr) return false;
    const host::SClass_ID superClass = anim->SuperClassID();
    return superClass == host::kHelperSuperClassId || superClass == host::kWSMObjectSuperClassId;
}

Node::Node(std::string name, host::Object* object) : name_(std::move(name)) {
    if (object != nullptr) ReplaceReference(0, object, false);
}

Node::~Node() { DeleteAllRefsFromMe(); }

host::Matrix3 Node::GetObjectTM(host::TimeValue t) {
    return ComposeTransform(position_.At(t), rotation_.At(t), scale_.At(t));
}

void Node::SetPosition(AnimatedPoint position) {
    position_ = std::move(position);
    TransformChanged();
}

void Node::SetRotation(AnimatedPoint rotationDegrees) {
    rotation_ = std::move(rotationDegrees);
    TransformChanged();
}

void Node::SetScale(AnimatedPoint scale) {
    scale_ = std::move(scale);
    TransformChanged();
}

void Node::TransformChanged() {
    // A world-space object's state was computed from the old transform.
    if (object_ != nullptr && object_->IsWorldSpaceObject()) object_->WSStateInvalidate();
    NotifyDependents(host::FOREVER, host::PART_TM, host::REFMSG_CHANGE);
}

void Node::SetWireColor(uint32_t color) {
    color &= 0x00FFFFFFu;
    if (color == wireColor_) return;
    wireColor_ = color;
    NotifyDependents(host::FOREVER, host::PART_DISPLAY, host::REFMSG_CHANGE);
}

void Node::SetSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    NotifyDependents(host::FOREVER, host::PART_DISPLAY, host::REFMSG_CHANGE);
}

void Node::SetFrozen(bool frozen) {
    if (frozen == frozen_) return;
    frozen_ = frozen;
    NotifyDependents(host::FOREVER, host::PART_DISPLAY, host::REFMSG_CHANGE);
}

void Node::SetObject(host::Object* object) {
    if (object == object_) return;
    ReplaceReference(0, object, true);
    NotifyDependents(host::FOREVER, host::PART_OBJECT, host::REFMSG_CHANGE);
}

host::ReferenceTarget* Node::GetReference(int i) { return i == 0 ? object_ : nullptr; }

void Node::SetReference(int i, host::ReferenceTarget* target) {
    if (i != 0) return;
    // Only objects can be shown (helpers and space warps in this host); anything else
    // leaves the slot empty. Told by super class, which every module answers the same
    // way, rather than by run-time type, which a module's hidden symbols may not share.
    object_ = IsObjectSuperClass(target) ? static_cast<host::Object*>(target) : nullptr;
}

host::RefResult Node::NotifyRefChanged(const host::Interval&, host::ReferenceTarget* target, host::PartID& part,
                                       host::RefMessage message) {
    // A change of the object travels on to the node's dependents as a change of what
    // the node shows.
    if (message != host::REFMSG_CHANGE || target != object_ || object_ == nullptr) return host::REF_STOP;
    part = host::PART_OBJECT;
    return host::REF_SUCCEED;
}

}  // namespace zg::scene
