// ForceField: what a space warp exerts on a particle, asked one position at a time.
// Called on the UI thread only. Whoever asked for a field owns it (below).
#pragma once

#include "host/geometry.h"
#include "host/heap.h"
#include "host/time.h"

namespace host {

// A force field obtained from an object's GetForceField. The caller owns it and
// releases it with DeleteThis once done; it must not outlive the node it was made for.
class ForceField : public HostHeap {
public:
    virtual ~ForceField();
    // The acceleration, in scene units per tick squared, on a particle at the
    // world-space position `pos` moving with velocity `vel` at time t. `index` numbers
    // the particle; fields may use it to vary their answer.
    virtual Point3 Force(TimeValue t, const Point3& pos, const Point3& vel, int index) = 0;
    virtual void DeleteThis();
};

// One scene unit per tick squared is a large force. A field of strength 1 answers
// forces whose magnitude, times 160000, is 0.1 (before its own falloff).
inline constexpr float kForceUnit = 0.1f / 160000.0f;

}  // namespace host
