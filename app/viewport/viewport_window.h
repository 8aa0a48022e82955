// ViewportGraphicsWindow: the host's GraphicsWindow for one viewport. It takes the
// points an object draws through the transform it was given and the viewport's camera
// to pixels, cuts lines at the camera's near plane, drops what is not finite, and
// sends the result to a sink: the viewport's display list, or its hit tester while
// picking.
//
// What the render-limit bits (host/graphics.h) mean in this host:
//   kRndWireframe  this host draws lines and markers only, so drawing is always
//                  wireframe; the bit is kept and reported, nothing else.
//   kRndIllum, kRndFlat, kRndSpecular, kRndTexture, kRndBackCull
//                  shading and face culling: there are no shaded surfaces in this
//                  host; the bits are kept and ignored.
//   kRndZBuffer    depth testing: the display list is painted in drawing order, later
//                  items over earlier ones; the bit is kept and ignored.
//   kRndPicking    primitives go to the hit tester (tested against the region of
//                  setHitRegion) instead of the display sink; nothing is drawn.
//   kRndBoxOnly    the viewport's box-only state: objects are to show their box alone.
//                  The window does not enforce it; objects read it from the limits
//                  they save, and the host draws its own objects as their boxes.
//
// Near-plane cutting and non-finite points: a line is drawn up to where it crosses the
// near plane; a point that is not finite (or whose projection overflows) takes the
// lines that touch it away, and one projected farther than kFarthestPixel pixels from
// the image centre is pulled in to that distance along its direction. A closed
// polyline cut this way arrives at the sink as open pieces, marked partial. Segments
// and markers are kept or dropped whole, a segment shortened at the near plane. A
// segment drawn with `visible` 0 is an invisible edge and is neither drawn nor picked.
//
// Segment batches: a segment outside startSegments/endSegments opens a batch of its
// own, which the next other primitive or endSegments closes.
#pragma once

#include <cstdint>
#include <vector>

#include "app/viewport/camera.h"
#include "app/viewport/hit_tester.h"
#include "app/viewport/primitive_sink.h"
#include "host/graphics.h"

namespace zg::viewport {

// How far from the image centre a projected point may lie, in pixels.
inline constexpr double kFarthestPixel = 1e9;

// The limits a fresh viewport window starts with.
inline constexpr uint32_t kDefaultRndLimits = host::kRndWireframe | host::kRndZBuffer;

class ViewportGraphicsWindow final : public host::GraphicsWindow {
public:
    // `camera` must outlive the window; `drawSink` may be none (drawing is discarded).
    explicit ViewportGraphicsWindow(const Camera& camera, PrimitiveSink* drawSink = nullptr,
                                    uint32_t limits = kDefaultRndLimits);
    ~ViewportGraphicsWindow() override;

    void SetDrawSink(PrimitiveSink* sink) { drawSink_ = sink; }
    const Camera& GetCamera() const { return camera_; }
    const host::Matrix3& Transform() const { return transform_; }
    Rgb LineColor() const { return lineColor_; }
    const host::HitRegion& GetHitRegion() const { return hitTester_.Region(); }
    HitTester& GetHitTester() { return hitTester_; }
    // Points left out so far because they, or their projection, are not finite.
    std::size_t NonFinitePoints() const { return nonFinitePoints_; }

    void setTransform(const host::Matrix3& m) override;
    uint32_t getRndLimits() override { return limits_; }
    void setRndLimits(uint32_t limits) override { limits_ = limits; }
    void setColor(host::ColorType type, float r, float g, float b) override;
    void polyline(int count, const host::Point3* points, int closed) override;
    void startSegments() override;
    void segment(const host::Point3* points, int visible) override;
    void endSegments() override;
    void marker(const host::Point3* point, host::MarkerType type) override;
    void setHitRegion(const host::HitRegion* region) override;
    void clearHitCode() override { hitTester_.Clear(); }
    int checkHitCode() override { return hitTester_.Hit() ? 1 : 0; }

private:
    PrimitiveSink& ActiveSink();
    Vec3d ToView(const host::Point3& p) const { return objectToView_.PointTransform(Vec3d(p)); }
    // The pixel of a view-space point in front of the camera; false when the projection
    // overflows. Points farther than kFarthestPixel from the image centre are pulled in
    // along their direction from it.
    bool Project(const Vec3d& view, PixelPoint& pixel);
    // Cuts the view-space line a-b at the near plane; false when nothing is left.
    bool ClipToNear(Vec3d& a, Vec3d& b) const;
    void CloseImplicitBatch();

    const Camera& camera_;
    PrimitiveSink* drawSink_;
    HitTester hitTester_;
    uint32_t limits_;
    host::Matrix3 transform_;
    Affine objectToView_;
    Rgb lineColor_;
    Rgb fillColor_;
    Rgb textColor_;
    PrimitiveSink* batchSink_ = nullptr;  // the sink of the open segment batch
    bool implicitBatch_ = false;
    std::size_t nonFinitePoints_ = 0;
    // Reused between calls so that drawing allocates only while the buffers grow.
    std::vector<Vec3d> viewPoints_;
    std::vector<PixelPoint> pixels_;
};

}  // namespace zg::viewport
