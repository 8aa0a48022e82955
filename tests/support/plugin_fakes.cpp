#include "tests/support/plugin_fakes.h"

#include <new>
#include <ostream>
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

const char* GwOpName(GwOp op) {
    switch (op) {
        case GwOp::SetTransform: return "setTransform";
        case GwOp::GetRndLimits: return "getRndLimits";
        case GwOp::SetRndLimits: return "setRndLimits";
        case GwOp::SetColor: return "setColor";
        case GwOp::Polyline: return "polyline";
        case GwOp::StartSegments: return "startSegments";
        case GwOp::Segment: return "segment";
        case GwOp::EndSegments: return "endSegments";
        case GwOp::Marker: return "marker";
        case GwOp::SetHitRegion: return "setHitRegion";
        case GwOp::ClearHitCode: return "clearHitCode";
        case GwOp::CheckHitCode: return "checkHitCode";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, GwOp op) { return out << GwOpName(op); }

void RecordingGraphicsWindow::setTransform(const host::Matrix3& m) {
    GwCall call{GwOp::SetTransform};
    call.transform = m;
    calls_.push_back(std::move(call));
}

uint32_t RecordingGraphicsWindow::getRndLimits() {
    GwCall call{GwOp::GetRndLimits};
    call.limits = limits_;
    calls_.push_back(std::move(call));
    return limits_;
}

void RecordingGraphicsWindow::setRndLimits(uint32_t limits) {
    limits_ = limits;
    GwCall call{GwOp::SetRndLimits};
    call.limits = limits;
    calls_.push_back(std::move(call));
}

void RecordingGraphicsWindow::setColor(host::ColorType type, float r, float g, float b) {
    GwCall call{GwOp::SetColor};
    call.colorType = type;
    call.color = host::Point3(r, g, b);
    calls_.push_back(std::move(call));
}

void RecordingGraphicsWindow::polyline(int count, const host::Point3* points, int closed) {
    GwCall call{GwOp::Polyline};
    call.points.assign(points, points + (count > 0 ? count : 0));
    call.flag = closed;
    Drew(std::move(call));
}

void RecordingGraphicsWindow::startSegments() { Drew(GwCall{GwOp::StartSegments}); }

void RecordingGraphicsWindow::segment(const host::Point3* points, int visible) {
    GwCall call{GwOp::Segment};
    call.points.assign(points, points + 2);
    call.flag = visible;
    Drew(std::move(call));
}

void RecordingGraphicsWindow::endSegments() { Drew(GwCall{GwOp::EndSegments}); }

void RecordingGraphicsWindow::marker(const host::Point3* point, host::MarkerType type) {
    GwCall call{GwOp::Marker};
    call.points.push_back(*point);
    call.flag = type;
    Drew(std::move(call));
}

void RecordingGraphicsWindow::setHitRegion(const host::HitRegion* region) {
    GwCall call{GwOp::SetHitRegion};
    call.region = *region;
    calls_.push_back(std::move(call));
}

void RecordingGraphicsWindow::clearHitCode() {
    hitSinceClear_ = false;
    calls_.push_back(GwCall{GwOp::ClearHitCode});
}

int RecordingGraphicsWindow::checkHitCode() {
    GwCall call{GwOp::CheckHitCode};
    call.result = hitSinceClear_ ? 1 : 0;
    calls_.push_back(std::move(call));
    return hitSinceClear_ ? 1 : 0;
}

void RecordingGraphicsWindow::Drew(GwCall call) {
    if (hitWhen_ && hitWhen_(call)) hitSinceClear_ = true;
    calls_.push_back(std::move(call));
}

std::vector<GwCall> RecordingGraphicsWindow::Of(GwOp op) const {
    std::vector<GwCall> found;
    for (const GwCall& call : calls_)
        if (call.op == op) found.push_back(call);
    return found;
}

int RecordingGraphicsWindow::Count(GwOp op) const {
    int n = 0;
    for (const GwCall& call : calls_)
        if (call.op == op) ++n;
    return n;
}

std::vector<GwOp> RecordingGraphicsWindow::Sequence() const {
    std::vector<GwOp> sequence;
    for (const GwCall& call : calls_)
        if (sequence.empty() || sequence.back() != call.op) sequence.push_back(call.op);
    return sequence;
}

host::Point3 FakeViewport::SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3*, uint32_t) {
    ++snapRequests_;
    out = in;
    return host::Point3(static_cast<float>(in.x), static_cast<float>(in.y), 0.0f);
}

void FakeViewport::SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3*, uint32_t) {
    ++previewRequests_;
    out = in;
}

void FakeViewport::GetAffineTM(host::Matrix3& m) {
    ++affineRequests_;
    m = affine_;
}

}  // namespace zgtest
