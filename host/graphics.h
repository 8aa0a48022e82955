// GraphicsWindow: where objects draw, in the space of the transform they set, and
// where the host tests picks against a hit region.
//
// Everything here runs on the UI thread. The host owns every graphics window and lends
// it to an object for the one call it draws or picks in; the interface colours are the
// host's.
#pragma once

#include <cstdint>

#include "host/geometry.h"

namespace host {

// Render-limit bits of a graphics window. A drawing callback saves the limits,
// sets its own and restores the saved value before it returns (RenderLimitsScope).
inline constexpr uint32_t kRndWireframe = 0x1;    // draw lines, no shaded surfaces
inline constexpr uint32_t kRndIllum = 0x2;        // lit shading
inline constexpr uint32_t kRndFlat = 0x4;         // flat shading
inline constexpr uint32_t kRndSpecular = 0x8;     // specular highlights
inline constexpr uint32_t kRndBackCull = 0x10;    // cull back faces
inline constexpr uint32_t kRndZBuffer = 0x20;     // depth-tested drawing
inline constexpr uint32_t kRndTexture = 0x100;    // textured surfaces
inline constexpr uint32_t kRndPicking = 0x1000;   // drawing goes to the hit tester
inline constexpr uint32_t kRndBoxOnly = 0x2000;   // objects show their box alone

// Colour slots of setColor.
enum ColorType { LINE_COLOR = 0, FILL_COLOR = 1, TEXT_COLOR = 2 };

// Marker shapes drawn by marker(). Codes are part of the interface and never change.
enum MarkerType {
    kMarkerPoint = 0,       // a single pixel
    kMarkerHollowBox = 1,   // a 7-pixel square outline
    kMarkerPlus = 2,        // a 7-pixel plus sign
    kMarkerCross = 4,       // a 7-pixel diagonal cross
    kMarkerRing = 10,       // a small circle outline, 5 pixels across
    kMarkerFilledDot = 14,  // a small filled disc, 5 pixels across
};

// Kinds of hit region.
enum HitRegionType { POINT_RGN = 0x1, RECT_RGN = 0x2 };
// A rectangle region either needs the element wholly inside (window) or touching it
// (crossing).
inline constexpr int kHitWindow = 0;
inline constexpr int kHitCrossing = 1;

// A region of the screen that picking tests against, in pixels.
struct HitRegion {
    int type = POINT_RGN;
    int crossing = kHitCrossing;
    int epsilon = 0;          // pixel radius around a point region
    IPoint2 point;            // POINT_RGN: the centre
    int left = 0, top = 0, right = 0, bottom = 0;  // RECT_RGN, inclusive
};

// Fills `region`: POINT_RGN takes p[0]; RECT_RGN takes the corners p[0] and p[1].
void MakeHitRegion(HitRegion& region, int type, int crossing, int epsilon, const IPoint2* p);

// The host's interface colours, red, green and blue from 0 to 1.
inline constexpr int COLOR_SELECTION = 0;
inline constexpr int COLOR_SUBSELECTION = 1;
inline constexpr int COLOR_FREEZE = 2;
Point3 GetUIColor(int index);
// Sets an interface colour (the application's theme); components are clamped to 0..1
// and a colour with a NaN component is ignored.
void SetUIColor(int index, const Point3& rgb);

// A drawing surface. Points are given in the space of the last setTransform.
class GraphicsWindow {
public:
    virtual ~GraphicsWindow();

    // Later points are in the space that `m` takes to world space.
    virtual void setTransform(const Matrix3& m) = 0;
    virtual uint32_t getRndLimits() = 0;
    virtual void setRndLimits(uint32_t limits) = 0;
    // Sets a colour slot, components from 0 to 1.
    virtual void setColor(ColorType type, float r, float g, float b) = 0;
    // A line through `count` points, back to the first when `closed` is nonzero.
    virtual void polyline(int count, const Point3* points, int closed) = 0;
    // A batch of segments: start, any number of segment calls, end.
    virtual void startSegments() = 0;
    // The segment from points[0] to points[1]; `visible` is 1 for a drawn edge.
    virtual void segment(const Point3* points, int visible) = 0;
    virtual void endSegments() = 0;
    virtual void marker(const Point3* point, MarkerType type) = 0;

    // Picking: what is drawn after clearHitCode is tested against the region.
    virtual void setHitRegion(const HitRegion* region) = 0;
    virtual void clearHitCode() = 0;
    // Nonzero when anything drawn since the last clearHitCode touched the region.
    virtual int checkHitCode() = 0;
};

// Keeps a window's render limits as they were when it was made and gives them back when
// it goes, so that a drawing callback that sets its own restores them on every path
// out. For the callback's own use, on the UI thread.
class RenderLimitsScope {
public:
    explicit RenderLimitsScope(GraphicsWindow& gw) : gw_(gw), saved_(gw.getRndLimits()) {}
    ~RenderLimitsScope() { gw_.setRndLimits(saved_); }
    RenderLimitsScope(const RenderLimitsScope&) = delete;
    RenderLimitsScope& operator=(const RenderLimitsScope&) = delete;

    // The limits the window had.
    uint32_t Saved() const { return saved_; }

private:
    GraphicsWindow& gw_;
    uint32_t saved_;
};

}  // namespace host
