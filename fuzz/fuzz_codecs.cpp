// Every code of the registry against its slow reference: fed whole, fed in
// chunks that the input chooses, and cut in two at fresh starts, it gives the
// same bytes, ends at the same NUL and takes as much input every way. The
// input's first byte chooses one code, so that an input costs one code's
// work, not every code's. Its second byte chooses whether the rest is
// spelled in the code's own units, so that the fuzzer reaches look-ahead
// pairs and skips as readily as single bytes. A new code of the registry is
// fuzzed here without a target of its own.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
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

// run.sh keeps inputs short, as most faults show in a few units and short
// inputs run many times faster. The fast code converts in blocks of 4 KB and
// chooses each block's way from the one before, and converts a word with its
// block up to 1 KB: a long input repeats its bytes past a block end with
// room for a longer word across it.
constexpr std::size_t kLongInput = 4096 + 1024 + 64;

struct Run {
  std::string out;
  bool ended = false;
  std::uint64_t consumed = 0;
  qorvel::Drops drops;
};

// The buffer each chunk is copied into, poisoned but for the chunk being
// fed, so that AddressSanitizer sees a read past the chunk's end, and one of
// a chunk after its Feed has returned beyond where the next chunk lies. One
// buffer for the whole campaign: an allocation per chunk would cost more
// than a short input's conversion.
class ChunkBuffer {
 public:
  std::string_view Hold(std::string_view chunk) {
    if (chunk.size() > room_) {
      room_ = std::max(chunk.size(), 2 * room_);
      bytes_.reset(new char[room_]);
      ASAN_POISON_MEMORY_REGION(bytes_.get(), room_);
    }
    ASAN_UNPOISON_MEMORY_REGION(bytes_.get(), chunk.size());
    std::copy(chunk.begin(), chunk.end(), bytes_.get());
    held_ = chunk.size();
    return {bytes_.get(), held_};
  }
  void Release() { ASAN_POISON_MEMORY_REGION(bytes_.get(), held_); }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t room_ = 0, held_ = 0;
};

// Feeds `input` whole (no cuts) or in chunks of 1..7 bytes chosen by the
// bytes of `cuts`, with an empty chunk now and then. The output goes behind
// bytes that are already there. With `halves`, chunks are up to 251 bytes
// and those without a NUL are cut at a fresh start and taken by two
// converters, as the conversion driver's two threads take them.
void Feed(const qorvel::Codec& codec, std::string_view input, std::string_view cuts, bool halves, bool keep,
          Run& run) {
  static ChunkBuffer buffer;
  const std::unique_ptr<qorvel::StreamConverter> conv = codec.make({.keep = keep});
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
    const std::string_view chunk = buffer.Hold(input.substr(at, len));
    const std::size_t cut = halves && chunk.find('\0') == std::string_view::npos
                                ? conv->FreshStart(chunk, k * 7 % len)
                                : std::string_view::npos;
    more = cut == std::string_view::npos ? conv->Feed(chunk, run.out) : qorvel::FeedCut(*conv, chunk, cut, run.out);
    buffer.Release();
    at += len;
  }
  conv->Finish(run.out);
  FUZZ_CHECK(run.out.starts_with("held"));
  run.out.erase(0, 4);
  run.ended = !more;
  run.consumed = conv->Consumed();
  run.drops = conv->Dropped();
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
void Spell(const std::vector<std::string>& pieces, std::string_view input, std::string& spelled) {
  for (std::size_t k = 0; k + 1 < input.size(); k += 2)
    spelled += pieces[(static_cast<unsigned char>(input[k]) << 8 | static_cast<unsigned char>(input[k + 1])) %
                      pieces.size()];
}

