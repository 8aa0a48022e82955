// Small stand-ins for the scene pieces the host SDK works with: a scene node, a helper
// object that holds references and logs what it hears, and a space warp with a constant
// force field. Tests of every suite may use them.
#pragma once

#include <string>
#include <vector>

#include "host/forcefield.h"
#include "host/node.h"
#include "host/object.h"

namespace hostfakes {

// A scene node whose state tests set directly.
class FakeSceneNode : public host::SceneNode {
public:
    // What the setters tell the node's dependents.
    enum class Setters {
        kNotify,  // a change message with the part that changed, as the application's nodes send
        kSilent,  // nothing: the test decides what the dependents hear
    };

    explicit FakeSceneNode(std::string name = "Node01", host::SceneObject* object = nullptr,
                           Setters setters = Setters::kNotify);

    const char* GetName() override { return name_.c_str(); }
    host::Matrix3 GetObjectTM(host::TimeValue t) override;
    host::SceneObject* GetObjectRef() override { return object_; }
    int IsSelected() override { return selected_ ? 1 : 0; }
    int IsFrozen() override { return frozen_ ? 1 : 0; }
    uint32_t GetWireColor() override { return wireColor_; }

    void SetTM(const host::Matrix3& tm);           // PART_TM
    void SetObject(host::SceneObject* object);     // PART_OBJECT; the node does not own it
    void SetSelected(bool selected);               // PART_DISPLAY
    void SetFrozen(bool frozen);                   // PART_DISPLAY
    void SetWireColor(uint32_t color);             // PART_DISPLAY

    // GetObjectTM calls so far: an object asks for the transform when it resamples.
    int TransformRequests() const { return static_cast<int>(transformTimes_.size()); }
    const std::vector<host::TimeValue>& TransformTimes() const { return transformTimes_; }

private:
    void Changed(host::PartID part);

    std::string name_;
    host::SceneObject* object_;
    Setters setters_;
    host::Matrix3 tm_;
    bool selected_ = false;
    bool frozen_ = false;
    uint32_t wireColor_ = 0x00FFFFFF;
    std::vector<host::TimeValue> transformTimes_;
};

// One message a FakeHelperObject heard through NotifyRefChanged.
struct HeardMessage {
    host::ReferenceTarget* target;
    host::PartID part;
    host::RefMessage message;
};

// A helper object with `slots` reference slots that records every message it hears.
class FakeHelperObject : public host::HelperObject {
public:
    static constexpr host::Class_ID kClassId{0x7E570001, 0x7E570002};

    explicit FakeHelperObject(int slots = 1) : refs_(static_cast<std::size_t>(slots), nullptr) {}
    ~FakeHelperObject() override;

    host::Class_ID ClassID() override { return kClassId; }
    int NumRefs() override { return static_cast<int>(refs_.size()); }
    host::ReferenceTarget* GetReference(int i) override;
    void SetReference(int i, host::ReferenceTarget* target) override;
    host::RefResult NotifyRefChanged(const host::Interval& changeInterval, host::ReferenceTarget* target,
                                     host::PartID& part, host::RefMessage message) override;

    const std::vector<HeardMessage>& Heard() const { return heard_; }
    // How many REFMSG_CHANGE messages carried `part`.
    int ChangesHeard(host::PartID part) const;
    void ClearHeard() { heard_.clear(); }

private:
    std::vector<host::ReferenceTarget*> refs_;
    std::vector<HeardMessage> heard_;
};

// A force field that answers the same force everywhere. Counts the live instances so that
// tests can see every field was released.
class ConstantForceField : public host::ForceField {
public:
    explicit ConstantForceField(const host::Point3& force);
    ~ConstantForceField() override;
    host::Point3 Force(host::TimeValue, const host::Point3&, const host::Point3&, int) override { return force_; }

    static int Live() { return live_; }

private:
    host::Point3 force_;
    static int live_;
};

// A space warp of a chosen class id whose force fields exert a constant force.
class FakeSpaceWarp : public host::WSMObject {
public:
    explicit FakeSpaceWarp(host::Class_ID id = host::Class_ID(0x7E570010, 0x7E570011),
                           host::Point3 force = host::Point3(0.0f, 0.0f, host::kForceUnit))
        : id_(id), force_(force) {}

    host::Class_ID ClassID() override { return id_; }
    host::ForceField* GetForceField(host::SceneNode* node) override;
    void SetForce(const host::Point3& force) { force_ = force; }

private:
    host::Class_ID id_;
    host::Point3 force_;
};

}  // namespace hostfakes
