// Node: the host application's scene node. It shows one object through an animated
// transform and carries the wire colour and the selected and frozen states.
//
// A node is a reference target (parameter blocks that list it depend on it) and a
// reference maker holding its object as reference 0. It tells its dependents:
//   - REFMSG_CHANGE with PART_TM when its position, rotation or scale is set, after
//     calling WSStateInvalidate on its object when that is a world-space object;
//   - REFMSG_CHANGE with PART_OBJECT when its object reports REFMSG_CHANGE (for
//     example a parameter of a space warp changed) or the node is given another
//     object;
//   - REFMSG_CHANGE with PART_DISPLAY when the wire colour, selection or frozen state
//     changes.
// Nodes live on the host heap and are owned by their scene (app/scene/scene.h).
#pragma once

#include <string>

#include "app/scene/animated_point.h"
#include "host/node.h"

namespace zg::scene {

// True for the super classes of objects a node can show: helpers and space warps.
bool IsObjectSuperClass(host::Animatable* anim);

class Node : public host::SceneNode {
public:
    // A node named `name` showing `object` (which may be none); the node takes a
    // reference to the object, so an object nothing else refers to is deleted with it.
    Node(std::string name, host::Object* object);
    ~Node() override;

    // host::SceneNode
    const char* GetName() override { return name_.c_str(); }
    // Scale, rotate X, Y, Z, translate (app/scene/transform.h), each at t.
    host::Matrix3 GetObjectTM(host::TimeValue t) override;
    host::SceneObject* GetObjectRef() override { return object_; }
    int IsSelected() override { return selected_ && selectionShown_ ? 1 : 0; }
    int IsFrozen() override { return frozen_ ? 1 : 0; }
    uint32_t GetWireColor() override { return wireColor_; }

    const std::string& Name() const { return name_; }
    // Renaming is the scene's business, which keeps names unique.
    void SetName(std::string name) { name_ = std::move(name); }

    const AnimatedPoint& Position() const { return position_; }
    const AnimatedPoint& Rotation() const { return rotation_; }  // degrees
    const AnimatedPoint& Scale() const { return scale_; }
    void SetPosition(AnimatedPoint position);
    void SetRotation(AnimatedPoint rotationDegrees);
    void SetScale(AnimatedPoint scale);

    // 0x00BBGGRR; the top byte is dropped.
    void SetWireColor(uint32_t color);
    void SetSelected(bool selected);
    // While a front end that shows the selection itself has the node drawn, the node
    // answers that it is not selected; nothing is notified and Selected() still tells.
    void ShowSelection(bool shown) { selectionShown_ = shown; }
    bool Selected() const { return selected_; }
    void SetFrozen(bool frozen);

    // Shows another object (or none); the old one is released.
    void SetObject(host::Object* object);

    // host::ReferenceMaker: reference 0 is the object.
    int NumRefs() override { return 1; }
    host::ReferenceTarget* GetReference(int i) override;
    void SetReference(int i, host::ReferenceTarget* target) override;
    host::RefResult NotifyRefChanged(const host::Interval& changeInterval, host::ReferenceTarget* target,
                                     host::PartID& part, host::RefMessage message) override;

private:
    void TransformChanged();

    std::string name_;
    host::Object* object_ = nullptr;
    AnimatedPoint position_;
    AnimatedPoint rotation_;
    AnimatedPoint scale_{host::Point3(1.0f, 1.0f, 1.0f)};
    uint32_t wireColor_ = 0x00FFFFFF;
    bool selected_ = false;
    bool selectionShown_ = true;
    bool frozen_ = false;
};

}  // namespace zg::scene