void Check(const qorvel::Codec& codec, std::string_view input, std::string_view cuts) {
  static Run whole, pieces, halves;
  // Half the inputs under the keep rule.
  const bool keep = !cuts.empty() && (static_cast<unsigned char>(cuts[0]) & 0x40) != 0;
  const qorvel::ReferenceResult want = qorvel::ReferenceRun(codec.name, input, keep);
  Feed(codec, input, {}, false, keep, whole);
  Feed(codec, input, cuts.empty() ? std::string_view("\x01") : cuts, false, keep, pieces);
  Feed(codec, input, cuts.empty() ? std::string_view("\xFF") : cuts, true, keep, halves);
  const qorvel::Drops dropped = qorvel::AsKept(want.dropped);
  FUZZ_CHECK(whole.drops == dropped);
  FUZZ_CHECK(pieces.drops == dropped);
  FUZZ_CHECK(halves.drops == dropped);
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

// Inputs per code, and of them those spelled and those made long, printed at
// exit for run.sh to check each code's share.
struct Counts {
  std::uint64_t all = 0, spelled = 0, long_ = 0;
};
std::vector<Counts> counts;

void PrintCounts() {
  const std::span<const qorvel::Codec> codecs = qorvel::Codecs();
  std::string line = "fuzz_codecs: per code:", detail = "fuzz_codecs: spelled/long:";
  for (std::size_t c = 0; c < codecs.size(); ++c) {
    line += (c ? ", " : " ") + std::string(codecs[c].name) + " " + std::to_string(counts[c].all);
    detail += (c ? ", " : " ") + std::string(codecs[c].name) + " " + std::to_string(counts[c].spelled) + "/" +
              std::to_string(counts[c].long_);
  }
  std::fprintf(stderr, "%s\n%s\n", line.c_str(), detail.c_str());
}

// The code QORVEL_FUZZ_CODE names, whose number the mutator writes into
// every input's first byte: libFuzzer spends its runs on the inputs that
// found the most, and left to choose it would give the codes with the
// most branches most of the runs. run.sh runs one campaign per code.
int pinned = -1;

// One input in kLongOneIn is made long, chosen by a hash of the whole input
// rather than by a byte of it: long inputs find the most features, and a
// byte that made them would soon be set in most runs, each costing as much
// as fifteen short ones. Every mutation draws again.
constexpr std::uint32_t kLongOneIn = 128;
bool MadeLong(const std::uint8_t* data, std::size_t size) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (std::size_t k = 0; k < size; ++k) h = (h ^ data[k]) * 16777619u;
  return h % kLongOneIn == 0;
}

}  // namespace

// run.sh asks for the codes, then gives each a campaign of its own. A code
// without a reference stops the target here, before any input, rather than
// when the first input that chooses it comes.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::span<const qorvel::Codec> codecs = qorvel::Codecs();
  std::string names;
  for (const qorvel::Codec& codec : codecs) {
    try {
      qorvel::ReferenceRun(codec.name, "");
    } catch (const std::exception& e) {
      std::fprintf(stderr, "fuzz_codecs: %s\n", e.what());
      std::abort();
    }
    names += std::string(" ") + codec.name;
  }
  if (const char* name = std::getenv("QORVEL_FUZZ_CODE"); name && *name) {
    for (std::size_t c = 0; c < codecs.size(); ++c)
      if (std::string_view(name) == codecs[c].name) pinned = static_cast<int>(c);
    if (pinned < 0) {
      std::fprintf(stderr, "fuzz_codecs: QORVEL_FUZZ_CODE=%s is no code of the registry\n", name);
      std::abort();
    }
  }
  counts.resize(codecs.size());
  Pieces();
  std::atexit(PrintCounts);
  std::fprintf(stderr, "fuzz_codecs: codes:%s\n", names.c_str());
  return 0;
}

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                              unsigned /*seed*/) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  if (pinned >= 0 && size > 0) data[0] = static_cast<std::uint8_t>(pinned);
  return size;
}

// The first byte chooses the code; the second how many of the following
// bytes choose chunk sizes (its low four bits) and whether the rest is
// spelled in the code's units (the next bit).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::span<const qorvel::Codec> codecs = qorvel::Codecs();
  const std::size_t c = data[0] % codecs.size();
  const bool spell = data[1] & 0x10 && Pieces()[c].size() > 1;
  const bool long_ = MadeLong(data, size);
  const std::size_t ncuts = std::min<std::size_t>(data[1] % 16, size - 2);
  const std::string_view cuts(reinterpret_cast<const char*>(data + 2), ncuts);
  std::string_view input(reinterpret_cast<const char*>(data + 2 + ncuts), size - 2 - ncuts);

  static std::string made;
  if (spell || long_) {
    made.clear();
    if (spell) Spell(Pieces()[c], input, made);
    else made = input;
    if (long_ && !made.empty()) {
      const std::string once = made;
      while (made.size() < kLongInput) made += once;
    }
    input = made;
  }
  Check(codecs[c], input, cuts);
  ++counts[c].all;
  counts[c].spelled += spell;
  counts[c].long_ += long_;
  return 0;
}
