#pragma once
// The table behind interrupt.h, shared by its POSIX and Windows halves: a
// fixed set of slots holding the absolute names of the temporary files that
// exist right now, which an interrupt handler empties from any thread using
// lock-free atomics only.
//
// A slot goes Free -> Writing (its name being copied in) -> Listed, and back
// to Free on Release; the handler takes a Listed slot to Claimed, after
// which nobody touches it again, so a name is never rewritten under the
// handler.

#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>

#include "fileio/interrupt.h"

namespace qorvel {

// Replaces the six characters at the end of `pattern` ("XXXXXX") with a name
// drawn from `seed` (a clock, the process id) and a counter of this process:
// the caller creates the file exclusively and draws again when one of that
// name is there already.
inline void FillTempName(std::string& pattern, unsigned long long seed) {
  static std::atomic<unsigned> counter{0};
  unsigned long long x = seed ^ (static_cast<unsigned long long>(counter.fetch_add(1)) * 0x9E3779B97F4A7C15ull);
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (std::size_t i = pattern.size() - 6; i < pattern.size(); ++i) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    pattern[i] = kChars[(x >> 33) % 36];
  }
}

template <class Char, std::size_t kMaxPath>
class TempFileTable {
 public:
  static constexpr int kSlots = kMaxInterruptibleTempFiles;

  // Lists the absolute name `path` of `n` characters (n < kMaxPath); the
  // slot, or -1 when the table is full.
  int List(const Char* path, std::size_t n) {
    for (int k = 0; k < kSlots; ++k) {
      Slot& slot = slots_[k];
      int free = kFree;
      if (!slot.state.compare_exchange_strong(free, kWriting)) continue;
      std::memcpy(slot.path, path, n * sizeof(Char));
      slot.path[n] = Char{};
      slot.state.store(kListed);
      return k;
    }
    return -1;
  }

  // Takes slot `k` off the list. Fails only when the handler has claimed
  // it: the process is ending.
  void Release(int k) noexcept {
    int listed = kListed;
    slots_[k].state.compare_exchange_strong(listed, kFree);
  }

  // Claims slot `k` if it is listed and calls remove(name) on it.
  template <class RemoveFn>
  void Remove(int k, RemoveFn remove) noexcept {
    int listed = kListed;
    if (slots_[k].state.compare_exchange_strong(listed, kClaimed)) remove(slots_[k].path);
  }

  // The handler: marks the process interrupted, then claims and removes
  // every listed name.
  template <class RemoveFn>
  void RemoveAll(RemoveFn remove) noexcept {
    interrupted_.store(true);
    for (int k = 0; k < kSlots; ++k) Remove(k, remove);
  }

  // True once a handler has started: a file listed after it passed by must
  // be removed by the thread that listed it.
  bool Interrupted() const noexcept { return interrupted_.load(); }

 private:
  enum SlotState : int { kFree, kWriting, kListed, kClaimed };
  struct Slot {
    std::atomic<int> state{kFree};
    Char path[kMaxPath];
  };
  static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
                "the handler may only use lock-free atomics");

  Slot slots_[kSlots];
  std::atomic<bool> interrupted_{false};
};

}  // namespace qorvel
