#pragma once

namespace zel {

// Allocator settings for a program that drives a software GL driver
// (glibc on Linux; elsewhere these do nothing).
//
// tuneHeapForLoading, once, before the window opens: large blocks stay on the
// heap and freed memory stays there for reuse, and the heap is grown by a
// reserve that the kernel backs with transparent huge pages, so that loading
// and the first frame fault their memory in 2 MB at a time.
// endHeapLoading, once the first frame is drawn: glibc's default top pad is
// restored and what the heap touches from then on comes in ordinary pages
// again, so the steady state neither grows by the loading reserve nor rounds
// its memory up to whole huge pages. The block and trim thresholds stay (the
// driver's per-frame scratch blocks keep coming from the heap).
//
// Both return whether they marked or unmarked a huge-page reserve: false on
// other platforms, when an allocator other than glibc's serves malloc
// (valgrind, sanitizers), when the heap could not grow in one piece, and on
// every call after the first.
bool tuneHeapForLoading();
bool endHeapLoading();

} // namespace zel
