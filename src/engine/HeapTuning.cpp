#include "engine/HeapTuning.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zel {

#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)

namespace {

// A software GL driver allocates and frees large scratch blocks for every
// draw call, and loading decodes every image into fresh buffers. With glibc's
// defaults each block above 128 kB is a new mapping and each free at the top
// of the heap hands pages back, so the next use faults them in again: whole
// frames and a fifth of the start-up went to page faults. Large blocks come
// from the heap instead, and up to KEPT_FREE_HEAP_BYTES of free memory stays
// there for reuse.
constexpr int KEPT_FREE_HEAP_BYTES = 64 * 1024 * 1024;
constexpr int HEAP_BLOCK_LIMIT_BYTES = 32 * 1024 * 1024; // glibc's largest mmap threshold

// Loading and the first frame still touch about 100 MB of fresh heap (the
// driver and its compiler, decoded images, parsed models, vertex data), and
// in a virtual machine every 4 kB page fault is expensive: faulting that
// memory in page by page cost about 200 ms of a 580 ms start-up. The heap is
// grown once by HEAP_RESERVE_BYTES and marked for transparent huge pages.
// Untouched parts cost address space only.
constexpr std::size_t HEAP_RESERVE_BYTES = 256u * 1024 * 1024;
constexpr std::uintptr_t DEFAULT_HUGE_PAGE_BYTES = 2 * 1024 * 1024;

// glibc's default top pad, put back when loading ends.
constexpr int DEFAULT_TOP_PAD_BYTES = 128 * 1024;

// Whether the loading settings are in force.
bool loadingSettings = false;

// The marked range, empty until tuneHeapForLoading has marked it.
std::uintptr_t reserveFrom = 0;
std::uintptr_t reserveTo = 0;

std::uintptr_t hugePageBytes() {
    std::uintptr_t bytes = DEFAULT_HUGE_PAGE_BYTES;
    if (std::FILE* file = std::fopen("/sys/kernel/mm/transparent_hugepage/hpage_pmd_size", "r")) {
        unsigned long long read = 0;
        if (std::fscanf(file, "%llu", &read) == 1 && read >= 4096 && (read & (read - 1)) == 0)
            bytes = static_cast<std::uintptr_t>(read);
        std::fclose(file);
    }
    return bytes;
}

} // namespace

bool tuneHeapForLoading() {
    static bool tuned = false;
    if (tuned)
        return false;
    tuned = true;
    loadingSettings = true;
    mallopt(M_MMAP_THRESHOLD, HEAP_BLOCK_LIMIT_BYTES);
    mallopt(M_TRIM_THRESHOLD, KEPT_FREE_HEAP_BYTES);
    // Until loading ends the heap grows by the reserve whenever it grows, and
    // a trim keeps the reserve, so the marked range is not handed back.
    mallopt(M_TOP_PAD, static_cast<int>(HEAP_RESERVE_BYTES));
    // A block larger than the free space at the top makes the heap grow now.
    void* block = std::malloc(mallinfo2().keepcost + 64 * 1024);
    if (!block)
        return false;
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    std::free(block);
    // The free trims the top down to the pad, so the heap's end is read after it:
    // read before, it could lie past the last huge page still mapped.
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Only when the block came from the contiguous heap: not from a separate
    // mapping, nor from an allocator that replaces glibc's.
    if (end <= begin || end - begin < HEAP_RESERVE_BYTES / 2)
        return false;
    const std::uintptr_t page = hugePageBytes();
    const std::uintptr_t from = (begin + page - 1) & ~(page - 1);
    const std::uintptr_t to = end & ~(page - 1);
    if (to <= from || madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) != 0)
        return false;
    reserveFrom = from;
    reserveTo = to;
    return true;
}

bool endHeapLoading() {
    // Later growth of the heap comes in ordinary steps again: the loading
    // top pad would otherwise grow the heap by 256 MB whenever it grows, for
    // the rest of the run. The two thresholds stay: once set, glibc never
    // adjusts the mmap threshold by itself again, so putting back 128 kB would
    // map and unmap the driver's per-draw scratch blocks on every frame (about
    // 2 s more system time over a 35 s benchmark run), and trimming at 128 kB
    // would hand the same pages back and forth at the top of the heap.
    if (loadingSettings) {
        loadingSettings = false;
        mallopt(M_TOP_PAD, DEFAULT_TOP_PAD_BYTES);
    }
    if (reserveTo <= reserveFrom)
        return false;
    // Pages already backed stay as they are; only new faults are affected.
    madvise(reinterpret_cast<void*>(reserveFrom), reserveTo - reserveFrom, MADV_NOHUGEPAGE);
    reserveFrom = reserveTo = 0;
    return true;
}

#else

bool tuneHeapForLoading() {
    return false;
}
bool endHeapLoading() {
    return false;
}

#endif

} // namespace zel
