// Cameras made from view definitions: the axes of each projection, and framing bounds.
#include <gtest/gtest.h>

#include <cmath>

#include "app/viewport/view_camera.h"

namespace {

TEST(ViewCameraTest, EveryOrthographicKindLooksAlongItsAxis) {
    using K = zg::scene::ViewKind;
    struct Case {
        K kind;
        zg::Vec3d right, up;
    };
    const Case cases[] = {{K::kTop, {1, 0, 0}, {0, 1, 0}},   {K::kBottom, {1, 0, 0}, {0, -1, 0}},
                          {K::kFront, {1, 0, 0}, {0, 0, 1}}, {K::kBack, {-1, 0, 0}, {0, 0, 1}},
                          {K::kLeft, {0, -1, 0}, {0, 0, 1}}, {K::kRight, {0, 1, 0}, {0, 0, 1}}};
    for (const Case& c : cases) {
        zg::scene::ViewDefinition view;
        view.kind = c.kind;
        const zg::viewport::Camera camera = zg::viewport::MakeCamera(view, 10, 10);
        EXPECT_EQ(camera.ViewToWorld().rows[0], c.right) << zg::scene::ProjectionName(c.kind);
        EXPECT_EQ(camera.ViewToWorld().rows[1], c.up) << zg::scene::ProjectionName(c.kind);
        EXPECT_EQ(zg::scene::ViewKindNamed(zg::scene::ProjectionName(c.kind)), c.kind);
    }
    // Framing a box 10 x 2 x 4 from the front on a square image: its width, with room.
    zg::scene::ViewDefinition front;
    front.kind = K::kFront;
    zg::viewport::FrameBounds(front, host::Box3({-5, -1, -2}, {5, 1, 2}), 1.0);
    EXPECT_NEAR(front.width, 12.5, 1e-9);
    zg::viewport::FrameBounds(front, host::Box3(), std::nan(""));
    EXPECT_TRUE(std::isfinite(front.width) && front.width > 0);
}

}  // namespace
