#pragma once
// Orlenta's conversion of a Mengkeli-code text file into Qorvel 2006 code, as
// a stream: the read pass (code units gathered into words and converted at
// each word's end, the bytes between words copied or translated) and the
// write pass (each run of k spaces of the converted text written as
// ceil(k/3) spaces) run together over chunks of any size.

#include <cstdint>
#include <string>
#include <string_view>

#include "fileio/stream_converter.h"

namespace qorvel {

class ByteWriter;

// One object per conversion run. Memory stays constant apart from the
// pending word.
class MengkeliFileConverter final : public StreamConverter {
 public:
  // Returns false once a NUL byte (outside a code unit or an A1/A3 pair) has
  // ended the input; later chunks are ignored.
  bool Feed(std::string_view chunk, std::string& out) override;
  // The end of the file: converts the pending word. A lead byte that was the
  // file's last byte is dropped; an 0xA1 or 0xA3 that was its last byte is
  // written by itself.
  void Finish(std::string& out) override;
  std::uint64_t Consumed() const override { return consumed_; }

 private:
  enum class State : std::uint8_t { kByte, kAfterA1, kAfterA3, kUnitSecond };

  void FlushWord(ByteWriter& w);
  // The write pass over the bytes of `out` from `from` on, in place.
  void CollapseSpaces(std::string& out, std::size_t from);

  State state_ = State::kByte;
  bool ended_ = false;
  unsigned spaceRun_ = 0;  // spaces of the current run so far, modulo 3
  std::uint64_t consumed_ = 0;
  std::string word_;  // whole code units, except a lead byte in kUnitSecond
};

}  // namespace qorvel
