#include "app/render/pixel_memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace zg::render {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

}  // namespace

PixelMemory::PixelMemory(std::size_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX - 2 * kHugePage) return;
    // One huge page more than needed, so that the memory can start on a huge-page
    // boundary; anonymous memory comes zeroed.
    const std::size_t span = RoundUp(bytes, kHugePage);
    mapped_ = span + kHugePage;
    void* p = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
        mapped_ = 0;
        return;
    }
    mapping_ = p;
    data_ = reinterpret_cast<unsigned char*>(RoundUp(reinterpret_cast<std::uintptr_t>(p), kHugePage));
    // Advice only: where huge pages are off, the memory works as ordinary pages.
    madvise(data_, span, MADV_HUGEPAGE);
}

PixelMemory::~PixelMemory() {
    if (mapping_ != nullptr) munmap(mapping_, mapped_);
}

}  // namespace zg::render
