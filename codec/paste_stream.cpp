#include "codec/paste_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qorvel {

bool PasteStream::Feed(std::string_view chunk, std::string& out) {
  if (carried_.ended) return false;
  // An empty chunk may carry a null pointer, which memchr must not see.
  if (chunk.empty()) return true;
  // Offsets of the input: chunk[0] is at chunkAt, the carried bytes lie
  // right before what is left of the chunk.
  const std::uint64_t chunkAt = carried_.consumed;
  const auto at = [&](std::string_view rest) { return chunkAt + static_cast<std::uint64_t>(rest.data() - chunk.data()); };
  std::string_view part = chunk;
  if (const void* nul = std::memchr(chunk.data(), 0, chunk.size())) {
    // The text ends here: convert what is left of it, to its very end.
    part = chunk.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - chunk.data()));
    carried_.consumed += part.size() + 1;
    carried_.ended = true;
    const std::uint64_t carryAt = chunkAt - carried_.carry.size();
    carried_.carry.append(part);
    scan_(carried_.carry, true, out, {carried_.drops, carryAt});
    carried_.carry.clear();
    return false;
  }
  carried_.consumed += part.size();
  while (!part.empty()) {
    if (carried_.carry.empty()) {
      const std::size_t n = scan_(part, false, out, {carried_.drops, at(part)});
      carried_.carry.assign(part.substr(n));
      break;
    }
    // Bridge the bytes carried over with the start of this chunk.
    const std::size_t old = carried_.carry.size();
    const std::size_t take = std::min(part.size(), kPasteBridge);
    const std::uint64_t carryAt = at(part) - old;
    carried_.carry.append(part.substr(0, take));
    const std::size_t n = scan_(carried_.carry, false, out, {carried_.drops, carryAt});
    if (n >= old) {
      part.remove_prefix(n - old);
      carried_.carry.clear();
    } else {
      carried_.carry.erase(0, n);
      part.remove_prefix(take);
    }
  }
  return true;
}

void PasteStream::Finish(std::string& out) {
  if (!carried_.ended && !carried_.carry.empty())
    scan_(carried_.carry, true, out, {carried_.drops, carried_.consumed - carried_.carry.size()});
  carried_.carry.clear();
}

std::size_t PasteStream::FreshStart(std::string_view chunk, std::size_t from) const {
  return freshStart_ ? freshStart_(chunk, from) : std::string_view::npos;
}

std::unique_ptr<StreamConverter> PasteStream::Fresh() const {
  return freshStart_ ? std::make_unique<PasteStream>(scan_, freshStart_) : nullptr;
}

void PasteStream::Adopt(StreamConverter& later) {
  // The paste codes share this class; their scans tell them apart.
  AdoptCarried(carried_, later, &PasteStream::carried_,
               [this](const PasteStream& l) { return l.scan_ == scan_ && l.freshStart_ == freshStart_; });
}

}  // namespace qorvel
