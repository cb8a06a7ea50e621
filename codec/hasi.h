#pragma once
// Hasi code to Qorvel 2006 international code, one unit at a time. A unit is
// a single byte, a prefix (grave 0x60 or tilde 0x7E) with the byte after it,
// or a GBK pair (a byte 0x7F..0xFF and the byte after it, copied whole).
// A NUL byte that begins a unit ends the input.
//
// Dropped: a control byte (but CR and LF) standing as a unit, one byte; a
// prefix step that gives nothing, all its bytes (a grave or tilde with a
// follower that has no rule: 2; grave, tilde and a follower without a rule:
// 3), also when the input ends inside it. A GBK lead byte written alone at
// the end is not dropped. The keep rule copies the control bytes; a prefix
// step is the code's own and stays dropped.

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/stream_converter.h"

namespace qorvel {

// One cell of the conversion table as it is written, so that a check can
// read the same table with a scan of its own. With `prefix` 0: the cell of a
// first byte `b` in 0x20..0x7F ("copy", "prefix", "pair", or GlyphCodes in
// hex such as "F8DC F8E5"), "" for any other byte. With `prefix` the grave
// (0x60) or tilde (0x7E) prefix: the GlyphCodes of follower `b` where it has
// a rule of its own, else "".
std::string_view HasiTableCell(unsigned char prefix, unsigned char b);

class HasiConverter final : public StreamConverter {
 public:
  explicit HasiConverter(ConvertOptions options = {});

  // Any chunking of the same input gives the same bytes; a unit cut by a
  // chunk end is finished by the next chunk. Returns false once a NUL byte
  // has ended the input (later calls take nothing).
  bool Feed(std::string_view chunk, std::string& out) override;

  // End of input: a prefix still waiting for its next byte writes nothing.
  // A GBK lead byte with no byte after it has already been written alone.
  void Finish(std::string& out) override;

  std::uint64_t Consumed() const override { return carried_.consumed; }
  const Drops& Dropped() const override { return carried_.drops; }

  // After any byte that is a whole unit by itself (neither a prefix nor a
  // GBK lead byte nor NUL): whatever unit it belongs to ends with it.
  std::size_t FreshStart(std::string_view chunk, std::size_t from) const override;
  std::unique_ptr<StreamConverter> Fresh() const override { return std::make_unique<HasiConverter>(options_); }
  void Adopt(StreamConverter& later) override;

 private:
  // What the unit cut by the last chunk end still needs.
  enum class Pending : std::uint8_t {
    kNone,
    kGraveFollower,  // a grave prefix waits for its next byte
    kTildeFollower,  // a tilde prefix waits for its next byte
    kGraveTildeFollower,  // the same after a grave prefix (three bytes dropped if none fits)
    kPairTrail,      // a GBK lead byte has been written; its second byte is copied
  };

  struct Block;
  template <bool kNoting>  // see DropTally
  static void ConvertBlock(Block& b);

  struct Carried {
    Pending pending = Pending::kNone;
    bool ended = false;
    std::uint64_t consumed = 0;
    Drops drops;
  } carried_;
  ConvertOptions options_;
};

}  // namespace qorvel
