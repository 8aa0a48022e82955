#include "host/heap.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "host/core/memory_limit.h"

namespace host {
namespace {

// Constant-initialised so that tables built during other libraries' static
// initialisation already find a working heap.
struct HeapState {
    std::size_t liveBlocks = 0;
    std::size_t failSkip = 0;
    std::size_t failCount = 0;
    std::size_t budgetHeld = 0;
    std::size_t budget = 0;
    std::size_t refused = 0;
    bool budgetKnown = false;
};
constinit HeapState g_heap{};

constexpr const char* kBudgetVariable = "ZENTROGRAPH_MEMORY_BUDGET";

// Bytes with an optional K, M or G suffix (binary multiples); none when malformed or
// beyond what a size_t holds.
std::optional<std::size_t> ParseByteCount(std::string_view text) {
    std::size_t i = 0;
    std::size_t value = 0;
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        const std::size_t digit = static_cast<std::size_t>(text[i] - '0');
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
        ++i;
    }
    if (i == 0) return std::nullopt;
    std::size_t multiplier = 1;
    if (i < text.size()) {
        switch (std::toupper(static_cast<unsigned char>(text[i]))) {
            case 'K': multiplier = std::size_t{1} << 10; break;
            case 'M': multiplier = std::size_t{1} << 20; break;
            case 'G': multiplier = std::size_t{1} << 30; break;
            default: return std::nullopt;
        }
        ++i;
    }
    if (i != text.size()) return std::nullopt;
    if (value > kMax / multiplier) return std::nullopt;
    return value * multiplier;
}

// A limit file's value: bytes, or none for "max", an unreadable file or anything else.
std::optional<std::size_t> ReadLimit(const std::string& file) {
    std::ifstream in(file);
    std::string word;
    if (!(in >> word)) return std::nullopt;
    return ParseByteCount(word);
}

// The smaller of `limit` and what `file` sets.
void TakeLimit(std::optional<std::size_t>& limit, const std::string& file) {
    if (const std::optional<std::size_t> set = ReadLimit(file)) limit = limit ? std::min(*limit, *set) : *set;
}

// The limits of `path` and every cgroup above it under `mount`.
void TakeLimits(std::optional<std::size_t>& limit, const std::string& mount, std::string path, const char* name) {
    for (;;) {
        TakeLimit(limit, mount + path + (path.ends_with('/') ? "" : "/") + name);
        if (path.empty() || path == "/") return;
        const std::size_t slash = path.find_last_of('/');
        path.erase(slash == std::string::npos ? 0 : (slash == 0 ? 1 : slash));
    }
}

std::size_t PhysicalMemoryHalf() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return std::size_t{1} << 30;  // unknown machine: 1 GiB
    const auto p = static_cast<std::size_t>(pages);
    const auto s = static_cast<std::size_t>(pageSize);
    std::size_t memory = p > std::numeric_limits<std::size_t>::max() / s ? std::numeric_limits<std::size_t>::max()
                                                                         : p * s;
    // A container's limit binds before the machine's memory does.
    if (const std::optional<std::size_t> limit = core::CgroupMemoryLimit()) memory = std::min(memory, *limit);
    return memory / 2;
}

std::size_t DefaultBudget() {
    if (const char* env = std::getenv(kBudgetVariable); env != nullptr) {
        if (auto bytes = ParseByteCount(env)) return *bytes;
        std::fprintf(stderr,
                     "zentrograph: ignoring %s=\"%s\": expected a byte count with an optional K, M or G suffix\n",
                     kBudgetVariable, env);
    }
    return PhysicalMemoryHalf();
}

}  // namespace

std::optional<std::size_t> core::CgroupMemoryLimit(const std::string& cgroupFile, const std::string& root) {
    std::ifstream in(cgroupFile);
    std::optional<std::size_t> limit;
    for (std::string line; std::getline(in, line);) {
        // id:controllers:path; the unified hierarchy has id 0 and no controllers.
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        if (line.compare(0, first, "0") == 0 && controllers.empty()) {
            TakeLimits(limit, root, path, "memory.max");
            TakeLimits(limit, root + "/unified", path, "memory.max");
        } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
            TakeLimits(limit, root + "/memory", path, "memory.limit_in_bytes");
        }
    }
    return limit;
}

void* HeapAlloc(std::size_t bytes) noexcept {
    if (g_heap.failCount > 0) {
        if (g_heap.failSkip > 0) {
            --g_heap.failSkip;
        } else {
            --g_heap.failCount;
            return nullptr;
        }
    }
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p != nullptr) ++g_heap.liveBlocks;
    return p;
}

void HeapFree(void* p) noexcept {
    if (p == nullptr) return;
    std::free(p);
    if (g_heap.liveBlocks > 0) --g_heap.liveBlocks;
}

HeapStats GetHeapStats() noexcept {
    HeapStats s;
    s.liveBlocks = g_heap.liveBlocks;
    s.budgetBytesHeld = g_heap.budgetHeld;
    s.refusedReservations = g_heap.refused;
    return s;
}

void FailHeapAllocations(std::size_t skip, std::size_t count) noexcept {
    g_heap.failSkip = count == 0 ? 0 : skip;
    g_heap.failCount = count;
}

bool ReserveBytes(std::size_t bytes) noexcept {
    const std::size_t budget = MemoryBudget();
    if (g_heap.budgetHeld > budget || bytes > budget - g_heap.budgetHeld) {
        ++g_heap.refused;
        return false;
    }
    g_heap.budgetHeld += bytes;
    return true;
}

void ReleaseBytes(std::size_t bytes) noexcept {
    g_heap.budgetHeld -= bytes < g_heap.budgetHeld ? bytes : g_heap.budgetHeld;
}

std::size_t MemoryBudget() noexcept {
    if (!g_heap.budgetKnown) {
        g_heap.budget = DefaultBudget();
        g_heap.budgetKnown = true;
    }
    return g_heap.budget;
}

void SetMemoryBudget(std::size_t bytes) noexcept {
    g_heap.budget = bytes;
    g_heap.budgetKnown = true;
}

void ResetMemoryBudget() noexcept { g_heap.budgetKnown = false; }

void* HostHeap::operator new(std::size_t bytes) {
    void* p = HeapAlloc(bytes);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void* HostHeap::operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return HeapAlloc(bytes); }

void HostHeap::operator delete(void* p) noexcept { HeapFree(p); }

void HostHeap::operator delete(void* p, const std::nothrow_t&) noexcept { HeapFree(p); }

}  // namespace host
