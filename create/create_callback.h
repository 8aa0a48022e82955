// ZentrographCreateCallBack: the mouse procedure with which the user creates a field
// viewer. The first point places the object, dragging sets its three sizes, and the
// lattice shows while the drag lasts. One module-global instance serves every object.
#pragma once

#include "host/geometry.h"
#include "host/object.h"
#include "object/zentrograph.h"

namespace zentrograph {

// The size factor applied to the drag length for sizeZ: the single-precision value
// nearest 1/51 (bits 0x3CA0A0A1), used as that exact float.
inline constexpr float kSizeZFactor = 0.019607843831181526f;
// A release closer than this many pixels to the first point cancels the creation.
inline constexpr int kMinCreationPixels = 3;

class ZentrographCreateCallBack : public host::CreateMouseCallBack {
public:
    // Answers CREATE_CONTINUE (1), CREATE_STOP (0) or CREATE_ABORT (-1) for each mouse
    // message of a creation; see create_callback.cpp for what each message does.
    int proc(host::ViewportContext* vpt, int msg, int point, int flags, host::IPoint2 m, host::Matrix3& mat) override;

    // The object being created: bound by its GetCreateMouseCallBack, forgotten on the
    // release message or when the object is destroyed. Not owned.
    Zentrograph* creatingObject = nullptr;
    // Creation point 0 as the event delivered it, before snapping.
    host::IPoint2 firstScreenPoint;
    // Creation point 0 snapped to the construction plane, in world units.
    host::Point3 firstWorldPoint;
};

// The module's one creation callback.
ZentrographCreateCallBack& TheCreateCallBack();

// displayLattice as it was when the last first point was set; written back when a
// creation ends. 1 from module load, and kept from one creation to the next.
extern int savedDisplayLattice;

}  // namespace zentrograph
