// Bounding boxes: the lattice box widened by the force vectors drawn from its samples.
#include <cmath>

#include "host/node.h"
#include "object/zentrograph.h"

namespace zentrograph {

void Zentrograph::ComputeLocalBox(host::Box3& box) {
    // The smallest box that holds the origin and every force vector. A component that
    // is not finite changes nothing, as its vector draws as no force.
    host::Point3 lo;
    host::Point3 hi;
    for (const host::Point3& v : forceVectors) {
        for (int c = 0; c < 3; ++c) {
            if (!std::isfinite(v[c])) continue;
            if (lo[c] > v[c]) {
                lo[c] = v[c];
            } else if (hi[c] < v[c]) {
                hi[c] = v[c];
            }
        }
    }
    const host::Point3 half = cachedSize * 0.5f;
    box.pmax = half;
    box.pmin = -half;
    box.pmin = box.pmin + lo;
    box.pmax = box.pmax + hi;
}

void Zentrograph::GetLocalBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext* /*vpt*/,
                                   host::Box3& box) {
    UpdateForces(t, node);
    ComputeLocalBox(box);
}

void Zentrograph::GetWorldBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext* /*vpt*/,
                                   host::Box3& box) {
    UpdateForces(t, node);
    ComputeLocalBox(box);
    if (node != nullptr) box = box * node->GetObjectTM(t);
}

}  // namespace zentrograph
