#include "codec/paste_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qorvel {

bool PasteStream::Feed(std::string_view chunk, std::string& out) {
  if (ended_) return false;
  // An empty chunk may carry a null pointer, which memchr must not see.
  if (chunk.empty()) return true;
  std::string_view part = chunk;
  if (const void* nul = std::memchr(chunk.data(), 0, chunk.size())) {
    // The text ends here: convert what is left of it, to its very end.
    part = chunk.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - chunk.data()));
    consumed_ += part.size() + 1;
    ended_ = true;
    carry_.append(part);
    scan_(carry_, true, out);
    carry_.clear();
    return false;
  }
  consumed_ += part.size();
  while (!part.empty()) {
    if (carry_.empty()) {
      const std::size_t n = scan_(part, false, out);
      carry_.assign(part.substr(n));
      break;
    }
    // Bridge the bytes carried over with the start of this chunk.
    const std::size_t old = carry_.size();
    const std::size_t take = std::min(part.size(), kPasteBridge);
    carry_.append(part.substr(0, take));
    const std::size_t n = scan_(carry_, false, out);
    if (n >= old) {
      part.remove_prefix(n - old);
      carry_.clear();
    } else {
      carry_.erase(0, n);
      part.remove_prefix(take);
    }
  }
  return true;
}

void PasteStream::Finish(std::string& out) {
  if (!ended_ && !carry_.empty()) scan_(carry_, true, out);
  carry_.clear();
}

std::size_t PasteStream::FreshStart(std::string_view chunk, std::size_t from) const {
  return freshStart_ ? freshStart_(chunk, from) : std::string_view::npos;
}

std::unique_ptr<StreamConverter> PasteStream::Fresh() const {
  return freshStart_ ? std::make_unique<PasteStream>(scan_, freshStart_) : nullptr;
}

void PasteStream::Adopt(StreamConverter& later) {
  auto& l = static_cast<PasteStream&>(later);  // a Fresh() of this one
  carry_ = std::move(l.carry_);
  ended_ = l.ended_;
  consumed_ += l.consumed_;
}

}  // namespace qorvel
