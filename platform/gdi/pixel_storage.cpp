#include "platform/gdi/pixel_storage.h"

#ifndef _WIN32
#include <sys/mman.h>
#endif

#include <cstdint>
#include <cstdlib>

namespace gdi::detail {
namespace {

// Blocks from this size on are mapped on their own, aligned to and rounded up
// to whole huge pages. Under the address sanitizer every block goes through
// calloc, which it watches for overruns; on Windows too.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if defined(_WIN32)
constexpr bool kMapLargeBlocks = false;
#elif defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif
#else
constexpr bool kMapLargeBlocks = true;
#endif

bool Mapped(std::size_t bytes) {
    return kMapLargeBlocks && bytes >= kHugePage;
}

#ifndef _WIN32
std::size_t RoundedUp(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}
#endif

}  // namespace

void* AllocateZeroed(std::size_t bytes) {
    if (!Mapped(bytes)) {
        // calloc hands out fresh mappings without writing them.
        void* p = std::calloc(bytes ? bytes : 1, 1);
        if (!p) throw std::bad_alloc();
        return p;
    }
#ifdef _WIN32
    throw std::bad_alloc();
#else
    const std::size_t length = RoundedUp(bytes);
    if (length < bytes) throw std::bad_alloc();
    // Map one huge page more, then give back what lies outside the aligned block.
    const std::size_t mapped = length + kHugePage;
    void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t tail = aligned + length;
    if (start + mapped > tail) munmap(reinterpret_cast<void*>(tail), start + mapped - tail);
    void* block = reinterpret_cast<void*>(aligned);
    // Advice only: without huge pages the block is the same, faulted in
    // smaller steps.
    madvise(block, length, MADV_HUGEPAGE);
    return block;
#endif
}

void FreeZeroed(void* p, std::size_t bytes) {
    if (!p) return;
    if (!Mapped(bytes)) {
        std::free(p);
        return;
    }
#ifndef _WIN32
    munmap(p, RoundedUp(bytes));
#endif
}

}  // namespace gdi::detail
