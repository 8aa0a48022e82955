// The node transform: how position, rotation and scale make an object-to-world matrix.
//
// Points are row vectors multiplied from the left (p' = p * M, host/geometry.h). A
// node's matrix applies, in this order: scale along the object's own axes, rotation
// about X, then about Y, then about Z (fixed world axes, right-handed, angles in
// degrees), then the translation:
//     M = Scale(s) * RotateX(rx) * RotateY(ry) * RotateZ(rz) * Translation(p)
// The product is formed in double precision and rounded once; angles that are whole
// multiples of 90 degrees give exact zeros and ones.
#pragma once

#include "host/geometry.h"

namespace zg::scene {

host::Matrix3 ComposeTransform(const host::Point3& position, const host::Point3& rotationDegrees,
                               const host::Point3& scale);

// The rotation angles (degrees, X, Y then Z as above) of the axis rows of `m`, which
// must be a pure rotation: ComposeTransform(p, RotationDegrees(m), {1, 1, 1}) gives
// m's axes back. Angles within a billionth of a degree of a quarter turn are made
// exact. With Y at a quarter turn (gimbal lock) X is taken as 0.
host::Point3 RotationDegrees(const host::Matrix3& m);

}  // namespace zg::scene
