// The scene listing of nodes whose objects have no box.
#include <gtest/gtest.h>

#include <string>

#include "app/scene/scene.h"
#include "app/scene/scene_listing.h"
#include "tests/support/host_fakes.h"

namespace {

using zg::scene::Scene;

TEST(SceneListingTest, ObjectsWithoutABoxListNull) {
    Scene scene;
    std::string error;
    scene.AddNode("Plain", new hostfakes::FakeSpaceWarp(), error);
    const auto listing = zg::scene::ListNodes(scene, 0, zg::scene::ClassResolver{});
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_FALSE(listing[0].worldBox);
    const auto json = zg::scene::ListingJson(listing);
    EXPECT_TRUE(json["nodes"][0]["worldBox"].is_null());
    EXPECT_EQ(json["nodes"][0]["class"], "");
    EXPECT_NE(zg::scene::ListingText(listing).find("Plain  -"), std::string::npos);
}

}  // namespace
