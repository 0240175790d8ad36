#include "heappeak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Every allocation through operator new is counted by the size the allocator really gives it
// (malloc_usable_size), so that a delete, sized or not, takes off exactly what its new added.

namespace {

std::atomic<std::int64_t> gLive{0};
std::atomic<std::int64_t> gPeak{0};
std::atomic<std::int64_t> gMark{0};

void count(void* block, std::int64_t sign) {
    const auto bytes = static_cast<std::int64_t>(malloc_usable_size(block));
    const std::int64_t live =
        gLive.fetch_add(sign * bytes, std::memory_order_relaxed) + sign * bytes;
    std::int64_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

void release(void* block) noexcept {
    if (block != nullptr) {
        count(block, -1);
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    count(block, 1);
    return block;
}

void operator delete(void* block) noexcept {
    release(block);
}

void operator delete(void* block, std::size_t /*size*/) noexcept {
    release(block);
}

namespace orvex::bench {

void markHeapPeak() {
    const std::int64_t live = gLive.load(std::memory_order_relaxed);
    gMark.store(live, std::memory_order_relaxed);
    gPeak.store(live, std::memory_order_relaxed);
}

std::int64_t heapPeakSinceMark() {
    return gPeak.load(std::memory_order_relaxed) - gMark.load(std::memory_order_relaxed);
}

}  // namespace orvex::bench
