// SceneNode: a placed instance in the scene, showing one object through a transform.
// The application implements nodes; plug-ins only read them.
//
// Plug-ins read nodes on the UI thread only. The scene owns every node and the object it
// shows; a plug-in keeps a node only through a reference (a parameter block's node
// table holds one), so that it hears when the node goes.
#pragma once

#include "host/geometry.h"
#include "host/object.h"

namespace host {

// A node of the scene. It is a reference target: when its transform or what it shows
// changes it sends REFMSG_CHANGE (PART_TM, PART_OBJECT or PART_DISPLAY) to its
// dependents, and parameter blocks that list it pass that on to their owners.
class SceneNode : public ReferenceTarget {
public:
    SClass_ID SuperClassID() override { return kNodeSuperClassId; }
    Class_ID ClassID() override { return Class_ID(1, 0); }

    // The node's name, unique in its scene.
    virtual const char* GetName() = 0;
    // The object-to-world transform at t.
    virtual Matrix3 GetObjectTM(TimeValue t) = 0;
    // The object the node shows, or none.
    virtual SceneObject* GetObjectRef() = 0;
    virtual int IsSelected() = 0;
    virtual int IsFrozen() = 0;
    // 0x00BBGGRR: red in the low byte, then green, then blue; the top byte is unused.
    virtual uint32_t GetWireColor() = 0;
};

}  // namespace host
