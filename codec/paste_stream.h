#pragma once
// Streams a paste conversion: the paste converters scan a whole clipboard
// text, which ends at its first NUL. A resumable scan converts as much of a
// piece of text as it can decide without seeing further bytes and says how
// far it got; PasteStream keeps the few bytes left over and puts them in
// front of the next chunk, so a file of any size converts in constant memory
// and gives the same bytes as the whole text at once.

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/stream_converter.h"

namespace qorvel {

// Converts `text` (which holds no NUL) from its start, appends to `out` and
// notes what it drops in `log`. With `last` false it may stop before a unit
// whose conversion depends on bytes past the end of `text`, and returns where
// it stopped; it must take every byte when at least kPasteBridge bytes follow
// the stop. With `last` true it converts all of `text` and returns
// text.size().
using ResumableScan = std::size_t (*)(std::string_view text, bool last, std::string& out, DropLog log);

// More than the longest stretch of bytes any scan looks at from one position.
inline constexpr std::size_t kPasteBridge = 16;

// The first fresh start of a scan at or after `from` in `text` (see
// StreamConverter::FreshStart), or npos; null for a scan without one.
using FreshStartScan = std::size_t (*)(std::string_view text, std::size_t from);

class PasteStream final : public StreamConverter {
 public:
  explicit PasteStream(ResumableScan scan, FreshStartScan freshStart = nullptr)
      : scan_(scan), freshStart_(freshStart) {}
  bool Feed(std::string_view chunk, std::string& out) override;
  void Finish(std::string& out) override;
  std::uint64_t Consumed() const override { return carried_.consumed; }
  const Drops& Dropped() const override { return carried_.drops; }
  std::size_t FreshStart(std::string_view chunk, std::size_t from) const override;
  std::unique_ptr<StreamConverter> Fresh() const override;
  void Adopt(StreamConverter& later) override;

 private:
  ResumableScan scan_;
  FreshStartScan freshStart_;
  struct Carried {
    std::string carry;  // bytes not yet converted, fewer than kPasteBridge
    std::uint64_t consumed = 0;
    Drops drops;
    bool ended = false;
  } carried_;
};

}  // namespace qorvel
