#pragma once
// Streaming file conversions give the same bytes whether the input arrives
// whole or in chunks of any size; they stop at the same NUL either way.

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/stream_converter.h"
#include "fuzz_check.h"

struct StreamRun {
  std::string out;
  bool ended = false;
  std::uint64_t consumed = 0;
};

template <class Converter>
StreamRun RunChunked(std::string_view input, std::string_view cuts) {
  Converter conv;
  StreamRun run;
  std::size_t at = 0, k = 0;
  while (at < input.size()) {
    std::size_t len = input.size();
    if (!cuts.empty()) {
      const unsigned char c = static_cast<unsigned char>(cuts[k++ % cuts.size()]);
      // An empty chunk now and then: it must change nothing.
      if ((c & 0x80) && !conv.Feed(std::string_view(), run.out)) FUZZ_CHECK(false);
      len = 1 + c % 7;
    }
    if (len > input.size() - at) len = input.size() - at;
    if (!conv.Feed(input.substr(at, len), run.out)) {
      run.ended = true;
      break;
    }
    at += len;
  }
  conv.Finish(run.out);
  run.consumed = conv.Consumed();
  return run;
}

// The first byte says how many of the following bytes choose chunk sizes.
template <class Converter>
void CheckStreamConverter(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const std::size_t ncuts = std::min<std::size_t>(data[0] % 16, size - 1);
  const std::string_view cuts(reinterpret_cast<const char*>(data + 1), ncuts);
  const std::string_view input(reinterpret_cast<const char*>(data + 1 + ncuts), size - 1 - ncuts);
  const StreamRun whole = RunChunked<Converter>(input, {});
  const StreamRun pieces = RunChunked<Converter>(input, cuts.empty() ? std::string_view("\x01") : cuts);
  FUZZ_CHECK(whole.out == pieces.out);
  FUZZ_CHECK(whole.ended == pieces.ended);
  FUZZ_CHECK(whole.consumed == pieces.consumed);
  FUZZ_CHECK(whole.consumed <= input.size());
  if (whole.ended) FUZZ_CHECK(whole.consumed >= 1 && input[whole.consumed - 1] == '\0');
}
