// Memory for the large arrays of a load, with its pages made present at once. Touching fresh
// memory costs a page fault each 4 KiB, which was a fifth of the load of a large file; asking
// for all pages of a block in one call costs a fraction of that.
#ifndef CORE_IO_PREFAULTED_MEMORY_H_
#define CORE_IO_PREFAULTED_MEMORY_H_

#include <cstddef>

namespace core {

// `bytes` of fresh memory; throws std::bad_alloc when there is none. Blocks under a megabyte
// come from operator new as usual.
void* AllocatePrefaulted(size_t bytes);
// Returns a block of AllocatePrefaulted; `bytes` as asked for.
void FreePrefaulted(void* block, size_t bytes) noexcept;

template <typename T>
struct PrefaultedAllocator {
    using value_type = T;

    PrefaultedAllocator() = default;
    template <typename U>
    PrefaultedAllocator(const PrefaultedAllocator<U>&) noexcept {}

    T* allocate(size_t n) { return static_cast<T*>(AllocatePrefaulted(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { FreePrefaulted(p, n * sizeof(T)); }

    friend bool operator==(const PrefaultedAllocator&, const PrefaultedAllocator&) { return true; }
};

}  // namespace core

#endif  // CORE_IO_PREFAULTED_MEMORY_H_
