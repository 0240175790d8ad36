#pragma once

#include <cstdint>

// The heap as this program's operator new and delete see it, for benchmarks that report the most
// memory an operation holds at once.

namespace orvex::bench {

// Starts a new peak at the bytes live now.
void markHeapPeak();

// The most bytes live at once since the last mark, less those live at the mark.
[[nodiscard]] std::int64_t heapPeakSinceMark();

}  // namespace orvex::bench
