#include "app/scene/transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zg::scene {
namespace {

struct SinCos {
    double s = 0.0;
    double c = 1.0;
};

// Sine and cosine of an angle in degrees, exact at the quarter turns.
SinCos SinCosDegrees(double degrees) {
    if (!std::isfinite(degrees)) return {};
    const double turn = std::fmod(degrees, 360.0);
    if (turn == 0.0) return {0.0, 1.0};
    if (turn == 90.0 || turn == -270.0) return {1.0, 0.0};
    if (turn == 180.0 || turn == -180.0) return {0.0, -1.0};
    if (turn == 270.0 || turn == -90.0) return {-1.0, 0.0};
    const double radians = turn * (std::numbers::pi / 180.0);
    return {std::sin(radians), std::cos(radians)};
}

using Rows = double[3][3];

// a = a * b for 3x3 matrices of rows.
void MultiplyInto(Rows& a, const Rows& b) {
    Rows r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) a[i][j] = r[i][j];
}

// Degrees from radians, a near quarter turn made exact.
double Degrees(double radians) {
    const double d = radians * (180.0 / std::numbers::pi);
    const double quarter = std::round(d / 90.0) * 90.0;
    return std::fabs(d - quarter) < 1e-9 ? quarter + 0.0 : d;
}

}  // namespace

host::Matrix3 ComposeTransform(const host::Point3& position, const host::Point3& rotationDegrees,
                               const host::Point3& scale) {
    const SinCos x = SinCosDegrees(rotationDegrees.x);
    const SinCos y = SinCosDegrees(rotationDegrees.y);
    const SinCos z = SinCosDegrees(rotationDegrees.z);
    // The same right-handed axis rotations as host::Matrix3::RotateX/Y/Z.
    Rows m = {{scale.x, 0.0, 0.0}, {0.0, scale.y, 0.0}, {0.0, 0.0, scale.z}};
    const Rows rx = {{1.0, 0.0, 0.0}, {0.0, x.c, x.s}, {0.0, -x.s, x.c}};
    const Rows ry = {{y.c, 0.0, -y.s}, {0.0, 1.0, 0.0}, {y.s, 0.0, y.c}};
    const Rows rz = {{z.c, z.s, 0.0}, {-z.s, z.c, 0.0}, {0.0, 0.0, 1.0}};
    MultiplyInto(m, rx);
    MultiplyInto(m, ry);
    MultiplyInto(m, rz);

    host::Point3 rows[3];
    for (int i = 0; i < 3; ++i)
        rows[i] = {static_cast<float>(m[i][0]), static_cast<float>(m[i][1]), static_cast<float>(m[i][2])};
    return host::Matrix3(rows[0], rows[1], rows[2], position);
}

host::Point3 RotationDegrees(const host::Matrix3& m) {
    // With M = RotateX(x) * RotateY(y) * RotateZ(z): row 0 is (cy cz, cy sz, -sy), and
    // the last column holds (-sy, sx cy, cx cy).
    const host::Point3 r0 = m.GetRow(0), r1 = m.GetRow(1), r2 = m.GetRow(2);
    const double sy = -std::clamp(static_cast<double>(r0.z), -1.0, 1.0);
    const double y = std::asin(sy);
    double x = 0.0;
    double z = 0.0;
    if (std::fabs(sy) < 1.0 - 1e-7) {
        x = std::atan2(r1.z, r2.z);
        z = std::atan2(r0.y, r0.x);
    } else {
        // Gimbal lock: only x - z (or x + z) is fixed; take x as 0, then row 1 is
        // (-sz, cz, 0).
        z = std::atan2(-r1.x, r1.y);
    }
    return {static_cast<float>(Degrees(x)), static_cast<float>(Degrees(y)), static_cast<float>(Degrees(z))};
}

}  // namespace zg::scene
