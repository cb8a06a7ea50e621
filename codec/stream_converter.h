#pragma once
// A converter that takes its input in chunks of any size and keeps its state
// (a pending word, a prefix, half a pair) across chunk ends. Feeding the same
// input whole or in pieces gives the same bytes.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "codec/drops.h"

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

  // The bytes dropped so far (see drops.h); complete once Finish has run.
  virtual const Drops& Dropped() const = 0;

  // Cutting a chunk so that two converters can take it at once (the
  // conversion driver runs them on two threads). A fresh start is a position
  // where the conversion starts afresh whatever came before it: the bytes
  // from there convert as at the start of an input, and those before it
  // convert without looking at them. So, at a fresh start `p` of `chunk`:
  //   Feed(chunk[0, p)); Finish();            this converter, then
  //   later = Fresh(); later->Feed(chunk[p, end));
  //   Adopt(*later);                          this one goes on as `later`
  // gives the same bytes as Feed(chunk) and leaves the same state.
  // The first fresh start at or after `from` in `chunk`, which holds no NUL
  // and follows what this converter has taken; npos when there is none or
  // the code cannot tell. It is found from the bytes before it alone, so
  // `chunk` may be any beginning of the input that follows.
  virtual std::size_t FreshStart(std::string_view /*chunk*/, std::size_t /*from*/) const {
    return std::string_view::npos;
  }
  // A converter of the same code, as at the start of an input; null for a
  // code that never has a fresh start.
  virtual std::unique_ptr<StreamConverter> Fresh() const { return nullptr; }
  // Goes on as `later`, a Fresh() of this converter that took the input
  // following this one's from a fresh start; its bytes count as taken here.
  virtual void Adopt(StreamConverter& /*later*/) {}
};

// For Adopt: a converter that can be cut keeps everything that carries from
// one byte to the next in one struct with a `consumed` count and its `drops`,
// and Adopt moves that struct whole from `later`, so that a field added to it
// later cannot be left behind by the two-converter path. What counts from the
// start of the input is added, not moved: `later` counted from its own start,
// which follows what this converter took (a struct holding other offsets
// moves them on in a `ShiftOffsets(std::uint64_t)` of its own). `later` must be of the same code
// (the same class and, where one class serves several codes, `sameCode`): a
// converter of another code is refused, not misread.
template <class Conv, class Carried, class SameCode>
void AdoptCarried(Carried& mine, StreamConverter& later, Carried Conv::*carried, SameCode sameCode) {
  auto* same = dynamic_cast<Conv*>(&later);
  if (!same || !sameCode(*same))
    throw std::invalid_argument("a converter can only go on as a fresh converter of its own code");
  const std::uint64_t before = mine.consumed;
  Drops earlier = mine.drops;
  mine = std::move(same->*carried);
  mine.consumed += before;
  earlier.Add(mine.drops, before);
  mine.drops = earlier;
  if constexpr (requires { mine.ShiftOffsets(before); }) mine.ShiftOffsets(before);
}
template <class Conv, class Carried>
void AdoptCarried(Carried& mine, StreamConverter& later, Carried Conv::*carried) {
  AdoptCarried(mine, later, carried, [](const Conv&) { return true; });
}

// Runs the sequence above in one thread (the driver runs the two halves on
// two): converts `chunk` cut at its fresh start `at`.
inline bool FeedCut(StreamConverter& conv, std::string_view chunk, std::size_t at, std::string& out) {
  conv.Feed(chunk.substr(0, at), out);
  conv.Finish(out);
  const std::unique_ptr<StreamConverter> later = conv.Fresh();
  const bool more = later->Feed(chunk.substr(at), out);
  conv.Adopt(*later);
  return more;
}

}  // namespace qorvel
