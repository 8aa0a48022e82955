// Stand-ins for what a plug-in object meets in the host while it samples, draws and is
// picked: a silent scene node, space warps whose force fields record every call, a
// graphics window that records every call in order, and a viewport that hands it out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/viewport/call_recording.h"
#include "host/forcefield.h"
#include "host/graphics.h"
#include "host/node.h"
#include "host/object.h"
#include "host/viewport.h"
#include "tests/support/host_fakes.h"

namespace zgtest {

// The node a plug-in test shows its object through. Its setters send no change
// message, so the test decides what the object hears.
class FakeNode : public hostfakes::FakeSceneNode {
public:
    explicit FakeNode(host::SceneObject* object = nullptr, std::string name = "Node01")
        : FakeSceneNode(std::move(name), object, Setters::kSilent) {}
};

// One Force call as a field received it.
struct ForceCall {
    host::TimeValue t;
    host::Point3 position;  // world space
    host::Point3 velocity;
    int index;
};

// The force a fake field answers at a world position for a sample index.
using ForceFunction = std::function<host::Point3(const host::Point3& position, int index)>;

// The same force everywhere.
ForceFunction ConstantForce(const host::Point3& force);

// A space warp of a chosen class id (and, for tests of refusal, a chosen super class)
// whose force fields answer a ForceFunction and record every call in the warp.
class FakeForceWarp : public host::WSMObject {
public:
    static constexpr host::Class_ID kPlainWarpId{0x7E571001, 0x7E571002};

    explicit FakeForceWarp(host::Class_ID id = kPlainWarpId,
                           ForceFunction force = ConstantForce({0.0f, 0.0f, host::kForceUnit}));
    ~FakeForceWarp() override;

    host::SClass_ID SuperClassID() override { return superClass_; }
    host::Class_ID ClassID() override { return id_; }
    // The object under the modifiers: this warp unless SetBaseObject named another.
    host::Object* FindBaseObject() override { return base_ != nullptr ? base_ : this; }
    host::ForceField* GetForceField(host::SceneNode* node) override;

    void SetSuperClass(host::SClass_ID superClass) { superClass_ = superClass; }
    void SetBaseObject(host::Object* base) { base_ = base; }
    void SetForce(ForceFunction force) { force_ = std::move(force); }
    // With false, GetForceField answers none (an object that exerts no force).
    void SetGivesFields(bool gives) { givesFields_ = gives; }

    // Every Force call of every field this warp made, in order.
    const std::vector<ForceCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    int FieldsRequested() const { return fieldsRequested_; }
    int FieldsReleased() const { return fieldsReleased_; }
    // Fields made and not yet released.
    int FieldsLive() const { return fieldsMade_ - fieldsReleased_; }
    // The node the last field was asked for.
    host::SceneNode* LastFieldNode() const { return lastFieldNode_; }

private:
    class Field;
    friend class Field;

    host::Class_ID id_;
    ForceFunction force_;
    host::SClass_ID superClass_ = host::kWSMObjectSuperClassId;
    host::Object* base_ = nullptr;
    bool givesFields_ = true;
    std::vector<ForceCall> calls_;
    int fieldsRequested_ = 0;
    int fieldsMade_ = 0;
    int fieldsReleased_ = 0;
    host::SceneNode* lastFieldNode_ = nullptr;
};

// A helper object that is no space warp, for nodes the validator must refuse.
class FakeHelper : public host::HelperObject {
public:
    host::Class_ID ClassID() override { return host::Class_ID(0x7E571010, 0x7E571011); }
};

// What a GraphicsWindow was asked to do.
using GwOp = zg::viewport::WindowCall;

// One recorded call; the fields that matter depend on the operation.
struct GwCall {
    explicit GwCall(GwOp kind) : op(kind) {}

    GwOp op;
    host::Matrix3 transform;            // SetTransform
    uint32_t limits = 0;                // GetRndLimits (answer), SetRndLimits
    host::Point3 color;                 // SetColor: red, green, blue
    int colorType = -1;                 // SetColor
    std::vector<host::Point3> points;   // Polyline (count points), Segment (2), Marker (1)
    int flag = 0;                       // Polyline closed, Segment visible, Marker code
    host::HitRegion region;             // SetHitRegion
    int result = 0;                     // CheckHitCode (answer)
};

// A graphics window that records every call in order. Its render limits start at a
// chosen value and follow setRndLimits. For picking it can be told which drawing
// calls touch the hit region: checkHitCode answers 1 when a call drawn since the last
// clearHitCode satisfies the predicate.
class RecordingGraphicsWindow : public zg::viewport::RecordingWindow {
public:
    using HitPredicate = std::function<bool(const GwCall& call)>;

    explicit RecordingGraphicsWindow(uint32_t limits = 0) : RecordingWindow(zg::viewport::kEveryCall, limits) {}

    void HitWhen(HitPredicate predicate) { hitWhen_ = std::move(predicate); }

    // The recorded calls, in order.
    std::vector<GwCall> Calls() const;
    // The recorded calls of one kind, in order.
    std::vector<GwCall> Of(GwOp op) const;
    int Count(GwOp op) const;
    // The kinds of the recorded calls, in order, with runs of one kind collapsed into
    // one entry: a readable summary of what was drawn in which order.
    std::vector<GwOp> Sequence() const;

protected:
    bool Receive(GwOp op, uint32_t value, const host::Point3* points, int count) override;
    int HitAnswer() override { return hitSinceClear_ ? 1 : 0; }

private:
    HitPredicate hitWhen_;
    bool hitSinceClear_ = false;
};

// A viewport that hands out one recording window and a settable world-to-view
// transform, and counts what it is asked.
class FakeViewport : public zg::viewport::RecordingViewport {
public:
    explicit FakeViewport(RecordingGraphicsWindow* gw) : RecordingViewport(*gw) {}

    // The construction plane is z = 0 in world space, one unit per pixel; the snapped
    // screen point is the point given.
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                           uint32_t flags = 0) override;
    void SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                     uint32_t flags = 0) override;
    void GetAffineTM(host::Matrix3& m) override;

    int AffineRequests() const { return affineRequests_; }
    int SnapRequests() const { return snapRequests_; }
    int PreviewRequests() const { return previewRequests_; }

private:
    int affineRequests_ = 0;
    int snapRequests_ = 0;
    int previewRequests_ = 0;
};

}  // namespace zgtest
