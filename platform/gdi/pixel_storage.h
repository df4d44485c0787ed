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
    template <class U>
    ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(detail::AllocateZeroed(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { detail::FreeZeroed(p, n * sizeof(T)); }

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
    bool operator==(const ZeroedAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace gdi
