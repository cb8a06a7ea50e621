#pragma once
// A converter that takes its input in chunks of any size and keeps its state
// (a pending word, a prefix, half a pair) across chunk ends. Feeding the same
// input whole or in pieces gives the same bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace qorvel {

class StreamConverter {
 public:
  virtual ~StreamConverter() = default;

  // Converts the next piece of input and appends what is ready to `out`.
  // Returns false when the input has ended inside this chunk (a NUL byte ends
  // the text); the caller then stops reading and calls Finish.
  virtual bool Feed(std::string_view chunk, std::string& out) = 0;

  // The input is over: appends whatever was still pending.
  virtual void Finish(std::string& out) = 0;

  // Bytes of input taken so far, up to and including an ending NUL byte.
  virtual std::uint64_t Consumed() const = 0;
};

}  // namespace qorvel
