#include "core/io/prefaulted_memory.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace core {
namespace {

constexpr size_t kMapped = size_t{1} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

// Whole huge pages: a block shares none with another, so that each is backed by huge pages alone.
size_t MappedSize(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocatePrefaulted(size_t bytes) {
#if defined(__linux__)
    if (bytes >= kMapped) {
        const size_t size = MappedSize(bytes);
        if (size < bytes) {
            throw std::bad_alloc();
        }
        // Mapped with a huge page to spare, then trimmed to a huge-page boundary: only aligned
        // memory can be backed by huge pages, and under virtualisation a page-table entry per
        // 4 KiB costs more than the clearing of the page.
        void* p = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            throw std::bad_alloc();
        }
        const auto start = reinterpret_cast<uintptr_t>(p);
        const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
        if (aligned > start) {
            ::munmap(p, aligned - start);
        }
        if (start + kHugePage > aligned) {
            ::munmap(reinterpret_cast<void*>(aligned + size), start + kHugePage - aligned);
        }
        void* block = reinterpret_cast<void*>(aligned);
        ::madvise(block, size, MADV_HUGEPAGE);
        ::madvise(block, size, MADV_POPULATE_WRITE);  // an older kernel faults pages in as used
        return block;
    }
#endif
    return ::operator new(bytes);
}

void FreePrefaulted(void* block, size_t bytes) noexcept {
#if defined(__linux__)
    if (bytes >= kMapped) {
        ::munmap(block, MappedSize(bytes));
        return;
    }
#endif
    ::operator delete(block);
}

}  // namespace core
