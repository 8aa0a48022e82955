#include "host/heap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "host/core/memory_limit.h"
#include "tests/support/temp_folder.h"

namespace {

// Every test leaves the heap as it found it: no injected failures, the default budget.
class HeapTest : public ::testing::Test {
protected:
    void TearDown() override {
        host::FailHeapAllocations(0, 0);
        unsetenv("ZENTROGRAPH_MEMORY_BUDGET");
        host::ResetMemoryBudget();
    }
};

struct Widget : host::HostHeap {
    int value = 7;
};

TEST_F(HeapTest, CountsLiveBlocks) {
    const std::size_t before = host::GetHeapStats().liveBlocks;
    void* a = host::HeapAlloc(16);
    void* b = host::HeapAlloc(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, before + 2);
    host::HeapFree(a);
    host::HeapFree(b);
    host::HeapFree(nullptr);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, before);
}

TEST_F(HeapTest, InjectedFailuresSkipThenFailACount) {
    host::FailHeapAllocations(1, 2);
    void* first = host::HeapAlloc(8);
    void* second = host::HeapAlloc(8);
    void* third = host::HeapAlloc(8);
    void* fourth = host::HeapAlloc(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(third, nullptr);
    EXPECT_NE(fourth, nullptr);
    host::HeapFree(first);
    host::HeapFree(fourth);
}

TEST_F(HeapTest, HostHeapClassesFailTheWayTheirNewSays) {
    const std::size_t before = host::GetHeapStats().liveBlocks;
    host::FailHeapAllocations(0, 2);
    EXPECT_EQ(new (std::nothrow) Widget, nullptr);
    EXPECT_THROW(delete new Widget, std::bad_alloc);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, before);

    Widget* w = new (std::nothrow) Widget;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->value, 7);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, before + 1);
    delete w;
    EXPECT_EQ(host::GetHeapStats().liveBlocks, before);
}

TEST_F(HeapTest, BudgetBoundsTheTotalGranted) {
    const std::size_t held = host::GetHeapStats().budgetBytesHeld;
    host::SetMemoryBudget(held + 100);
    EXPECT_TRUE(host::ReserveBytes(60));
    EXPECT_FALSE(host::ReserveBytes(50));  // 110 in total
    EXPECT_TRUE(host::ReserveBytes(40));   // exactly the budget
    EXPECT_FALSE(host::ReserveBytes(1));
    EXPECT_EQ(host::GetHeapStats().budgetBytesHeld, held + 100);
    host::ReleaseBytes(100);
    EXPECT_EQ(host::GetHeapStats().budgetBytesHeld, held);
    EXPECT_TRUE(host::ReserveBytes(100));
    host::ReleaseBytes(100);
}

TEST_F(HeapTest, AShareGrowsAVectorWithinTheBudgetAndGivesItBackWhenItGoes) {
    const host::HeapStats before = host::GetHeapStats();
    host::SetMemoryBudget(before.budgetBytesHeld + 1000);
    {
        host::BudgetShare share;
        std::vector<int> v;
        ASSERT_TRUE(host::GrowWithin(share, v, 100));
        EXPECT_EQ(share.Bytes(), v.capacity() * sizeof(int));
        EXPECT_EQ(host::GetHeapStats().budgetBytesHeld, before.budgetBytesHeld + share.Bytes());
        const std::size_t capacity = v.capacity();
        EXPECT_FALSE(host::GrowWithin(share, v, 1000));
        EXPECT_EQ(v.capacity(), capacity);
        EXPECT_EQ(host::GetHeapStats().refusedReservations, before.refusedReservations + 1);
    }
    EXPECT_EQ(host::GetHeapStats().budgetBytesHeld, before.budgetBytesHeld);
}

TEST_F(HeapTest, DefaultBudgetIsHalfThePhysicalMemory) {
    unsetenv("ZENTROGRAPH_MEMORY_BUDGET");
    host::SetMemoryBudget(1);
    host::ResetMemoryBudget();
    const auto physical =
        static_cast<std::size_t>(sysconf(_SC_PHYS_PAGES)) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    EXPECT_EQ(host::MemoryBudget(), std::min(physical, host::core::CgroupMemoryLimit().value_or(physical)) / 2);
}

// The lowest limit on the process's cgroup or any above it, in either hierarchy.
TEST_F(HeapTest, CgroupMemoryLimitIsTheLowestOnTheWayUp) {
    testsupport::TempFolder root;
    const auto put = [&](const std::string& path, const std::string& value) {
        std::filesystem::create_directories((root.Path() / path).parent_path());
        root.Write(path, value + "\n");
    };
    put("memory/memory.limit_in_bytes", "9223372036854771712");
    put("memory/job/memory.limit_in_bytes", "3000000");
    put("memory/job/task/memory.limit_in_bytes", "9223372036854771712");
    put("memory.max", "max");
    put("app/memory.max", "max");
    const struct {
        const char* cgroup;
        std::optional<std::size_t> limit;
    } cases[] = {
        {"4:memory:/job/task\n0::/app\n", 3000000},
        {"4:cpu,memory:/job\n", 3000000},
        {"0::/app\n", std::nullopt},
        {"4:memory:/elsewhere\n", std::size_t{9223372036854771712u}},
        {"garbage\n", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::filesystem::path file = root.Write("cgroup", c.cgroup);
        EXPECT_EQ(host::core::CgroupMemoryLimit(file, root.Path()), c.limit) << c.cgroup;
    }
    put("app/memory.max", "2000000");
    EXPECT_EQ(host::core::CgroupMemoryLimit(root.Write("cgroup", "4:memory:/job\n0::/app\n"), root.Path()), 2000000u);
}

TEST_F(HeapTest, EnvironmentOverridesTheBudget) {
    const std::pair<const char*, std::size_t> cases[] = {
        {"4096", 4096}, {"64K", 64u << 10}, {"3M", 3u << 20}, {"2g", std::size_t{2} << 30}};
    for (const auto& [text, bytes] : cases) {
        setenv("ZENTROGRAPH_MEMORY_BUDGET", text, 1);
        host::ResetMemoryBudget();
        EXPECT_EQ(host::MemoryBudget(), bytes) << text;
    }
}

TEST_F(HeapTest, MalformedEnvironmentValueIsIgnoredWithOneLine) {
    unsetenv("ZENTROGRAPH_MEMORY_BUDGET");
    host::ResetMemoryBudget();
    const std::size_t fallback = host::MemoryBudget();
    for (const char* bad : {"12Q", "", "K", "10MB", "-5", "99999999999999999999999"}) {
        setenv("ZENTROGRAPH_MEMORY_BUDGET", bad, 1);
        host::ResetMemoryBudget();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(host::MemoryBudget(), fallback) << bad;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("ZENTROGRAPH_MEMORY_BUDGET"), std::string::npos) << bad;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line for " << bad;
    }
}

}  // namespace
