#include "app/viewport/viewport_window.h"

#include <algorithm>
#include <cmath>

namespace zg::viewport {

namespace {

// Discards what it is given: the sink of a window that only picks.
class NullSink final : public PrimitiveSink {
public:
    void Polyline(const Rgb&, std::span<const PixelPoint>, bool, bool) override {}
    void BeginSegments(const Rgb&) override {}
    void Segment(const PixelPoint&, const PixelPoint&, bool) override {}
    void EndSegments() override {}
    void Marker(const Rgb&, const PixelPoint&, int) override {}
};

NullSink gNullSink;

float Unit(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

}  // namespace

ViewportGraphicsWindow::ViewportGraphicsWindow(const Camera& camera, PrimitiveSink* drawSink, uint32_t limits)
    : camera_(camera), drawSink_(drawSink), limits_(limits), objectToView_(camera.WorldToView()) {}

ViewportGraphicsWindow::~ViewportGraphicsWindow() = default;

PrimitiveSink& ViewportGraphicsWindow::ActiveSink() {
    if ((limits_ & host::kRndPicking) != 0) return hitTester_;
    return drawSink_ != nullptr ? *drawSink_ : gNullSink;
}

void ViewportGraphicsWindow::setTransform(const host::Matrix3& m) {
    transform_ = m;
    objectToView_ = Affine::FromMatrix3(m) * camera_.WorldToView();
}

void ViewportGraphicsWindow::setColor(host::ColorType type, float r, float g, float b) {
    const Rgb c{Unit(r), Unit(g), Unit(b)};
    switch (type) {
        case host::LINE_COLOR: lineColor_ = c; break;
        case host::FILL_COLOR: fillColor_ = c; break;
        case host::TEXT_COLOR: textColor_ = c; break;
    }
}

bool ViewportGraphicsWindow::ClipToNear(Vec3d& a, Vec3d& b) const {
    if (!camera_.ClipsNear()) return true;
    const double limit = -camera_.NearDistance();
    const bool aIn = a.z <= limit;
    const bool bIn = b.z <= limit;
    if (aIn && bIn) return true;
    if (!aIn && !bIn) return false;
    // Exactly one end is behind: move it onto the near plane.
    const double t = (limit - a.z) / (b.z - a.z);
    const Vec3d cut = a + (b - a) * t;
    (aIn ? b : a) = Vec3d(cut.x, cut.y, limit);
    return true;
}

void ViewportGraphicsWindow::CloseImplicitBatch() {
    if (!implicitBatch_) return;
    batchSink_->EndSegments();
    batchSink_ = nullptr;
    implicitBatch_ = false;
}

bool ViewportGraphicsWindow::Project(const Vec3d& view, PixelPoint& pixel) {
    pixel = camera_.ViewToPixel(view);
    if (!std::isfinite(pixel.x) || !std::isfinite(pixel.y)) {
        ++nonFinitePoints_;
        return false;
    }
    // Pull far points in towards the image centre along their own direction, so that
    // every pixel coordinate stays within what renderers and hit tests handle exactly.
    const double cx = camera_.Width() * 0.5;
    const double cy = camera_.Height() * 0.5;
    const double reach = std::max(std::fabs(pixel.x - cx), std::fabs(pixel.y - cy));
    if (reach > kFarthestPixel) {
        const double k = kFarthestPixel / reach;
        pixel = {cx + (pixel.x - cx) * k, cy + (pixel.y - cy) * k};
    }
    return true;
}

void ViewportGraphicsWindow::polyline(int count, const host::Point3* points, int closed) {
    CloseImplicitBatch();
    if (count < 2 || points == nullptr) return;
    PrimitiveSink& sink = ActiveSink();
    viewPoints_.resize(count);
    pixels_.resize(count);
    bool whole = true;
    for (int i = 0; i < count; ++i) {
        viewPoints_[i] = ToView(points[i]);
        if (!IsFinite(viewPoints_[i])) ++nonFinitePoints_;
        whole = whole && IsFinite(viewPoints_[i]) && camera_.InFront(viewPoints_[i]) &&
                Project(viewPoints_[i], pixels_[i]);
    }
    if (whole) {
        sink.Polyline(lineColor_, pixels_, closed != 0, false);
        return;
    }

    // Cut the line edge by edge into the runs that survive. `pieces` holds each run's
    // start in pixels_; a run that reaches the first point again after the last edge of
    // a closed line is joined to the run that starts there.
    pixels_.clear();
    std::vector<std::size_t> pieces;
    bool open = false;  // a run is being extended
    bool firstRunAtZero = false;
    const int edges = closed != 0 ? count : count - 1;
    for (int e = 0; e < edges; ++e) {
        Vec3d a = viewPoints_[e];
        Vec3d b = viewPoints_[(e + 1) % count];
        const Vec3d origA = a;
        const Vec3d origB = b;
        PixelPoint pa;
        PixelPoint pb;
        if (!IsFinite(a) || !IsFinite(b) || !ClipToNear(a, b) || !Project(a, pa) || !Project(b, pb)) {
            open = false;
            continue;
        }
        if (!open || !(a == origA)) {
            pieces.push_back(pixels_.size());
            pixels_.push_back(pa);
            if (e == 0 && a == origA) firstRunAtZero = true;
        }
        pixels_.push_back(pb);
        open = b == origB;
    }
    const bool wraps = closed != 0 && open && firstRunAtZero && pieces.size() > 1;
    if (wraps) {
        // The last run ends on point 0, where the first run starts: emit them as one.
        std::vector<PixelPoint> joined(pixels_.begin() + static_cast<std::ptrdiff_t>(pieces.back()), pixels_.end());
        const std::size_t firstEnd = pieces[1];
        joined.insert(joined.end(), pixels_.begin() + 1, pixels_.begin() + static_cast<std::ptrdiff_t>(firstEnd));
        for (std::size_t p = 1; p + 1 < pieces.size(); ++p) {
            sink.Polyline(lineColor_, std::span(pixels_).subspan(pieces[p], pieces[p + 1] - pieces[p]), false, true);
        }
        sink.Polyline(lineColor_, joined, false, true);
        return;
    }
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        const std::size_t end = p + 1 < pieces.size() ? pieces[p + 1] : pixels_.size();
        sink.Polyline(lineColor_, std::span(pixels_).subspan(pieces[p], end - pieces[p]), false, true);
    }
}

void ViewportGraphicsWindow::startSegments() {
    CloseImplicitBatch();
    if (batchSink_ != nullptr) batchSink_->EndSegments();
    batchSink_ = &ActiveSink();
    batchSink_->BeginSegments(lineColor_);
}

void ViewportGraphicsWindow::segment(const host::Point3* points, int visible) {
    if (batchSink_ == nullptr) {
        batchSink_ = &ActiveSink();
        batchSink_->BeginSegments(lineColor_);
        implicitBatch_ = true;
    }
    if (points == nullptr || visible == 0) return;
    Vec3d a = ToView(points[0]);
    Vec3d b = ToView(points[1]);
    if (!IsFinite(a) || !IsFinite(b)) {
        nonFinitePoints_ += (IsFinite(a) ? 0 : 1) + (IsFinite(b) ? 0 : 1);
        return;
    }
    const Vec3d origA = a;
    const Vec3d origB = b;
    PixelPoint pa;
    PixelPoint pb;
    if (!ClipToNear(a, b) || !Project(a, pa) || !Project(b, pb)) return;
    batchSink_->Segment(pa, pb, !(a == origA && b == origB));
}

void ViewportGraphicsWindow::endSegments() {
    if (batchSink_ != nullptr) batchSink_->EndSegments();
    batchSink_ = nullptr;
    implicitBatch_ = false;
}

void ViewportGraphicsWindow::marker(const host::Point3* point, host::MarkerType type) {
    CloseImplicitBatch();
    if (point == nullptr) return;
    const Vec3d v = ToView(*point);
    PixelPoint at;
    if (!IsFinite(v)) {
        ++nonFinitePoints_;
        return;
    }
    if (!camera_.InFront(v) || !Project(v, at)) return;
    ActiveSink().Marker(lineColor_, at, static_cast<int>(type));
}

void ViewportGraphicsWindow::setHitRegion(const host::HitRegion* region) {
    if (region != nullptr) hitTester_.SetRegion(*region);
}

}  // namespace zg::viewport
