// PixelMemory: zeroed memory for the renderer's large buffers (an image's pixels, its
// compressed file), backed by transparent huge pages where the system offers them. A
// render touches every page of these buffers once, and on virtual machines each first
// touch of a 4 KB page is a costly fault: with 2 MB pages an 800 x 800 picture takes
// two faults instead of six hundred.
#pragma once

#include <cstddef>

namespace zg::render {

class PixelMemory {
public:
    // `bytes` of zeroed memory; empty (Data() none) when it cannot be had.
    explicit PixelMemory(std::size_t bytes);
    ~PixelMemory();
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;

    unsigned char* Data() const { return data_; }

private:
    void* mapping_ = nullptr;
    std::size_t mapped_ = 0;
    unsigned char* data_ = nullptr;
};

}  // namespace zg::render
