// Where surfaces keep their pixels. A new surface is all zero without being
// written: its memory comes zeroed from the kernel and is only faulted in
// when first drawn on. Large blocks ask for huge pages, so a full-screen
// surface faults in a few steps instead of thousands.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace gdi {

namespace detail {
// Zeroed memory for `bytes`; throws std::bad_alloc when there is none.
void* AllocateZeroed(std::size_t bytes);
void FreeZeroed(void* p, std::size_t bytes);
}  // namespace detail

template <class T>
class ZeroedAllocator {
public:
    using value_type = T;

    ZeroedAllocator() noexcept = default;
    // Hands out `block` (its owner's, of `bytes`) for the first allocation
    // that fits in it, and never frees it: a surface drawing straight into
    // memory shared with another process. The owner keeps the block until
    // the container is gone; its contents are taken as they are.
    ZeroedAllocator(void* block, std::size_t bytes) noexcept : lent_(block), lent_bytes_(bytes) {}
    // Rebound for other storage: equal, but never hands the block out again.
    template <class U>
    ZeroedAllocator(const ZeroedAllocator<U>& other) noexcept
        : lent_(other.lent_), lent_bytes_(other.lent_bytes_), lent_out_(true) {}
    // A copy of a container owns its memory.
    ZeroedAllocator select_on_container_copy_construction() const noexcept { return {}; }

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        if (lent_ && !lent_out_ && n * sizeof(T) <= lent_bytes_) {
            lent_out_ = true;
            return static_cast<T*>(lent_);
        }
        return static_cast<T*>(detail::AllocateZeroed(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (p && p == lent_) {
            lent_out_ = false;
            return;
        }
        detail::FreeZeroed(p, n * sizeof(T));
    }

    // Value-initialising an element writes nothing: the storage is zero
    // already when it is allocated, and the element types are plain integers,
    // whose zero is all bits zero. A surface's pixels are sized once, when it
    // is made, and never shrunk and regrown in place.
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const ZeroedAllocator<U>& other) const noexcept {
        return lent_ == other.lent_;
    }

private:
    template <class U>
    friend class ZeroedAllocator;
    void* lent_ = nullptr;
    std::size_t lent_bytes_ = 0;
    bool lent_out_ = false;
};

}  // namespace gdi
