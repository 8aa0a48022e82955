// Viewport: one view of the scene as objects see it while they draw, pick or are
// created: its camera, its graphics window and its construction plane.
#pragma once

#include <optional>
#include <string>

#include "app/viewport/camera.h"
#include "app/viewport/viewport_window.h"
#include "host/viewport.h"

namespace zg::viewport {

class Viewport final : public host::ViewportContext {
public:
    // The construction plane is the view's own plane through the world origin for an
    // orthographic camera (top: XY, front: XZ, left: YZ) and the world XY plane for a
    // perspective one. Snapping starts off, with a grid spacing of one unit.
    Viewport(std::string name, const Camera& camera, PrimitiveSink* drawSink = nullptr,
             uint32_t limits = kDefaultRndLimits);

    const std::string& Name() const { return name_; }
    const Camera& GetCamera() const { return camera_; }
    ViewportGraphicsWindow& Window() { return window_; }

    // The plane new objects are placed on: its local XY plane, local Z the normal.
    const host::Matrix3& ConstructionPlane() const { return plane_; }
    void SetConstructionPlane(const host::Matrix3& plane) { plane_ = plane; }
    // Grid snapping of SnapPoint: on or off, and the grid spacing in scene units
    // (non-positive or non-finite spacings switch snapping off).
    void SetGridSnap(bool on, double spacing);
    bool GridSnap() const { return snap_; }
    double GridSpacing() const { return spacing_; }
    // Where the last SnapPreview showed the snap: the world point and its pixel.
    const std::optional<host::Point3>& PreviewPoint() const { return preview_; }

    // host::ViewportContext
    host::GraphicsWindow* GetGraphicsWindow() override { return &window_; }
    // The point where the line under `in` meets the plane (`plane`, or the construction
    // plane), snapped to the grid in the plane's own coordinates when snapping is on.
    // A line that misses the plane (parallel to it, or meeting it behind the eye) gives
    // the plane point nearest the spot at the plane's distance along the line. `out`
    // receives the pixel of the result, or `in` when that point is behind the camera.
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                           uint32_t flags = 0) override;
    // Computes what SnapPoint would answer and records it as PreviewPoint.
    void SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                     uint32_t flags = 0) override;
    // World to view: view X right, Y up, Z towards the viewer.
    void GetAffineTM(host::Matrix3& m) override;

private:
    std::string name_;
    Camera camera_;
    ViewportGraphicsWindow window_;
    host::Matrix3 plane_;
    bool snap_ = false;
    double spacing_ = 1.0;
    std::optional<host::Point3> preview_;
};

}  // namespace zg::viewport
