#include "app/viewport/call_recording.h"

#include <ostream>

namespace zg::viewport {

namespace {

bool SameRegion(const host::HitRegion& a, const host::HitRegion& b) {
    return a.type == b.type && a.crossing == b.crossing && a.epsilon == b.epsilon && a.point == b.point &&
           a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

const char* WindowCallName(WindowCall call) {
    switch (call) {
        case WindowCall::SetTransform: return "setTransform";
        case WindowCall::GetRndLimits: return "getRndLimits";
        case WindowCall::SetRndLimits: return "setRndLimits";
        case WindowCall::SetColor: return "setColor";
        case WindowCall::Polyline: return "polyline";
        case WindowCall::StartSegments: return "startSegments";
        case WindowCall::Segment: return "segment";
        case WindowCall::EndSegments: return "endSegments";
        case WindowCall::Marker: return "marker";
        case WindowCall::SetHitRegion: return "setHitRegion";
        case WindowCall::ClearHitCode: return "clearHitCode";
        case WindowCall::CheckHitCode: return "checkHitCode";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, WindowCall call) { return out << WindowCallName(call); }

host::Matrix3 CallRecord::Transform(const Call& call) const {
    const host::Point3* rows = points.data() + call.first;
    return host::Matrix3(rows[0], rows[1], rows[2], rows[3]);
}

const host::HitRegion* CallRecord::Region(const Call& call) const {
    return call.count == 0 ? nullptr : &regions[call.first];
}

void CallRecord::Replay(host::GraphicsWindow& gw) const {
    for (const Call& c : calls) {
        const host::Point3* p = c.count > 0 ? points.data() + c.first : nullptr;
        const int value = static_cast<int>(c.value);
        switch (c.op) {
            case WindowCall::SetTransform: gw.setTransform(Transform(c)); break;
            case WindowCall::GetRndLimits: gw.getRndLimits(); break;
            case WindowCall::SetRndLimits: gw.setRndLimits(c.value); break;
            case WindowCall::SetColor: gw.setColor(static_cast<host::ColorType>(value), p->x, p->y, p->z); break;
            case WindowCall::Polyline: gw.polyline(static_cast<int>(c.count), p, value); break;
            case WindowCall::StartSegments: gw.startSegments(); break;
            case WindowCall::Segment: gw.segment(p, value); break;
            case WindowCall::EndSegments: gw.endSegments(); break;
            case WindowCall::Marker: gw.marker(p, static_cast<host::MarkerType>(value)); break;
            case WindowCall::SetHitRegion: gw.setHitRegion(Region(c)); break;
            case WindowCall::ClearHitCode: gw.clearHitCode(); break;
            case WindowCall::CheckHitCode: gw.checkHitCode(); break;
        }
    }
}

bool CallRecord::operator==(const CallRecord& other) const {
    if (calls != other.calls || points != other.points || truncated != other.truncated ||
        regions.size() != other.regions.size())
        return false;
    for (std::size_t i = 0; i < regions.size(); ++i)
        if (!SameRegion(regions[i], other.regions[i])) return false;
    return true;
}

void RecordingWindow::Clear() {
    record_ = CallRecord();
    batchOpen_ = false;
}

bool RecordingWindow::Receive(WindowCall, uint32_t, const host::Point3*, int) { return true; }

bool RecordingWindow::Take(WindowCall call, uint32_t value, const host::Point3* points, int count) {
    if (!Receive(call, value, points, count) || (keep_ & CallBit(call)) == 0) return false;
    const std::size_t n = points != nullptr && count > 0 ? static_cast<std::size_t>(count) : 0;
    if (record_.points.size() + n > kMaxRecordedPoints) {
        record_.truncated = true;
        return false;
    }
    record_.calls.push_back({call, value, static_cast<uint32_t>(record_.points.size()), static_cast<uint32_t>(n)});
    if (n > 0) record_.points.insert(record_.points.end(), points, points + n);
    return true;
}

void RecordingWindow::setTransform(const host::Matrix3& m) {
    const host::Point3 rows[4] = {m.GetRow(0), m.GetRow(1), m.GetRow(2), m.GetRow(3)};
    Take(WindowCall::SetTransform, 0, rows, 4);
}

uint32_t RecordingWindow::getRndLimits() {
    Take(WindowCall::GetRndLimits, limits_, nullptr, 0);
    return limits_;
}

void RecordingWindow::setRndLimits(uint32_t limits) {
    limits_ = limits;
    Take(WindowCall::SetRndLimits, limits, nullptr, 0);
}

void RecordingWindow::setColor(host::ColorType type, float r, float g, float b) {
    const host::Point3 color{r, g, b};
    Take(WindowCall::SetColor, static_cast<uint32_t>(type), &color, 1);
}

void RecordingWindow::polyline(int count, const host::Point3* points, int closed) {
    Take(WindowCall::Polyline, static_cast<uint32_t>(closed), points, count);
}

void RecordingWindow::startSegments() {
    batchOpen_ = true;
    Take(WindowCall::StartSegments, 0, nullptr, 0);
}

void RecordingWindow::segment(const host::Point3* points, int visible) {
    Take(WindowCall::Segment, static_cast<uint32_t>(visible), points, 2);
}

void RecordingWindow::endSegments() {
    batchOpen_ = false;
    Take(WindowCall::EndSegments, 0, nullptr, 0);
}

void RecordingWindow::marker(const host::Point3* point, host::MarkerType type) {
    Take(WindowCall::Marker, static_cast<uint32_t>(type), point, 1);
}

void RecordingWindow::setHitRegion(const host::HitRegion* region) {
    if (!Take(WindowCall::SetHitRegion, 0, nullptr, 0)) return;
    CallRecord::Call& call = record_.calls.back();
    if (region == nullptr) return;
    call.first = static_cast<uint32_t>(record_.regions.size());
    call.count = 1;
    record_.regions.push_back(*region);
}

void RecordingWindow::clearHitCode() { Take(WindowCall::ClearHitCode, 0, nullptr, 0); }

int RecordingWindow::checkHitCode() {
    const int answer = HitAnswer();
    Take(WindowCall::CheckHitCode, static_cast<uint32_t>(answer), nullptr, 0);
    return answer;
}

host::Point3 RecordingViewport::SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                                          uint32_t flags) {
    if (looks_ != nullptr) return looks_->SnapPoint(in, out, plane, flags);
    out = in;
    return {static_cast<float>(in.x), static_cast<float>(in.y), 0.0f};
}

void RecordingViewport::SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                                    uint32_t flags) {
    if (looks_ != nullptr) return looks_->SnapPreview(in, out, plane, flags);
    out = in;
}

void RecordingViewport::GetAffineTM(host::Matrix3& m) {
    if (looks_ != nullptr) return looks_->GetAffineTM(m);
    m = affine_;
}

}  // namespace zg::viewport
