// Zentrograph: the helper object that samples the scene's force fields over a box
// lattice around its pivot and draws one segment per sample point.
#pragma once

#include "host/classid.h"
#include "host/geometry.h"
#include "host/graphics.h"
#include "host/object.h"
#include "host/objparam.h"
#include "host/paramblock.h"
#include "host/platform.h"
#include "host/tab.h"
#include "host/viewport.h"

namespace zentrograph {

inline constexpr host::Class_ID kZentrographClassID{0x0F016797, 0x762B0972};

// Bit of the object flag word set from construction until editing first ends.
inline constexpr uint32_t kBeingCreatedFlag = host::kObjectBeingCreated;

// Every force returned by a field is multiplied by this factor before it is summed.
inline constexpr float kForceFactor = 160000.0f;

class Zentrograph : public host::HelperObject {
public:
    // Builds parameter block 0 with every default through the class descriptor. The
    // block is missing (pblock none) when the host could not allocate it.
    Zentrograph();
    ~Zentrograph() override;

    // Identity.
    void GetClassName(host::CStr& name) override;
    host::SClass_ID SuperClassID() override;
    host::Class_ID ClassID() override;
    void DeleteThis() override;
    int IsSubClassOf(host::Class_ID id) override;

    // The parameter block is the one sub-animatable, reference and block; the index
    // is not consulted.
    int NumSubs() override;
    host::Animatable* SubAnim(int i) override;
    host::CStr SubAnimName(int i) override;
    int NumParamBlocks() override;
    host::ParamBlock* GetParamBlock(int i) override;
    host::ParamBlock* GetParamBlockByID(int16_t id) override;
    int NumRefs() override;
    host::ReferenceTarget* GetReference(int i) override;
    void SetReference(int i, host::ReferenceTarget* target) override;
    // A change message (REFMSG_CHANGE) clears the sample cache; every message succeeds.
    host::RefResult NotifyRefChanged(const host::Interval& changeInterval, host::ReferenceTarget* target,
                                     host::PartID& part, host::RefMessage message) override;
    // An independent copy with its own copy of the parameter block, empty tables and an
    // invalid cache; none, with nothing left allocated, when memory runs out.
    host::ReferenceTarget* Clone(host::RemapDir& remap) override;

    // Display and picking (display.cpp), bounds (bounds.cpp).
    int HitTest(host::TimeValue t, host::SceneNode* node, int type, int crossing, int flags, host::IPoint2* p,
                host::ViewportContext* vpt) override;
    int Display(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt, int flags) override;
    void GetWorldBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt,
                          host::Box3& box) override;
    void GetLocalBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt,
                          host::Box3& box) override;

    // Editing in the command panel (ui/edit_params.cpp): the generated Parameters
    // rollout and the About rollout. EndEditParams also ends the object's creation.
    void BeginEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* prev) override;
    void EndEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* next) override;

    // Binds the module's creation callback to this object and hands it out
    // (create/create_callback.cpp).
    host::CreateMouseCallBack* GetCreateMouseCallBack() override;

    // Naming: the string table's class name; GetObjectName hands over the module's
    // shared string buffer, the name-filling callbacks leave an empty name when the
    // string cannot be read.
    const char* GetObjectName() override;
    void InitNodeName(host::CStr& name) override;
    int UsesWireColor() override;
    int DoOwnSelectHilite() override;
    int IsRenderable() override;

    // Evaluation: the object is its own state, holds for one instant and lives in world
    // space.
    host::ObjectState Eval(host::TimeValue t) override;
    int CanCacheObject() override;
    void WSStateInvalidate() override;
    int IsWorldSpaceObject() override;
    host::Interval ObjectValidity(host::TimeValue t) override;

    // Brings the sample cache up to date for time t (sampling.cpp). A null node
    // samples nothing and stands for the identity transform.
    void UpdateForces(host::TimeValue t, host::SceneNode* node);
    // The object-space box of the lattice widened by the cached force vectors.
    void ComputeLocalBox(host::Box3& box);

    // Drawing in object space (drawing.cpp); they read the cache and set no colour,
    // limits or transform.
    void DrawBox(host::GraphicsWindow* gw);
    void DrawVectors(host::GraphicsWindow* gw);
    void DrawVectorBases(host::ViewportContext* vpt, host::GraphicsWindow* gw, host::Matrix3 objectTM);
    void DrawLattice(host::GraphicsWindow* gw);

    // Parameter block 0, held as reference 0; released through the reference system.
    host::ParamBlock* pblock = nullptr;
    // The command panel while the object is edited; not owned.
    host::IObjParam* editInterface = nullptr;
    // The About rollout while the object is edited; not owned.
    host::HWND aboutRollup = nullptr;

    // The sample cache, written by UpdateForces alone. Both tables hold one entry per
    // sample, object space, index ix + resX * (iy + resY * iz); they hold equal counts.
    host::Tab<host::Point3> forceVectors;  // summed force * 160000 * vectorScale
    host::Tab<host::Point3> vectorBases;   // sample positions
    host::Point3 cachedSize;               // sizeX, sizeY, sizeZ at the last update
    int cachedResolution[3] = {0, 0, 0};   // resolutionX, Y, Z at the last update
    float cachedVectorScale = 0.0f;        // vectorScale at the last update
    int cacheValid = 0;                    // nonzero while the tables hold cacheTime's samples
    host::TimeValue cacheTime = 0;
};

// Unbinds the creation callback from `object` when it is the object being created, so
// that the callback never reaches a destroyed object (create/create_callback.cpp).
void ForgetCreation(Zentrograph* object);

}  // namespace zentrograph
