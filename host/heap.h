// The host heap: where host objects and host-managed tables live, and the memory
// budget that bounds what the host grants.
//
// Objects that derive from HostHeap are allocated and freed here. The heap counts
// what it holds so that tests can see that a failed creation left nothing behind,
// and it can be told to fail chosen allocations to exercise those paths. All calls
// are made on the UI thread.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace host {

// Allocates on the host heap; nullptr when the heap refuses.
void* HeapAlloc(std::size_t bytes) noexcept;
void HeapFree(void* p) noexcept;

struct HeapStats {
    std::size_t liveBlocks = 0;  // allocations made by HeapAlloc and not yet freed
    std::size_t budgetBytesHeld = 0;  // bytes granted by ReserveBytes and not released
    std::size_t refusedReservations = 0;  // ReserveBytes calls refused since the program began
};
HeapStats GetHeapStats() noexcept;

// Makes allocation number `skip` + 1 from now (counting HeapAlloc calls) and the
// `count` - 1 after it fail. For tests of failure paths; count 0 switches it off.
void FailHeapAllocations(std::size_t skip, std::size_t count) noexcept;

// The memory budget. Large tables ask for their bytes before they allocate; a request
// that would take the total granted above the budget is refused. The default budget is
// half the machine's physical memory, or of the memory limit of the control group the
// process runs in when that is lower; ZENTROGRAPH_MEMORY_BUDGET (bytes, with an
// optional K, M or G suffix) or SetMemoryBudget overrides it.
bool ReserveBytes(std::size_t bytes) noexcept;
void ReleaseBytes(std::size_t bytes) noexcept;
std::size_t MemoryBudget() noexcept;
void SetMemoryBudget(std::size_t bytes) noexcept;
// Returns to the default budget (environment or physical memory).
void ResetMemoryBudget() noexcept;

// A share of the memory budget held by one owner and given back when the owner goes.
class BudgetShare {
public:
    BudgetShare() = default;
    ~BudgetShare() { ReleaseBytes(bytes_); }
    BudgetShare(BudgetShare&& other) noexcept : bytes_(std::exchange(other.bytes_, 0)) {}
    BudgetShare& operator=(BudgetShare&& other) noexcept {
        if (this != &other) {
            ReleaseBytes(bytes_);
            bytes_ = std::exchange(other.bytes_, 0);
        }
        return *this;
    }
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;

    // Takes `bytes` more from the budget; false, holding what it held, when refused.
    bool Take(std::size_t bytes) noexcept {
        if (!ReserveBytes(bytes)) return false;
        bytes_ += bytes;
        return true;
    }
    // Gives back up to what the share holds.
    void Give(std::size_t bytes) noexcept {
        if (bytes > bytes_) bytes = bytes_;
        ReleaseBytes(bytes);
        bytes_ -= bytes;
    }
    std::size_t Bytes() const { return bytes_; }

private:
    std::size_t bytes_ = 0;
};

// Makes room for `extra` more entries in `v` (capacity doubling as a vector grows),
// the growth charged to `share`. False, changing nothing, when the budget or the
// allocator refuses.
template <typename T>
bool GrowWithin(BudgetShare& share, std::vector<T>& v, std::size_t extra) {
    if (extra <= v.capacity() - v.size()) return true;
    if (extra > v.max_size() - v.size()) return false;
    std::size_t want = v.size() + extra;
    if (v.capacity() <= v.max_size() / 2 && want < 2 * v.capacity()) want = 2 * v.capacity();
    const std::size_t bytes = (want - v.capacity()) * sizeof(T);
    if (!share.Take(bytes)) return false;
    try {
        v.reserve(want);
    } catch (const std::bad_alloc&) {
        share.Give(bytes);
        return false;
    }
    return true;
}

// Base of every host class whose instances live on the host heap. `new` throws
// std::bad_alloc when the heap refuses; `new (std::nothrow)` gives nullptr.
class HostHeap {
public:
    static void* operator new(std::size_t bytes);
    static void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept;
    static void operator delete(void* p) noexcept;
    static void operator delete(void* p, const std::nothrow_t&) noexcept;
};

}  // namespace host
