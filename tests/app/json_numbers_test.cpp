// Single-precision numbers in JSON: the range a file may hold and the text they print as.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/text/json_numbers.h"

namespace texttest {
namespace {

TEST(JsonNumbersTest, FloatRangeEndsAtWhatRoundsToTheLargestFloat) {
    const double largest = std::numeric_limits<float>::max();
    EXPECT_EQ(zg::text::JsonToFloat(3.4028235e38), std::numeric_limits<float>::max());
    EXPECT_EQ(zg::text::JsonToFloat(-largest), -std::numeric_limits<float>::max());
    EXPECT_FALSE(zg::text::JsonToFloat(largest + std::ldexp(1.0, 103)));
    EXPECT_FALSE(zg::text::JsonToFloat(1e39));
    EXPECT_FALSE(zg::text::JsonToFloat(std::nan("")));
    EXPECT_EQ(zg::text::FloatForJson(0.1f), 0.1);
    EXPECT_EQ(zg::text::FloatForJson(1.0f / 3.0f), 0.33333334);
}

}  // namespace
}  // namespace texttest
