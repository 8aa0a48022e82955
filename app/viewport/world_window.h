// WorldGraphicsWindow: the host's GraphicsWindow for a front end that projects drawings
// itself. It takes the points an object draws through the transform it was given to
// world space and records them, unprojected, into WorldDrawings; the front end keeps
// them and moves its camera without asking the host again.
//
// Drawing that follows a look at the view (the window is told so, see
// MarkViewDependent) may change whenever the camera turns, so it goes to a drawing of
// its own: what came before is the same in every view and is kept once.
//
// Near-plane cutting is the front end's, as it projects. Non-finite points: a point
// that is not finite takes away the lines that touch it, and a closed polyline cut
// this way is recorded as its open pieces, as the projecting window does. A segment
// drawn with `visible` 0 is an invisible edge and is not recorded. Render limits are
// kept and reported as in ViewportGraphicsWindow; with kRndPicking set nothing is
// recorded (picking goes through a projecting window) and hit codes stay clear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/geometry/affine.h"
#include "app/viewport/viewport_window.h"
#include "app/viewport/world_drawing.h"
#include "host/graphics.h"

namespace zg::viewport {

class WorldGraphicsWindow final : public host::GraphicsWindow {
public:
    explicit WorldGraphicsWindow(uint32_t limits = kDefaultRndLimits) : limits_(limits) {}

    // Later records go to `shared` until MarkViewDependent, then to `view` (either may
    // be none: discarded), carrying node id `node` (kHostNodeId: the host's own
    // drawing, stroked as such). Records drawn in `nodeColor` are marked as such.
    void Begin(WorldDrawing* shared, WorldDrawing* view, uint32_t node, const Rgb& nodeColor);
    // What is drawn from now on depends on the view.
    void MarkViewDependent() { viewDependent_ = true; }
    bool ViewDependent() const { return viewDependent_; }
    // Points left out so far because they are not finite.
    std::size_t NonFinitePoints() const { return nonFinitePoints_; }

    void setTransform(const host::Matrix3& m) override { toWorld_ = Affine::FromMatrix3(m); }
    uint32_t getRndLimits() override { return limits_; }
    void setRndLimits(uint32_t limits) override { limits_ = limits; }
    void setColor(host::ColorType type, float r, float g, float b) override;
    void polyline(int count, const host::Point3* points, int closed) override;
    void startSegments() override {}
    void segment(const host::Point3* points, int visible) override;
    void endSegments() override {}
    void marker(const host::Point3* point, host::MarkerType type) override;
    void setHitRegion(const host::HitRegion*) override {}
    void clearHitCode() override {}
    int checkHitCode() override { return 0; }

private:
    WorldDrawing* Target() const;
    bool Recording() const { return (limits_ & host::kRndPicking) == 0 && Target() != nullptr; }
    // The world point of `p`; false, counted, when it is not finite.
    bool ToWorld(const host::Point3& p, Vec3d& world);
    uint32_t NodeWord(uint32_t flags) const;
    void AddLine(const Vec3d& a, const Vec3d& b, LineStyle style, uint32_t flags);

    uint32_t limits_;
    Affine toWorld_;
    WorldDrawing* shared_ = nullptr;
    WorldDrawing* view_ = nullptr;
    uint32_t node_ = kHostNodeId;
    Rgb nodeColor_;
    Rgb lineColor_;
    bool viewDependent_ = false;
    std::size_t nonFinitePoints_ = 0;
    std::vector<Vec3d> world_;  // reused between calls
    std::vector<bool> finite_;
};

}  // namespace zg::viewport
