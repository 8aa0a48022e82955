// Display and HitTest: the object drawn, or tested against a hit region, in object
// space with the node's transform, box first, then vectors, markers and grid.
#include "host/node.h"
#include "object/param_desc.h"
#include "object/zentrograph.h"

namespace zentrograph {

namespace {

// Render-limit bits: Display keeps only the z-buffer bit of the saved limits and draws
// in wireframe; HitTest drops the shading bits and picks in wireframe.
constexpr uint32_t kDisplayKeptLimits = host::kRndZBuffer;
constexpr uint32_t kShadingLimits = host::kRndIllum | host::kRndFlat | host::kRndSpecular | host::kRndTexture;
// Pixel radius of the hit region around the picked point.
constexpr int kHitEpsilon = 4;

// One colour channel of a wire colour, 0 to 1, divided in double precision.
float WireChannel(uint32_t wireColor, int shift) {
    return static_cast<float>(static_cast<double>((wireColor >> shift) & 0xFFu) / 255.0);
}

// The line colour for the node's state: selection, then frozen, then its wire colour.
host::Point3 LineColor(host::SceneNode* node) {
    if (node == nullptr) return host::Point3();
    if (node->IsSelected() != 0) return host::GetUIColor(host::COLOR_SELECTION);
    if (node->IsFrozen() != 0) return host::GetUIColor(host::COLOR_FREEZE);
    const uint32_t wire = node->GetWireColor();
    return {WireChannel(wire, 0), WireChannel(wire, 8), WireChannel(wire, 16)};
}

// A display switch of the block at time t; off when there is no block.
bool SwitchOn(host::ParamBlock* pblock, host::ParamID id, host::TimeValue t) {
    return pblock != nullptr && pblock->GetInt(id, t) != 0;
}

host::Matrix3 ObjectTransform(host::SceneNode* node, host::TimeValue t) {
    return node != nullptr ? node->GetObjectTM(t) : host::Matrix3();
}

}  // namespace

int Zentrograph::Display(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt, int /*flags*/) {
    UpdateForces(t, node);
    if (vpt == nullptr) return 0;
    host::GraphicsWindow* gw = vpt->GetGraphicsWindow();
    if (gw == nullptr) return 0;
    const host::Matrix3 objectTM = ObjectTransform(node, t);
    gw->setTransform(objectTM);
    const host::RenderLimitsScope limits(*gw);
    const uint32_t saved = limits.Saved();

    gw->setRndLimits((saved & kDisplayKeptLimits) | host::kRndWireframe);
    const host::Point3 color = LineColor(node);
    gw->setColor(host::LINE_COLOR, color.x, color.y, color.z);

    DrawBox(gw);
    if ((saved & host::kRndBoxOnly) == 0) {
        DrawVectors(gw);
        if (SwitchOn(pblock, kDisplayVectorBases, t)) DrawVectorBases(vpt, gw, objectTM);
        if (SwitchOn(pblock, kDisplayLattice, t)) DrawLattice(gw);
    }
    return 0;
}

int Zentrograph::HitTest(host::TimeValue t, host::SceneNode* node, int type, int crossing, int /*flags*/,
                         host::IPoint2* p, host::ViewportContext* vpt) {
    UpdateForces(t, node);
    if (vpt == nullptr) return 0;
    host::GraphicsWindow* gw = vpt->GetGraphicsWindow();
    if (gw == nullptr) return 0;
    const host::Matrix3 objectTM = ObjectTransform(node, t);
    gw->setTransform(objectTM);
    const host::RenderLimitsScope limits(*gw);
    const uint32_t saved = limits.Saved();

    gw->setRndLimits((saved & ~kShadingLimits) | host::kRndPicking | host::kRndWireframe);
    host::HitRegion region;
    host::MakeHitRegion(region, type, crossing, kHitEpsilon, p);
    gw->setHitRegion(&region);

    // Each element is tested on its own; the first that touches the region decides,
    // and a switch is read only when its element is reached.
    const auto hit = [&]() { return gw->checkHitCode() != 0; };
    gw->clearHitCode();
    DrawBox(gw);
    if (hit()) return 1;
    if ((saved & host::kRndBoxOnly) != 0) return 0;
    gw->clearHitCode();
    DrawVectors(gw);
    if (hit()) return 1;
    if (SwitchOn(pblock, kDisplayVectorBases, t)) {
        gw->clearHitCode();
        DrawVectorBases(vpt, gw, objectTM);
        if (hit()) return 1;
    }
    if (SwitchOn(pblock, kDisplayLattice, t)) {
        gw->clearHitCode();
        DrawLattice(gw);
        if (hit()) return 1;
    }
    return 0;
}

}  // namespace zentrograph
