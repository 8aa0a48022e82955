// A view's display list as JSON: each item's node, colour and one shape.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/render/display_list_json.h"
#include "tests/app/render_pictures.h"

namespace rendertest {
namespace {

using namespace zg::viewport;
using nlohmann::json;

TEST(DisplayListJsonTest, ItemsCarryTheirNodeColourAndExactlyOneShape) {
    const json doc = json::parse(zg::render::DisplayListToJson(SampleList(), "Top", 12));
    EXPECT_EQ(doc["width"], 200);
    EXPECT_EQ(doc["height"], 100);
    EXPECT_EQ(doc["view"], "Top");
    EXPECT_EQ(doc["frame"], 12);
    ASSERT_EQ(doc["items"].size(), 3u);
    for (const json& item : doc["items"]) {
        EXPECT_EQ(item.size(), 3u) << item.dump();
        EXPECT_EQ(item.count("polyline") + item.count("segments") + item.count("marker"), 1u) << item.dump();
    }
    EXPECT_TRUE(doc["items"][0]["node"].is_null());
    EXPECT_EQ(doc["items"][0]["color"], json::parse("[0.5, 0.5, 0.5]"));
    EXPECT_EQ(doc["items"][0]["polyline"], json::parse(R"({"closed": false, "points": [[0, 50], [200, 50]]})"));
    EXPECT_EQ(doc["items"][1]["node"], "Helper \"01\"");
    EXPECT_EQ(doc["items"][1]["segments"], json::parse("[[100, 50, 100, 0]]"));
    EXPECT_EQ(doc["items"][2]["marker"], json::parse(R"({"code": 10, "at": [100, 0]})"));

    EXPECT_EQ(json::parse(zg::render::DisplayListToJson(DisplayList(1, 1), "V", 2.5))["frame"], 2.5);
}

}  // namespace
}  // namespace rendertest
