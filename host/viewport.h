// ViewportContext: one view of the scene as an object sees it while it draws, picks or
// is created.
//
// The host makes a context on the UI thread and lends it to an object for one call
// (display, picking, bounds, a creation event); neither the context nor its graphics
// window may be kept after that call.
#pragma once

#include "host/geometry.h"
#include "host/graphics.h"

namespace host {

class ViewportContext {
public:
    virtual ~ViewportContext();

    virtual GraphicsWindow* GetGraphicsWindow() = 0;
    // The world point under the screen point `in` on the view's construction plane (or
    // on `plane` when given), snapped to the grid when snapping is on. `out` receives
    // the screen point of the snapped position; `in` and `out` may be the same.
    virtual Point3 SnapPoint(const IPoint2& in, IPoint2& out, const Matrix3* plane = nullptr,
                             uint32_t flags = 0) = 0;
    // Shows where SnapPoint would snap, without changing anything.
    virtual void SnapPreview(const IPoint2& in, IPoint2& out, const Matrix3* plane = nullptr,
                             uint32_t flags = 0) = 0;
    // The world-to-view transform.
    virtual void GetAffineTM(Matrix3& m) = 0;
};

}  // namespace host
