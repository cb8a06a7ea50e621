#pragma once
// Orlenta's conversion of a Mengkeli-code text file into Qorvel 2006 code, as
// a stream: the read pass (code units gathered into words and converted at
// each word's end, the bytes between words copied or translated) and the
// write pass (each run of k spaces of the converted text written as
// ceil(k/3) spaces) run together over chunks of any size.
//
// Dropped: each byte of the "anything else" class (the controls but CR and
// LF, '~', DEL, and the bytes 0x80..0xFF that are neither 0xA1, 0xA3 nor a
// lead byte 0xF8..0xFB), one a step, which does not end the word; inside a
// word, what the unit scan drops (a unit whose output is nothing, the lead
// byte of a unit without an entry, a look-ahead unit alone whose standalone
// output is nothing); and a lead byte that is the file's last byte. The
// shortening of space runs drops nothing. The keep rule copies the controls
// and DEL, and a byte 0x81..0xFE of that class with the GBK second byte
// after it as one character (both end the word, as any copied byte does);
// '~', 0x80, 0xFF and a GBK lead byte without its second byte stay dropped.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/stream_converter.h"

namespace qorvel {

struct MengkeliByteClasses;

// One object per conversion run. Memory stays constant apart from the
// pending word.
class MengkeliFileConverter final : public StreamConverter {
 public:
  explicit MengkeliFileConverter(ConvertOptions options = {});

  // Returns false once a NUL byte (outside a code unit or an A1/A3 pair) has
  // ended the input; later chunks are ignored.
  bool Feed(std::string_view chunk, std::string& out) override;
  // The end of the file: converts the pending word. A lead byte that was the
  // file's last byte is dropped; an 0xA1 or 0xA3 that was its last byte is
  // written by itself.
  void Finish(std::string& out) override;
  std::uint64_t Consumed() const override { return carried_.consumed; }
  const Drops& Dropped() const override { return carried_.drops; }

  // After a byte that ends words and is copied (not a space), when the byte
  // before it starts nothing that could take it: the pending word is
  // converted there and no run of spaces goes on.
  std::size_t FreshStart(std::string_view chunk, std::size_t from) const override;
  std::unique_ptr<StreamConverter> Fresh() const override {
    return std::make_unique<MengkeliFileConverter>(options_);
  }
  void Adopt(StreamConverter& later) override;

 private:
  enum class State : std::uint8_t { kByte, kAfterA1, kAfterA3, kUnitSecond, kAfterKeptLead };

  // Where the units of the pending word came from: a word goes on past line
  // feeds and dropped bytes, and what its units drop is noted at their own
  // offsets. One place per stretch of units that lie together in the input.
  struct WordPlace {
    std::size_t inWord;
    std::uint64_t at;
  };

  // The read pass from s[i] while nothing is pending, over whole words
  // (kNoting: see DropTally).
  template <bool kNoting>
  std::size_t ScanWords(const unsigned char* s, std::size_t i, std::size_t stop, std::size_t inside, char*& o);
  // The read pass for the byte at s[i], whatever is pending.
  std::size_t Step(const unsigned char* s, std::size_t i, std::size_t n, char* buf, char*& o, std::string& out);
  // Writes buf[0, o) and then the pending word's conversion; empties both.
  void FlushWord(char* buf, char*& o, std::string& out);
  // Converts the units `word` into wordOut_, noting what they drop at the
  // input offsets `places` give.
  void ConvertPlacedWord(std::string_view word, const std::vector<WordPlace>& places);
  // The pending word gets the unit byte(s) at input offset `at`.
  void AddToWord(const unsigned char* bytes, std::size_t n, std::uint64_t at);
  // The write pass: appends `bytes` to `out`, each run of k spaces (also
  // across calls) as ceil(k/3) spaces.
  void Emit(std::string_view bytes, std::string& out);

  // What carries from one byte to the next; the buffers below are scratch.
  struct Carried {
    State state = State::kByte;
    bool ended = false;
    unsigned spaceRun = 0;  // spaces of the current run so far, modulo 3
    std::uint64_t consumed = 0;
    Drops drops;
    std::string word;       // whole code units, except a lead byte in kUnitSecond
    std::vector<WordPlace> places;  // of `word`'s units
    std::uint64_t wordEnd = 0;      // the offset after `word`'s last byte
    unsigned char keptLead = 0;     // in kAfterKeptLead
    void ShiftOffsets(std::uint64_t by) {
      for (WordPlace& p : places) p.at += by;
      wordEnd += by;
    }
  } carried_;
  ConvertOptions options_;
  const MengkeliByteClasses* classes_;  // what each byte does, by the rule
  std::string wordOut_;    // the pending word's conversion, before the write pass
  std::unique_ptr<char[]> block_;  // a block's output, before the write pass
  std::unique_ptr<char[]> gathered_;  // the units of a word that goes on past a line feed
  std::vector<WordPlace> gatheredPlaces_;
};

}  // namespace qorvel
