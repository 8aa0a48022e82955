// Affine: a transform in double precision for the viewports' projection maths, built
// from and rounded back to the host's single-precision Matrix3.
#pragma once

#include "app/geometry/vec3d.h"
#include "host/geometry.h"

namespace zg {

// The host's row-vector convention: p' = p * M, rows are the images of the X, Y and Z
// axes, then the translation.
struct Affine {
    Vec3d rows[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};

    static Affine FromMatrix3(const host::Matrix3& m) {
        Affine a;
        for (int i = 0; i < 4; ++i) a.rows[i] = Vec3d(m.GetRow(i));
        return a;
    }
    host::Matrix3 ToMatrix3() const {
        return host::Matrix3(rows[0].ToPoint3(), rows[1].ToPoint3(), rows[2].ToPoint3(), rows[3].ToPoint3());
    }
    Vec3d PointTransform(const Vec3d& p) const {
        return rows[0] * p.x + rows[1] * p.y + rows[2] * p.z + rows[3];
    }
    Vec3d VectorTransform(const Vec3d& v) const { return rows[0] * v.x + rows[1] * v.y + rows[2] * v.z; }
    // (A * B) applies A first, then B.
    Affine operator*(const Affine& b) const {
        Affine r;
        for (int i = 0; i < 3; ++i) r.rows[i] = b.VectorTransform(rows[i]);
        r.rows[3] = b.PointTransform(rows[3]);
        return r;
    }
};

}  // namespace zg
