// Icon: the wire figure by which a built-in object shows itself in the viewports, and
// the drawing, picking and bounds that every built-in class shares.
#pragma once

#include <vector>

#include "host/geometry.h"
#include "host/node.h"
#include "host/time.h"
#include "host/viewport.h"

namespace zg::warps {

// Polylines in the icon's own space.
class Icon {
public:
    void Line(const host::Point3& a, const host::Point3& b);
    void Polyline(std::vector<host::Point3> points, bool closed = false);
    // A circle of `segments` straight pieces around `center` in the plane of the unit
    // vectors u and v.
    void Circle(const host::Point3& center, float radius, const host::Point3& u, const host::Point3& v,
                int segments = 24);
    // A line from `from` to `to` with a four-barbed head of length `head` at `to`.
    void Arrow(const host::Point3& from, const host::Point3& to, float head);
    // The square of side `side` centred on the origin in the XY plane.
    void SquareXY(float side);
    // The 12 edges of the cube of side `side` centred on the origin.
    void Cube(float side);
    // The 12 edges of `box`; nothing for an empty box.
    void Box(const host::Box3& box);

    const std::vector<std::vector<host::Point3>>& Lines() const { return lines_; }
    const std::vector<bool>& Closed() const { return closed_; }
    // The box around every point; empty when the icon has none.
    host::Box3 Bounds() const;

private:
    std::vector<std::vector<host::Point3>> lines_;
    std::vector<bool> closed_;
};

// In the box-only state (host::kRndBoxOnly in the window's limits) both functions
// below draw and test the box around the icon instead of the icon itself.

// Draws `icon` through `iconTM` in the node's colour: the selection colour when the
// node is selected, else the frozen colour when frozen, else its wire colour. The
// window's rendering limits are restored before returning. Returns 0.
int DisplayIcon(const Icon& icon, const host::Matrix3& iconTM, host::SceneNode* node, host::ViewportContext* vpt);

// 1 when a line of `icon`, drawn through `iconTM`, touches the hit region made from
// `type`, `crossing` and `p` with a 4-pixel epsilon; else 0. Limits are restored.
int HitTestIcon(const Icon& icon, const host::Matrix3& iconTM, int type, int crossing, host::IPoint2* p,
                host::ViewportContext* vpt);

}  // namespace zg::warps
