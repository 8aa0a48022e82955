// WorldViewport: one view of the scene as objects see it while they draw for a front end
// that projects drawings itself. Drawing goes to a WorldGraphicsWindow; the view's
// camera answers as it does in Viewport, and any question about it (its transform, a
// snap) tells the window that what follows depends on the view.
#pragma once

#include <string>

#include "app/viewport/viewport.h"
#include "app/viewport/world_window.h"
#include "host/viewport.h"

namespace zg::viewport {

class WorldViewport final : public host::ViewportContext {
public:
    WorldViewport(std::string name, const Camera& camera, uint32_t limits = kDefaultRndLimits)
        : view_(std::move(name), camera), window_(limits) {}

    const Camera& GetCamera() const { return view_.GetCamera(); }
    WorldGraphicsWindow& Window() { return window_; }

    host::GraphicsWindow* GetGraphicsWindow() override { return &window_; }
    host::Point3 SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                           uint32_t flags = 0) override {
        window_.MarkViewDependent();
        return view_.SnapPoint(in, out, plane, flags);
    }
    void SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane = nullptr,
                     uint32_t flags = 0) override {
        window_.MarkViewDependent();
        view_.SnapPreview(in, out, plane, flags);
    }
    void GetAffineTM(host::Matrix3& m) override {
        window_.MarkViewDependent();
        view_.GetAffineTM(m);
    }

private:
    Viewport view_;
    WorldGraphicsWindow window_;
};

}  // namespace zg::viewport
