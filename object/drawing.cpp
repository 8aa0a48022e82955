// Drawing of the sample cache in object space: the lattice box, one segment per
// sample, sample-point markers and the lattice grid. No call allocates.
#include <algorithm>
#include <cstdint>

#include "object/zentrograph.h"

namespace zentrograph {

namespace {

// Markers: a force along the view's Z axis, or across it, gets a filled dot; one
// pointing against it a ring.
constexpr host::MarkerType kMarkerAlongView = host::kMarkerFilledDot;
constexpr host::MarkerType kMarkerAgainstView = host::kMarkerRing;
// The single-precision value of -1e-6 (bits 0xB58637BD).
constexpr float kAgainstViewThreshold = -1e-6f;

// The two points of the segment being drawn, shared by every DrawVectors call of the
// module; both are overwritten before each segment.
host::Point3 segmentPoints[2];

// The number of samples both tables hold.
int SampleCountHeld(const host::Tab<host::Point3>& bases, const host::Tab<host::Point3>& vectors) {
    return std::min(bases.Count(), vectors.Count());
}

// Draws the line from a to b with a three-point buffer.
void DrawLine(host::GraphicsWindow* gw, const host::Point3& a, const host::Point3& b) {
    host::Point3 line[3];
    line[0] = a;
    line[1] = b;
    gw->polyline(2, line, 0);
}

// Grid spacing along one axis; a resolution of 0 never uses its spacing, which stays 0
// rather than dividing by zero.
float GridSpacing(float size, int resolution) {
    return resolution != 0 ? size / static_cast<float>(resolution) : 0.0f;
}

}  // namespace

void Zentrograph::DrawBox(host::GraphicsWindow* gw) {
    const host::Point3 half{cachedSize.x * 0.5f, cachedSize.y * 0.5f, cachedSize.z * 0.5f};
    const host::Box3 box(-half, half);
    host::Point3 corners[5];

    corners[0] = box[0];
    corners[1] = box[1];
    corners[2] = box[3];
    corners[3] = box[2];
    gw->polyline(4, corners, 1);

    corners[0] = box[4];
    corners[1] = box[5];
    corners[2] = box[7];
    corners[3] = box[6];
    gw->polyline(4, corners, 1);

    for (int i = 0; i < 4; ++i) {
        corners[0] = box[i];
        corners[1] = box[i + 4];
        gw->polyline(2, corners, 0);
    }
}

void Zentrograph::DrawVectors(host::GraphicsWindow* gw) {
    gw->startSegments();
    const int n = SampleCountHeld(vectorBases, forceVectors);
    for (int i = 0; i < n; ++i) {
        segmentPoints[0] = vectorBases[i];
        segmentPoints[1] = vectorBases[i] + forceVectors[i];
        // A vector that is not finite (a field answered NaN or infinity, or the sum
        // overflowed) draws as no force: the sample keeps its segment, and the host
        // never receives a coordinate that is not finite.
        if (!host::IsFinite(segmentPoints[1])) segmentPoints[1] = segmentPoints[0];
        gw->segment(segmentPoints, 1);
    }
    gw->endSegments();
}

void Zentrograph::DrawVectorBases(host::ViewportContext* vpt, host::GraphicsWindow* gw, host::Matrix3 objectTM) {
    host::Matrix3 worldToView;
    vpt->GetAffineTM(worldToView);
    const host::Point3 viewAxis = host::Inverse(worldToView).GetRow(2);

    const int n = SampleCountHeld(vectorBases, forceVectors);
    if (n <= 0) return;
    for (int i = 0; i < n; ++i) {
        const host::Point3 w = objectTM.VectorTransform(forceVectors[i]);
        const float d = static_cast<float>(static_cast<double>(viewAxis.x) * w.x +
                                           static_cast<double>(viewAxis.y) * w.y +
                                           static_cast<double>(viewAxis.z) * w.z);
        // Written so that a d that is not a number gets the ring.
        const host::MarkerType code = d >= kAgainstViewThreshold ? kMarkerAlongView : kMarkerAgainstView;
        gw->marker(&vectorBases[i], code);
    }
}

void Zentrograph::DrawLattice(host::GraphicsWindow* gw) {
    const int resX = cachedResolution[0];
    const int resY = cachedResolution[1];
    const int resZ = cachedResolution[2];
    const float dx = GridSpacing(cachedSize.x, resX);
    const float dy = GridSpacing(cachedSize.y, resY);
    const float dz = GridSpacing(cachedSize.z, resZ);
    const float hx = cachedSize.x * 0.5f;
    const float hy = cachedSize.y * 0.5f;
    const float hz = cachedSize.z * 0.5f;

    // Ranges run from 0 to the resolution inclusive; 64-bit counters keep the largest
    // int resolution from wrapping. Positions advance by adding the spacing.
    float z = -hz;
    for (int64_t k = 0; k <= resZ; ++k) {
        float x = -hx;
        for (int64_t j = 0; j <= resX; ++j) {
            DrawLine(gw, {x, -hy, z}, {x, hy, z});
            x = dx + x;
        }
        float y = -hy;
        for (int64_t j = 0; j <= resY; ++j) {
            DrawLine(gw, {-hx, y, z}, {hx, y, z});
            y = dy + y;
        }
        z = dz + z;
    }

    float y = -hy;
    for (int64_t i = 0; i <= resY; ++i) {
        float x = -hx;
        for (int64_t j = 0; j <= resX; ++j) {
            DrawLine(gw, {x, y, -hz}, {x, y, hz});
            x = dx + x;
        }
        y = dy + y;
    }
}

}  // namespace zentrograph
