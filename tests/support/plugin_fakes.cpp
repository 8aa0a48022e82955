#include "tests/support/plugin_fakes.h"

#include <new>
#include <span>
#include <utility>

namespace zgtest {

ForceFunction ConstantForce(const host::Point3& force) {
    return [force](const host::Point3&, int) { return force; };
}

// A field made by a FakeForceWarp: answers the warp's function and records into it.
class FakeForceWarp::Field : public host::ForceField {
public:
    explicit Field(FakeForceWarp& warp) : warp_(warp) {}
    ~Field() override { ++warp_.fieldsReleased_; }

    host::Point3 Force(host::TimeValue t, const host::Point3& pos, const host::Point3& vel, int index) override {
        warp_.calls_.push_back({t, pos, vel, index});
        return warp_.force_(pos, index);
    }

private:
    FakeForceWarp& warp_;
};

FakeForceWarp::FakeForceWarp(host::Class_ID id, ForceFunction force) : id_(id), force_(std::move(force)) {}

FakeForceWarp::~FakeForceWarp() = default;

host::ForceField* FakeForceWarp::GetForceField(host::SceneNode* node) {
    ++fieldsRequested_;
    lastFieldNode_ = node;
    if (!givesFields_) return nullptr;
    Field* field = new (std::nothrow) Field(*this);
    if (field != nullptr) ++fieldsMade_;
    return field;
}

namespace {

// A recorded call with its arguments spelled out.
GwCall Spelled(const zg::viewport::CallRecord& record, const zg::viewport::CallRecord::Call& recorded) {
    GwCall call{recorded.op};
    const std::span<const host::Point3> points = record.Points(recorded);
    switch (recorded.op) {
        case GwOp::SetTransform: call.transform = record.Transform(recorded); break;
        case GwOp::GetRndLimits:
        case GwOp::SetRndLimits: call.limits = recorded.value; break;
        case GwOp::SetColor:
            call.colorType = static_cast<int>(recorded.value);
            call.color = points[0];
            break;
        case GwOp::Polyline:
        case GwOp::Segment:
        case GwOp::Marker:
            call.points.assign(points.begin(), points.end());
            call.flag = static_cast<int>(recorded.value);
            break;
        case GwOp::SetHitRegion:
            if (const host::HitRegion* region = record.Region(recorded)) call.region = *region;
            break;
        case GwOp::CheckHitCode: call.result = static_cast<int>(recorded.value); break;
        case GwOp::StartSegments:
        case GwOp::EndSegments:
        case GwOp::ClearHitCode: break;
    }
    return call;
}

}  // namespace

bool RecordingGraphicsWindow::Receive(GwOp op, uint32_t value, const host::Point3* points, int count) {
    switch (op) {
        case GwOp::ClearHitCode: hitSinceClear_ = false; break;
        case GwOp::Polyline:
        case GwOp::StartSegments:
        case GwOp::Segment:
        case GwOp::EndSegments:
        case GwOp::Marker:
            if (hitWhen_) {
                GwCall call{op};
                if (points != nullptr && count > 0) call.points.assign(points, points + count);
                call.flag = static_cast<int>(value);
                if (hitWhen_(call)) hitSinceClear_ = true;
            }
            break;
        default: break;
    }
    return true;
}

std::vector<GwCall> RecordingGraphicsWindow::Calls() const {
    std::vector<GwCall> calls;
    for (const auto& recorded : Record().calls) calls.push_back(Spelled(Record(), recorded));
    return calls;
}

std::vector<GwCall> RecordingGraphicsWindow::Of(GwOp op) const {
    std::vector<GwCall> found;
    for (const auto& recorded : Record().calls)
        if (recorded.op == op) found.push_back(Spelled(Record(), recorded));
    return found;
}

int RecordingGraphicsWindow::Count(GwOp op) const {
    int n = 0;
    for (const auto& recorded : Record().calls)
        if (recorded.op == op) ++n;
    return n;
}

std::vector<GwOp> RecordingGraphicsWindow::Sequence() const {
    std::vector<GwOp> sequence;
    for (const auto& recorded : Record().calls)
        if (sequence.empty() || sequence.back() != recorded.op) sequence.push_back(recorded.op);
    return sequence;
}

host::Point3 FakeViewport::SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                                     uint32_t flags) {
    ++snapRequests_;
    return RecordingViewport::SnapPoint(in, out, plane, flags);
}

void FakeViewport::SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                               uint32_t flags) {
    ++previewRequests_;
    RecordingViewport::SnapPreview(in, out, plane, flags);
}

void FakeViewport::GetAffineTM(host::Matrix3& m) {
    ++affineRequests_;
    RecordingViewport::GetAffineTM(m);
}

}  // namespace zgtest
