// Every code of the registry on every input: fed whole, fed in chunks that
// the input chooses, and converted by the slow reference, it gives the same
// bytes, ends at the same NUL and takes as much input either way. Each code
// also gets the input spelled in its own units, so that the fuzzer reaches
// look-ahead pairs and skips as readily as single bytes. A new code of the
// registry is fuzzed here without a target of its own.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/registry.h"
#include "fuzz_check.h"
#include "reference/alphabet.h"
#include "reference/reference.h"

namespace {

struct Run {
  std::string out;
  bool ended = false;
  std::uint64_t consumed = 0;
};

// Feeds `input` whole (no cuts) or in chunks of 1..7 bytes chosen by the
// bytes of `cuts`, with an empty chunk now and then. Each chunk lies at the
// start of a buffer whose rest is poisoned, so that AddressSanitizer sees a
// read past the chunk's end. The output goes behind bytes that are already
// there. With `halves`, chunks are up to 251 bytes and those without a NUL
// are cut at a fresh start and taken by two converters, as the conversion
// driver's two threads take them.
Run Feed(const qorvel::Codec& codec, std::string_view input, std::string_view cuts, bool halves = false) {
  const std::unique_ptr<qorvel::StreamConverter> conv = codec.make();
  const std::size_t room = std::max<std::size_t>(input.size(), 1);
  const std::unique_ptr<char[]> buffer(new char[room]);
  Run run;
  run.out = "held";
  std::size_t at = 0, k = 0;
  bool more = true;
  while (more && at < input.size()) {
    std::size_t len = input.size() - at;
    if (!cuts.empty()) {
      const auto c = static_cast<unsigned char>(cuts[k++ % cuts.size()]);
      // An empty chunk now and then (an empty piece of the input): it must
      // change nothing.
      if (c & 0x80) FUZZ_CHECK(conv->Feed(input.substr(at, 0), run.out));
      len = std::min<std::size_t>(len, halves ? 1 + c * 13 % 251 : 1 + c % 7);
    }
    ASAN_UNPOISON_MEMORY_REGION(buffer.get(), room);
    std::copy_n(input.data() + at, len, buffer.get());
    ASAN_POISON_MEMORY_REGION(buffer.get() + len, room - len);
    const std::string_view chunk(buffer.get(), len);
    const std::size_t cut = halves && chunk.find('\0') == std::string_view::npos
                                ? conv->FreshStart(chunk, k * 7 % len)
                                : std::string_view::npos;
    more = cut == std::string_view::npos ? conv->Feed(chunk, run.out) : qorvel::FeedCut(*conv, chunk, cut, run.out);
    at += len;
  }
  ASAN_UNPOISON_MEMORY_REGION(buffer.get(), room);
  conv->Finish(run.out);
  FUZZ_CHECK(run.out.starts_with("held"));
  run.out.erase(0, 4);
  run.ended = !more;
  run.consumed = conv->Consumed();
  return run;
}

// The pieces each code's spelled inputs are made of, in registry order: its
// units, its separators and a NUL.
const std::vector<std::vector<std::string>>& Pieces() {
  static const std::vector<std::vector<std::string>> pieces = [] {
    std::vector<std::vector<std::string>> all;
    for (const qorvel::Codec& codec : qorvel::Codecs()) {
      qorvel::Alphabet a = qorvel::AlphabetOf(codec.name);
      std::vector<std::string>& p = all.emplace_back(std::move(a.units));
      p.insert(p.end(), a.separators.begin(), a.separators.end());
      p.push_back(std::string(1, '\0'));
    }
    return all;
  }();
  return pieces;
}

// Each two bytes of `input` choose one piece.
std::string Spell(const std::vector<std::string>& pieces, std::string_view input) {
  std::string spelled;
  for (std::size_t k = 0; k + 1 < input.size(); k += 2)
    spelled += pieces[(static_cast<unsigned char>(input[k]) << 8 | static_cast<unsigned char>(input[k + 1])) %
                      pieces.size()];
  return spelled;
}

void Check(const qorvel::Codec& codec, std::string_view input, std::string_view cuts) {
  const qorvel::ReferenceResult want = qorvel::ReferenceRun(codec.name, input);
  const Run whole = Feed(codec, input, {});
  const Run pieces = Feed(codec, input, cuts.empty() ? std::string_view("\x01") : cuts);
  const Run halves = Feed(codec, input, cuts.empty() ? std::string_view("\xFF") : cuts, true);
  FUZZ_CHECK(whole.out == want.out);
  FUZZ_CHECK(whole.ended == want.endedAtNul);
  FUZZ_CHECK(whole.consumed == want.consumed);
  FUZZ_CHECK(pieces.out == want.out);
  FUZZ_CHECK(pieces.ended == want.endedAtNul);
  FUZZ_CHECK(pieces.consumed == want.consumed);
  FUZZ_CHECK(halves.out == want.out);
  FUZZ_CHECK(halves.ended == want.endedAtNul);
  FUZZ_CHECK(halves.consumed == want.consumed);
}

}  // namespace

// run.sh gives this target a share of time per code.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::fprintf(stderr, "fuzz_codecs: %zu codes\n", qorvel::Codecs().size());
  return 0;
}

// The first byte says how many of the following bytes choose chunk sizes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t ncuts = std::min<std::size_t>(data[0] % 16, size - 1);
  const std::string_view cuts(reinterpret_cast<const char*>(data + 1), ncuts);
  const std::string_view input(reinterpret_cast<const char*>(data + 1 + ncuts), size - 1 - ncuts);
  const std::span<const qorvel::Codec> codecs = qorvel::Codecs();
  for (std::size_t c = 0; c < codecs.size(); ++c) {
    Check(codecs[c], input, cuts);
    if (Pieces()[c].size() > 1) Check(codecs[c], Spell(Pieces()[c], input), cuts);
  }
  return 0;
}
