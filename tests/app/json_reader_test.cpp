// Strict JSON text: where in the text an error lies.
#include <gtest/gtest.h>

#include <string>

#include "app/text/json_reader.h"

namespace texttest {
namespace {

TEST(JsonReaderTest, LineColumnCountsFromOne) {
    const std::string text = "ab\ncd\n\nef";
    EXPECT_EQ(zg::text::LineColumn(text, 0), "1:1");
    EXPECT_EQ(zg::text::LineColumn(text, 2), "1:3");
    EXPECT_EQ(zg::text::LineColumn(text, 3), "2:1");
    EXPECT_EQ(zg::text::LineColumn(text, 7), "4:1");
    EXPECT_EQ(zg::text::LineColumn(text, 100), "4:3");
}

}  // namespace
}  // namespace texttest
