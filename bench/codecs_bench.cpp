// One benchmark per code of the registry, registered at start-up: 64 MB of
// text made for the code, converted as the conversion driver converts a
// file, by a fresh converter from the registry fed 1 MB chunks whose output
// is taken away after each. A code without a text generator here is timed
// on words of its test alphabet (tests/reference/alphabet.cpp); a code with
// neither stops the benchmark program at its start.

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "codec/mengkeli_table.h"
#include "codec/mingantu.h"
#include "codec/registry.h"
#include "reference/alphabet.h"
#include "text_gen.h"

namespace qorvel::bench {
namespace {

// Every unit of a two-byte unit code that has an entry, a look-ahead rule
// or a skip.
std::vector<std::string> UnitsWithEntries(const UnitTable& t) {
  std::vector<std::string> units;
  for (int li = 0; li < t.leadCount; ++li) {
    const std::uint8_t lead = t.leads[static_cast<std::size_t>(li)];
    for (int second = 0; second < 256; ++second)
      if (t.Find(lead, static_cast<std::uint8_t>(second))->kind != UnitKind::kNoEntry)
        units.push_back({static_cast<char>(lead), static_cast<char>(second)});
  }
  return units;
}

// Hasi text: mostly letters, with digits and punctuation, a few prefix units
// and some Chinese (GBK pairs) mixed in.
std::vector<std::string> HasiUnits() {
  std::vector<std::string> units;
  for (char c = 'A'; c <= 'Z'; ++c) units.emplace_back(1, c);
  for (char c = 'a'; c <= 'z'; ++c) units.emplace_back(1, c);
  for (const char* u : {".", "1", "`s", "~B", "`~v", "\xB0\xA1"}) units.emplace_back(u);
  return units;
}

// Word-font text: words of the letters, digits and punctuation its font maps.
std::vector<std::string> WordFontUnits() {
  std::vector<std::string> units;
  for (char c = 'A'; c <= 'Z'; ++c) units.emplace_back(1, c);
  for (char c = 'a'; c <= 'z'; ++c) units.emplace_back(1, c);
  for (char c : std::string_view("0123456789.,;:?!{}|")) units.emplace_back(1, c);
  return units;
}

// Realistic text of the code called `name`.
std::string TextOf(std::string_view name, std::size_t bytes) {
  if (name == "mengkeli" || name == "mengkeli-paste") return MakeText(bytes, UnitsWithEntries(MengkeliUnitTable()), 7);
  if (name == "mingantu") return MakeText(bytes, UnitsWithEntries(MingantuUnitTable()), 11);
  if (name == "wordfont") return MakeText(bytes, WordFontUnits(), 3);
  if (name == "hasi") return MakeText(bytes, HasiUnits(), 4);
  const Alphabet alphabet = AlphabetOf(name);
  if (alphabet.units.empty())
    throw std::logic_error("no text for the code '" + std::string(name) + "': give it an alphabet in " +
                           "tests/reference/alphabet.cpp");
  return MakeText(bytes, alphabet.units, 5);
}

void Convert(benchmark::State& state, const Codec& codec) {
  constexpr std::size_t kChunk = 1 << 20;
  const std::string text = TextOf(codec.name, static_cast<std::size_t>(state.range(0)) << 20);
  std::string out;
  out.reserve(4 * kChunk);
  for (auto _ : state) {
    const auto conv = codec.make();
    for (std::size_t at = 0; at < text.size(); at += kChunk) {
      out.clear();
      conv->Feed(std::string_view(text).substr(at, kChunk), out);
      benchmark::DoNotOptimize(out.data());
    }
    conv->Finish(out);
  }
  SetThroughput(state, text);
}

[[maybe_unused]] const bool kRegistered = [] {
  for (const Codec& codec : Codecs()) {
    TextOf(codec.name, 1);  // a code without a text fails here, before any timing
    benchmark::RegisterBenchmark(("BM_Convert/" + std::string(codec.name)).c_str(),
                                 [&codec](benchmark::State& state) { Convert(state, codec); })
        ->Arg(64)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace qorvel::bench
