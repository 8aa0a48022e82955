// Tab: the host's counted array of plain values, sized within the memory budget.
// On the UI thread, like the memory budget it draws on; a table owns its storage and
// frees it when it goes.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

#include "host/heap.h"

namespace host {

// A counted array of trivially copyable values. Unlike a std::vector it never throws:
// SetCount reports whether it could hold the requested entries, and a refused request
// leaves the table as it was. Storage is charged against the host's memory budget.
template <typename T>
class Tab {
    static_assert(std::is_trivially_copyable_v<T>, "Tab holds plain values only");

public:
    Tab() = default;
    Tab(const Tab&) = delete;
    Tab& operator=(const Tab&) = delete;
    ~Tab() { Free(); }

    int Count() const { return count_; }
    T& operator[](int i) { return data_[i]; }
    const T& operator[](int i) const { return data_[i]; }
    T* Addr(int i) { return data_ + i; }
    T* begin() { return data_; }
    T* end() { return data_ + count_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + count_; }

    // Makes the table hold n entries: new entries are zero-filled, storage shrinks to
    // fit when `resize` is set. Returns false, changing nothing, when n is negative or
    // the storage cannot be granted within the memory budget.
    bool SetCount(int n, bool resize = true) {
        if (n < 0) return false;
        if (n <= capacity_ && !(resize && n < capacity_)) {
            Grow(n);
            return true;
        }
        if (n == 0) {
            Free();
            return true;
        }
        const std::size_t need = static_cast<std::size_t>(n);
        if (need > std::numeric_limits<std::size_t>::max() / sizeof(T)) return false;
        const std::size_t newBytes = need * sizeof(T);
        const std::size_t oldBytes = static_cast<std::size_t>(capacity_) * sizeof(T);
        if (newBytes > oldBytes && !ReserveBytes(newBytes - oldBytes)) return false;
        // Growing takes a fresh zeroed block from calloc, whose large blocks are pages
        // that cost nothing until written, and copies the entries held: a table granted
        // and then given back (its partner was refused) touches no more memory than it
        // held before. Only shrinking reallocates in place.
        const bool grows = newBytes > oldBytes;
        void* p = grows ? std::calloc(need, sizeof(T)) : std::realloc(data_, newBytes);
        if (p == nullptr) {
            if (grows) ReleaseBytes(newBytes - oldBytes);
            return false;
        }
        if (!grows) ReleaseBytes(oldBytes - newBytes);
        if (grows && data_ != nullptr) {
            const int kept = count_ < n ? count_ : n;
            std::memcpy(p, static_cast<const void*>(data_), static_cast<std::size_t>(kept) * sizeof(T));
            std::free(data_);
        }
        data_ = static_cast<T*>(p);
        capacity_ = n;
        // Entries beyond those held are zero already in a fresh block.
        if (grows) count_ = n;
        Grow(n);
        return true;
    }

    // Appends one value; false when the table could not grow.
    bool Append(const T& v) {
        if (count_ == capacity_) {
            const int old = count_;
            const int want = capacity_ < 4 ? 4 : (capacity_ > std::numeric_limits<int>::max() / 2
                                                      ? std::numeric_limits<int>::max()
                                                      : capacity_ * 2);
            if (want == capacity_ || !SetCount(want, false)) return false;
            count_ = old;
        }
        data_[count_++] = v;
        return true;
    }

private:
    void Grow(int n) {
        if (n > count_) std::memset(static_cast<void*>(data_ + count_), 0, (n - count_) * sizeof(T));
        count_ = n;
    }
    void Free() {
        if (data_ != nullptr) {
            std::free(data_);
            ReleaseBytes(static_cast<std::size_t>(capacity_) * sizeof(T));
        }
        data_ = nullptr;
        count_ = capacity_ = 0;
    }

    T* data_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};

}  // namespace host
