#include "host/tab.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <limits>

#include "host/geometry.h"

using host::Point3;
using host::Tab;

namespace {

class TabTest : public ::testing::Test {
protected:
    void SetUp() override { held_ = host::GetHeapStats().budgetBytesHeld; }
    void TearDown() override { host::ResetMemoryBudget(); }
    std::size_t Held() const { return host::GetHeapStats().budgetBytesHeld - held_; }

    std::size_t held_ = 0;
};

TEST_F(TabTest, SetCountZeroFillsNewEntries) {
    Tab<Point3> t;
    ASSERT_TRUE(t.SetCount(3));
    for (Point3& p : t) p = Point3(1, 2, 3);
    ASSERT_TRUE(t.SetCount(1));
    ASSERT_TRUE(t.SetCount(4));
    EXPECT_EQ(t[0], Point3(1, 2, 3));
    for (int i = 1; i < 4; ++i) EXPECT_EQ(t[i], Point3()) << i;

    // Growth within the existing capacity also clears what lay beyond the count.
    Tab<int> n;
    ASSERT_TRUE(n.SetCount(8));
    for (int& v : n) v = 5;
    ASSERT_TRUE(n.SetCount(2, false));
    ASSERT_TRUE(n.SetCount(8, false));
    EXPECT_EQ(n[7], 0);
}

TEST_F(TabTest, RefusedRequestsChangeNothing) {
    Tab<Point3> t;
    ASSERT_TRUE(t.SetCount(10));
    t[9] = Point3(9, 9, 9);
    EXPECT_FALSE(t.SetCount(-1));
    EXPECT_EQ(t.Count(), 10);

    host::SetMemoryBudget(host::GetHeapStats().budgetBytesHeld + 200);
    EXPECT_FALSE(t.SetCount(1000));
    EXPECT_FALSE(t.SetCount(std::numeric_limits<int>::max()));
    EXPECT_EQ(t.Count(), 10);
    EXPECT_EQ(t[9], Point3(9, 9, 9));
    EXPECT_EQ(Held(), 10 * sizeof(Point3));
}

TEST_F(TabTest, BudgetFollowsTheStorage) {
    {
        Tab<Point3> t;
        ASSERT_TRUE(t.SetCount(100));
        EXPECT_EQ(Held(), 100 * sizeof(Point3));
        ASSERT_TRUE(t.SetCount(10));
        EXPECT_EQ(Held(), 10 * sizeof(Point3));
        ASSERT_TRUE(t.SetCount(0));
        EXPECT_EQ(Held(), 0u);
        ASSERT_TRUE(t.SetCount(50));
    }
    EXPECT_EQ(Held(), 0u);
}

TEST_F(TabTest, AppendGrowsAndStopsAtTheBudget) {
    Tab<int> t;
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(t.Append(i));
    EXPECT_EQ(t.Count(), 100);
    EXPECT_EQ(t[57], 57);

    Tab<int> small;
    host::SetMemoryBudget(host::GetHeapStats().budgetBytesHeld + 4 * sizeof(int));
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(small.Append(i));
    EXPECT_FALSE(small.Append(4));
    EXPECT_EQ(small.Count(), 4);
    EXPECT_EQ(small[3], 3);
}

}  // namespace

namespace {

// The bytes of this process's memory that are resident now.
std::size_t ResidentBytes() {
    std::size_t pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%zu %zu", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

// Two tables that grow together, the second refused by the budget: the first one's
// growth has touched none of its new memory, whether it held entries before or not.
TEST_F(TabTest, GrowthThatIsGivenBackTouchesNoNewMemory) {
    constexpr int kEntries = 256 << 20 >> 2;  // 256 MiB of ints
    for (const int before : {0, 1000}) {
        Tab<int> first, second;
        ASSERT_TRUE(first.SetCount(before));
        ASSERT_TRUE(second.SetCount(before));
        for (int& v : first) v = 7;
        host::SetMemoryBudget(host::GetHeapStats().budgetBytesHeld + (std::size_t{300} << 20));
        const std::size_t resident = ResidentBytes();
        ASSERT_TRUE(first.SetCount(kEntries));
        EXPECT_FALSE(second.SetCount(kEntries));
        EXPECT_LT(ResidentBytes(), resident + (std::size_t{32} << 20)) << "held before: " << before;
        if (before > 0) {
            EXPECT_EQ(first[before - 1], 7);
        }
        EXPECT_EQ(first[kEntries - 1], 0);
        host::ResetMemoryBudget();
    }
}
