#pragma once
// Kestrum's progress bar, kept apart from the dialog so that a test can check
// the range without a window.

#include <cstdint>

// The maximum of Kestrum's progress bar for an input of `inputBytes` bytes:
// twice the number of reads the counting pass makes (the bytes plus the read
// that meets the end), kept whole in 64 bits.
constexpr std::uint64_t KestrumProgressRange(std::uint64_t inputBytes) { return 2 * (inputBytes + 1); }
