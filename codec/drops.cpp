#include "codec/drops.h"

#include <algorithm>

namespace qorvel {

void Drops::NoteAmongFirst(std::uint64_t offset, std::uint64_t bytes) {
  for (std::uint64_t k = 0; k < bytes; ++k) {
    // Keep the smallest offsets: insert in order, the largest falls off.
    const std::size_t kept = Kept();
    const std::uint64_t at = offset + k;
    if (kept == kKeptOffsets && at >= first[kKeptOffsets - 1]) {
      count += bytes - k;  // no later byte of this step is smaller
      return;
    }
    std::size_t pos = kept == kKeptOffsets ? kKeptOffsets - 1 : kept;
    for (; pos > 0 && first[pos - 1] > at; --pos) first[pos] = first[pos - 1];
    first[pos] = at;
    ++count;
  }
}

bool EndsEarly(std::string_view after) {
  return std::any_of(after.begin(), after.end(), [](char c) { return c != '\0'; });
}

}  // namespace qorvel
