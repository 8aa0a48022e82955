// UpdateForces: samples the listed force fields over the object's lattice and keeps
// the summed, scaled, object-space vectors in the sample cache, keyed by time.
#include <cstdint>
#include <limits>

#include "host/forcefield.h"
#include "host/node.h"
#include "object/param_desc.h"
#include "object/param_rules.h"
#include "object/zentrograph.h"

namespace zentrograph {

namespace {

// Every Force call is made for a particle moving along the unit Z axis.
const host::Point3 kSampleVelocity{0.0f, 0.0f, 1.0f};

// Where one axis of the lattice starts and how far apart its samples lie: the first
// and the last sample sit on the box faces; a single sample sits at the origin.
struct LatticeAxis {
    float start = 0.0f;
    float step = 0.0f;
};

LatticeAxis AxisLayout(float size, int resolution) {
    if (resolution <= 1) return {};
    return {-size * 0.5f, size / static_cast<float>(resolution - 1)};
}

// The product of the resolutions, or -1 when it is negative or beyond what a table can
// count.
int SampleCount(const int resolution[3]) {
    const int64_t n = static_cast<int64_t>(resolution[0]) * resolution[1] * resolution[2];
    if (n < 0 || n > std::numeric_limits<int>::max()) return -1;
    return static_cast<int>(n);
}

}  // namespace

void Zentrograph::UpdateForces(host::TimeValue t, host::SceneNode* node) {
    if (pblock == nullptr) {
        // Nothing to sample without parameters: an empty cache that never turns valid.
        cachedSize = host::Point3();
        cachedResolution[0] = cachedResolution[1] = cachedResolution[2] = 0;
        cachedVectorScale = 0.0f;
        forceVectors.SetCount(0);
        vectorBases.SetCount(0);
        cacheValid = 0;
        return;
    }

    cachedSize.x = pblock->GetFloat(kSizeX, t);
    cachedSize.y = pblock->GetFloat(kSizeY, t);
    cachedSize.z = pblock->GetFloat(kSizeZ, t);
    cachedResolution[0] = pblock->GetInt(kResolutionX, t);
    cachedResolution[1] = pblock->GetInt(kResolutionY, t);
    cachedResolution[2] = pblock->GetInt(kResolutionZ, t);
    cachedVectorScale = pblock->GetFloat(kVectorScale, t);

    const int n = SampleCount(cachedResolution);
    if (n != forceVectors.Count()) {
        const bool granted = n >= 0 && forceVectors.SetCount(n) && vectorBases.SetCount(n);
        if (!granted) {
            // The tables cannot hold the lattice: keep them empty and equal, so that
            // readers, which go by the tables' counts, see no samples.
            forceVectors.SetCount(0);
            vectorBases.SetCount(0);
            cacheValid = 0;
            return;
        }
    }

    if (cacheValid != 0 && cacheTime == t) return;

    for (host::Point3& v : forceVectors) v = host::Point3();
    for (host::Point3& p : vectorBases) p = host::Point3();

    const host::Matrix3 tm = node != nullptr ? node->GetObjectTM(t) : host::Matrix3();

    const int resX = cachedResolution[0];
    const int resY = cachedResolution[1];
    const int resZ = cachedResolution[2];
    // The walk below visits exactly resX * resY * resZ samples when all three are
    // positive, and none otherwise, so k stays below the tables' count.
    for (int j = 0; node != nullptr && j < pblock->Count(kForceNodes); ++j) {
        host::SceneNode* forceNode = pblock->GetNode(kForceNodes, t, j);
        if (forceNode == nullptr || IsForceNode(forceNode) == 0) continue;
        host::SceneObject* object = forceNode->GetObjectRef();
        if (object == nullptr) continue;
        host::ForceField* field = object->GetForceField(forceNode);
        if (field == nullptr) continue;

        const LatticeAxis ax = AxisLayout(cachedSize.x, resX);
        const LatticeAxis ay = AxisLayout(cachedSize.y, resY);
        const LatticeAxis az = AxisLayout(cachedSize.z, resZ);
        // Coordinates advance by repeated single-precision addition of the step.
        host::Point3 p{ax.start, ay.start, az.start};
        int k = 0;
        for (int iz = 0; iz < resZ; ++iz) {
            for (int iy = 0; iy < resY; ++iy) {
                for (int ix = 0; ix < resX; ++ix) {
                    vectorBases[k] = p;
                    const host::Point3 world = tm.PointTransform(p);
                    const host::Point3 force = field->Force(t, world, kSampleVelocity, k);
                    forceVectors[k] += force * kForceFactor;
                    ++k;
                    p.x += ax.step;
                }
                p.x = ax.start;
                p.y += ay.step;
            }
            p.y = ay.start;
            p.z += az.step;
        }
        field->DeleteThis();
    }

    // Scale first, then turn the world-space sums into object-space vectors.
    const host::Matrix3 worldToObject = host::Inverse(tm);
    for (host::Point3& v : forceVectors) v = worldToObject.VectorTransform(v * cachedVectorScale);

    cacheValid = 1;
    cacheTime = t;
}

}  // namespace zentrograph
