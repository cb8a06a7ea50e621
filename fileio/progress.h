#pragma once
// Progress reports from long conversions: the command line draws a bar on a
// terminal, the dialogs move their progress controls. Reports come at most
// every kProgressStep bytes of input, never per byte.

#include <cstdint>

namespace qorvel {

inline constexpr std::uint64_t kProgressStep = 64 * 1024;

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // `done` of `total` units of work are finished. `total` may be 0 when the
  // size of the input is not known in advance (a pipe).
  virtual void OnProgress(std::uint64_t done, std::uint64_t total) = 0;
};

}  // namespace qorvel
