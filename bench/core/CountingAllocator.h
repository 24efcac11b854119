// Live and peak heap bytes of this program, counted by its own replacement of operator new and
// delete. Only allocations made through operator new are seen (every standard container's are).
#pragma once

#include <cstddef>

namespace vornak::bench {

std::size_t liveHeapBytes();
std::size_t peakHeapBytes();
// Starts a new peak from the bytes live now.
void resetPeakHeapBytes();

} // namespace vornak::bench
