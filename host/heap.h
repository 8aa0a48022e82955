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

namespace host {

// Allocates on the host heap; nullptr when the heap refuses.
void* HeapAlloc(std::size_t bytes) noexcept;
void HeapFree(void* p) noexcept;

struct HeapStats {
    std::size_t liveBlocks = 0;  // allocations made by HeapAlloc and not yet freed
    std::size_t budgetBytesHeld = 0;  // bytes granted by ReserveBytes and not released
};
HeapStats GetHeapStats() noexcept;

// Makes allocation number `skip` + 1 from now (counting HeapAlloc calls) and the
// `count` - 1 after it fail. For tests of failure paths; count 0 switches it off.
void FailHeapAllocations(std::size_t skip, std::size_t count) noexcept;

// The memory budget. Large tables ask for their bytes before they allocate; a request
// that would take the total granted above the budget is refused. The default budget is
// half the machine's physical memory; ZENTROGRAPH_MEMORY_BUDGET (bytes, with an
// optional K, M or G suffix) or SetMemoryBudget overrides it.
bool ReserveBytes(std::size_t bytes) noexcept;
void ReleaseBytes(std::size_t bytes) noexcept;
std::size_t MemoryBudget() noexcept;
void SetMemoryBudget(std::size_t bytes) noexcept;
// Returns to the default budget (environment or physical memory).
void ResetMemoryBudget() noexcept;

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
