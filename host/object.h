// Scene objects: what a node shows. BaseObject carries display, picking, bounds and
// creation; Object adds evaluation and world-space state; HelperObject and WSMObject
// are the two super classes the host and its plug-ins build on.
//
// The host calls objects on the UI thread only, one call at a time. The node that shows
// an object owns it through its reference; what an object hands out is owned as each
// declaration says.
#pragma once

#include "host/geometry.h"
#include "host/reference.h"

namespace host {

class SceneNode;
class ViewportContext;
class ForceField;
class Object;

// Bits of an object's flag word.
inline constexpr uint32_t kObjectBeingCreated = 0x20;  // set while the user creates it

// Result of evaluating an object at a time: the object to show.
struct ObjectState {
    Object* obj = nullptr;
    ObjectState() = default;
    explicit ObjectState(Object* o) : obj(o) {}
};

// Messages a creation mouse callback receives, and what it answers.
enum MouseMessage {
    MOUSE_ABORT = 0,
    MOUSE_POINT = 1,
    MOUSE_MOVE = 2,
    MOUSE_DBLCLICK = 3,
    MOUSE_INIT = 4,
    MOUSE_UNINIT = 5,
    MOUSE_FREEMOVE = 6,
};
inline constexpr int CREATE_CONTINUE = 1;
inline constexpr int CREATE_STOP = 0;
inline constexpr int CREATE_ABORT = -1;

// Receives the mouse events of an interactive creation. `matrix` is the creation
// matrix with which the host places the new node.
class CreateMouseCallBack : public HostHeap {
public:
    virtual ~CreateMouseCallBack();
    virtual int proc(ViewportContext* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) = 0;
    // The snap/ortho mode the creation runs in, given the host's: unchanged by default.
    virtual int OverrideMode(int mode);
    // 1: the host starts a new creation after one completes.
    virtual int StartNewCreation();
    // 0: the callback does not ignore the host's snap settings.
    virtual int IgnoreSnap();
};

// Display, picking, bounds and naming: what every object a node can show offers.
class BaseObject : public ReferenceTarget {
public:
    // Draws the object for `node` into the viewport; returns 0.
    virtual int Display(TimeValue t, SceneNode* node, ViewportContext* vpt, int flags);
    // 1 when the object, drawn for `node`, touches the hit region around `p`.
    virtual int HitTest(TimeValue t, SceneNode* node, int type, int crossing, int flags, IPoint2* p,
                        ViewportContext* vpt);
    virtual void GetWorldBoundBox(TimeValue t, SceneNode* node, ViewportContext* vpt, Box3& box);
    virtual void GetLocalBoundBox(TimeValue t, SceneNode* node, ViewportContext* vpt, Box3& box);
    // The callback that creates this object with the mouse, or none; the object's module
    // owns it and the host never deletes it.
    virtual CreateMouseCallBack* GetCreateMouseCallBack();
    // The name shown for the object; may point at a buffer the caller must copy from.
    virtual const char* GetObjectName();
    // The default name of a new node showing this object.
    virtual void InitNodeName(CStr& name);
    // 1: display uses the node's wire colour.
    virtual int UsesWireColor();
    // 1: the object draws its own selected state.
    virtual int DoOwnSelectHilite();

    uint32_t GetObjectFlags() const { return objectFlags_; }
    void SetAFlag(uint32_t bits) { objectFlags_ |= bits; }
    void ClearAFlag(uint32_t bits) { objectFlags_ &= ~bits; }
    bool TestAFlag(uint32_t bits) const { return (objectFlags_ & bits) != 0; }

private:
    uint32_t objectFlags_ = 0;
};

// An object that evaluates to a state in time and can live in world space.
class Object : public BaseObject {
public:
    // The object's state at t: by default the object itself.
    virtual ObjectState Eval(TimeValue t);
    // 1 when the host may cache the evaluated object.
    virtual int CanCacheObject();
    // The host's notice that the object's world-space state is no longer valid.
    virtual void WSStateInvalidate();
    // 1 for objects whose shape depends on their node's world transform.
    virtual int IsWorldSpaceObject();
    // The interval over which the state at t holds.
    virtual Interval ObjectValidity(TimeValue t);
    virtual int IsRenderable();
    // The object under any modifiers: the object itself when there are none.
    virtual Object* FindBaseObject();
    // A new force field for `node`, owned by the caller, who releases it with
    // DeleteThis; none for objects that exert no force.
    virtual ForceField* GetForceField(SceneNode* node);
};

// What a node shows.
using SceneObject = Object;

// Helpers: non-rendering objects that show information in the viewports.
class HelperObject : public Object {
public:
    SClass_ID SuperClassID() override { return kHelperSuperClassId; }
    int IsRenderable() override { return 0; }
};

// Space warps: objects that act on the scene around them.
class WSMObject : public Object {
public:
    SClass_ID SuperClassID() override { return kWSMObjectSuperClassId; }
    int IsRenderable() override { return 0; }
};

}  // namespace host
