#include "layout/layout.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace qorvel {
namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// The first `c` in [p, end), or end.
const char* Find(const char* p, const char* end, char c) {
  if (p == end) return end;
  const void* at = std::memchr(p, c, static_cast<std::size_t>(end - p));
  return at ? static_cast<const char*>(at) : end;
}

// The wrapping rule of the system-font cells. A double-byte character
// measures 16 pixels for its two bytes and every other byte 8, a lead byte
// without a follower included, so a pending line measures 8 pixels per byte:
// it breaks at the first space that has at least `minBytes` bytes of the line
// before it. For the line that starts at `line` and whose hard line ends at
// `lineEnd`: where the next line starts (after that space, possibly at
// `lineEnd`), or null when the line runs to `lineEnd`.
const char* NextBreak(const char* line, const char* lineEnd, std::uint64_t minBytes) {
  if (static_cast<std::uint64_t>(lineEnd - line) <= minBytes) return nullptr;
  const char* const space = Find(line + minBytes, lineEnd, ' ');
  return space == lineEnd ? nullptr : space + 1;
}

std::uint64_t MinBytes(std::uint32_t lineHeight) {
  return (std::uint64_t{lineHeight} + SystemFontCells::kSingle - 1) / SystemFontCells::kSingle;
}

// Line ends are looked for 64 bytes at a time, as a bit mask.
constexpr std::size_t kChunk = 64;

// Bit i set when p[i] is a CR (or, with `kWithLF`, an LF), for i < n <= 64.
template <bool kWithLF>
std::uint64_t LineEndBits(const char* p, std::size_t n) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] == kCR || (kWithLF && p[i] == kLF)) bits |= std::uint64_t{1} << i;
  return bits;
}

template <bool kWithLF>
std::uint64_t ChunkLineEndBits(const char* p) {
#ifdef __SSE2__
  std::uint64_t bits = 0;
  for (std::size_t k = 0; k < kChunk; k += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
    __m128i hits = _mm_cmpeq_epi8(v, _mm_set1_epi8(kCR));
    if constexpr (kWithLF) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(v, _mm_set1_epi8(kLF)));
    bits |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(hits))} << k;
  }
  return bits;
#else
  return LineEndBits<kWithLF>(p, kChunk);
#endif
}

// The line-end bytes (CR and LF) of [begin, end) from the first on, never
// reading outside the range.
class LineEndsForward {
 public:
  LineEndsForward(const char* begin, const char* end) : begin_(begin), end_(end), chunk_(begin), bits_(Load(begin)) {}

  // The first line-end byte at or after `from`, or the end. `from` is past
  // the previous answer.
  const char* From(const char* from) {
    if (static_cast<std::size_t>(from - chunk_) >= kChunk) {
      chunk_ = from;
      bits_ = Load(from);
    } else {
      bits_ &= ~std::uint64_t{0} << (from - chunk_);
    }
    while (bits_ == 0) {
      if (static_cast<std::size_t>(end_ - chunk_) <= kChunk) return end_;
      chunk_ += kChunk;
      bits_ = Load(chunk_);
    }
    return chunk_ + std::countr_zero(bits_);
  }

 private:
  // The line ends of [p, p + 64) that are before the end.
  std::uint64_t Load(const char* p) const {
    const auto left = static_cast<std::size_t>(end_ - p);
    if (left >= kChunk) return ChunkLineEndBits<true>(p);
    if (left == 0) return 0;
    // The last bytes: read as the range's last whole chunk when it has one.
    if (static_cast<std::size_t>(end_ - begin_) >= kChunk)
      return ChunkLineEndBits<true>(end_ - kChunk) >> (kChunk - left);
    return LineEndBits<true>(p, left);
  }

  const char* const begin_;
  const char* const end_;
  const char* chunk_;    // bits_ holds the line ends of [chunk_, chunk_ + 64)
  std::uint64_t bits_;   // at or after the last `from`
};

// The CRs (and, with `kWithLF`, the LFs) of [begin, end) from the last back
// to the first, never reading outside the range.
template <bool kWithLF>
class LineEndsBackward {
 public:
  LineEndsBackward(const char* begin, const char* end) : begin_(begin), end_(end), chunk_(end) {}

  // The last line-end byte before `limit`, or null. `limit` is the end of
  // the range or at most the previous answer.
  const char* Before(const char* limit) {
    if (limit <= chunk_) {
      chunk_ = limit;
      bits_ = 0;
    } else {
      bits_ &= (std::uint64_t{1} << (limit - chunk_)) - 1;
    }
    while (bits_ == 0) {
      const auto left = static_cast<std::size_t>(chunk_ - begin_);
      if (left == 0) return nullptr;
      if (left >= kChunk) {
        chunk_ -= kChunk;
        bits_ = ChunkLineEndBits<kWithLF>(chunk_);
      } else {
        // The first bytes: read as a whole chunk when the range holds one.
        const bool whole = static_cast<std::size_t>(end_ - begin_) >= kChunk;
        bits_ = whole ? ChunkLineEndBits<kWithLF>(begin_) & ((std::uint64_t{1} << left) - 1)
                      : LineEndBits<kWithLF>(begin_, left);
        chunk_ = begin_;
      }
    }
    return chunk_ + (63 - std::countl_zero(bits_));
  }

 private:
  const char* const begin_;
  const char* const end_;
  const char* chunk_;       // bits_ holds the line ends of [chunk_, chunk_ + 64)
  std::uint64_t bits_ = 0;  // before the last `limit`
};

// Appends to a string: the whole text at once.
struct StringOut {
  std::string& text;
  void Append(const char* p, std::size_t n) { text.append(p, n); }
  void AppendLineEnd() { text.append("\r\n", 2); }
};

// Hands the text, pieces of `source` and line ends, to a sink in blocks of
// `size` bytes; a piece that alone fills a block goes through uncopied.
class BlockOut {
 public:
  BlockOut(ByteSink& sink, std::size_t size, std::string_view source)
      : sink_(sink),
        size_(size),
        block_(std::make_unique_for_overwrite<char[]>(size + kShort)),
        sourceEnd_(source.data() + source.size()) {}

  void Append(const char* p, std::size_t n) {
    // Most pieces are short lines: one copy of a fixed size, which the
    // compiler makes a few vector moves instead of a call that picks a
    // routine by the size. It may take bytes past the piece: the source
    // has them, and the block has room for them after its end.
    if (n <= kShort && static_cast<std::size_t>(sourceEnd_ - p) >= kShort && n <= size_ - used_) {
      std::memcpy(block_.get() + used_, p, kShort);
      used_ += n;
      return;
    }
    AppendAny(p, n);
  }

  void AppendLineEnd() {
    if (size_ - used_ < 2) return AppendAny("\r\n", 2);
    block_[used_] = kCR;
    block_[used_ + 1] = kLF;
    used_ += 2;
  }

  void Flush() {
    if (used_ > 0) sink_.Write(std::string_view(block_.get(), used_));
    used_ = 0;
  }

 private:
  static constexpr std::size_t kShort = 64;

  void AppendAny(const char* p, std::size_t n) {
    const std::size_t room = size_ - used_;
    if (n <= room) {
      std::memcpy(block_.get() + used_, p, n);
      used_ += n;
      return;
    }
    std::memcpy(block_.get() + used_, p, room);
    used_ = size_;
    Flush();
    p += room;
    n -= room;
    if (n >= size_) {
      sink_.Write(std::string_view(p, n));
    } else {
      std::memcpy(block_.get(), p, n);
      used_ = n;
    }
  }

  ByteSink& sink_;
  const std::size_t size_;
  const std::unique_ptr<char[]> block_;  // size_ bytes and kShort to spare
  const char* const sourceEnd_;
  std::size_t used_ = 0;
};

// Pass 1 with the system-font cells: each line of `source` followed by CR LF.
template <class Out>
void WrapByCells(std::string_view source, std::uint64_t minBytes, Out& out) {
  const char* line = source.data();  // the pending line starts here
  const char* const end = line + source.size();
  LineEndsForward lineEnds(line, end);
  for (;;) {
    const char* const lineEnd = lineEnds.From(line);
    while (const char* next = NextBreak(line, lineEnd, minBytes)) {
      out.Append(line, static_cast<std::size_t>(next - line));
      out.AppendLineEnd();
      line = next;
    }
    out.Append(line, static_cast<std::size_t>(lineEnd - line));
    out.AppendLineEnd();
    if (lineEnd == end) return;
    // A CR LF, a CR alone or an LF alone ends the line.
    line = lineEnd + 1;
    if (*lineEnd == kCR && line < end && *line == kLF) ++line;
  }
}

// Pass 2 straight from the source, for the system-font cells: the lines that
// WrapByCells makes, from the last to the first, each after CR LF. The hard
// lines are found from the end back; the lines of each are found forward.
// For a long hard line that would take a start for each of its lines, so
// only the start of every span of about kSpan bytes is kept, and a span's
// lines are found again when it is written: beside the source this keeps 8
// bytes per kSpan bytes of the longest hard line and at most kSpan starts.
class WebByCells {
 public:
  static constexpr std::ptrdiff_t kSpan = 4096;

  explicit WebByCells(std::uint64_t minBytes) : minBytes_(minBytes) {}

  template <class Out>
  void Write(std::string_view source, Out& out) {
    const char* const begin = source.data();
    const char* end = begin + source.size();  // the hard line ends here
    LineEndsBackward<true> lineEnds(begin, end);
    for (;;) {
      const char* const at = lineEnds.Before(end);
      if (!at) return WriteHardLine(begin, end, out);
      WriteHardLine(at + 1, end, out);
      // The line end is a CR LF, a CR alone or an LF alone.
      end = at;
      if (at != begin) end -= (*at == kLF) & (at[-1] == kCR);
    }
  }

 private:
  template <class Out>
  void WriteHardLine(const char* line, const char* lineEnd, Out& out) {
    const char* next = NextBreak(line, lineEnd, minBytes_);
    if (!next) {  // the usual case: the hard line is one line
      WriteLine(line, lineEnd, out);
      return;
    }
    // Forward once: the spans' starts, and the lines of the last span.
    spans_.assign(1, line);
    starts_.assign(1, line);
    for (; next; next = NextBreak(next, lineEnd, minBytes_)) {
      if (next - spans_.back() >= kSpan) {
        spans_.push_back(next);
        starts_.clear();
      }
      starts_.push_back(next);
    }
    // Then span by span from the last, each line by line from its last.
    const char* spanEnd = lineEnd;
    for (std::size_t span = spans_.size(); span-- > 0;) {
      if (span + 1 < spans_.size()) {
        starts_.clear();
        for (const char* s = spans_[span]; s != spanEnd; s = NextBreak(s, lineEnd, minBytes_)) starts_.push_back(s);
      }
      for (std::size_t k = starts_.size(); k-- > 0;) {
        WriteLine(starts_[k], spanEnd, out);
        spanEnd = starts_[k];
      }
    }
  }

  template <class Out>
  static void WriteLine(const char* from, const char* to, Out& out) {
    out.AppendLineEnd();
    out.Append(from, static_cast<std::size_t>(to - from));
  }

  const std::uint64_t minBytes_;
  std::vector<const char*> spans_;   // the first line of each span
  std::vector<const char*> starts_;  // the lines of one span
};

std::string_view UpToNul(std::string_view source) {
  if (source.empty()) return "";  // never a null pointer for memchr and memcpy
  if (const void* nul = std::memchr(source.data(), 0, source.size()))
    return source.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - source.data()));
  return source;
}

}  // namespace

std::uint64_t SystemFontCells::MeasureLine(std::string_view text) const {
  std::uint64_t width = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      width += kDouble;
      i += 2;
    } else {
      width += kSingle;
      i += 1;
    }
  }
  return width;
}

std::string WrapText(std::string_view source, std::uint32_t lineHeight,
                     const TextMeasurer* measurer) {
  source = UpToNul(source);
  std::string wrapped;
  wrapped.reserve(source.size() + source.size() / 16 + 2);
  if (!measurer) {
    StringOut out{wrapped};
    WrapByCells(source, MinBytes(lineHeight), out);
    return wrapped;
  }

  // Any other measurer is asked for the whole pending line at every space.
  std::size_t start = 0;  // the pending line is source[start, i)
  const std::size_t n = source.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = source[i];
    if (c == ' ') {
      const std::string_view pending = source.substr(start, i - start);
      if (measurer->MeasureLine(pending) >= lineHeight) {
        wrapped.append(pending);
        wrapped.append(" \r\n");
        start = i + 1;
      }
    } else if (c == kCR || (c == kLF && (i == 0 || source[i - 1] != kCR))) {
      wrapped.append(source.substr(start, i - start));
      wrapped.append("\r\n");
      start = i + 1;
    } else if (c == kLF) {
      // Second byte of CR LF: the pending line is empty and stays so.
      start = i + 1;
    }
  }
  wrapped.append(source.substr(start));
  wrapped.append("\r\n");
  return wrapped;
}

std::string WebFormat(std::string_view wrapped) {
  std::string web;
  web.reserve(wrapped.size());
  // Appends wrapped[from, to) with its LFs left out.
  const auto emitLine = [&](const char* from, const char* to) {
    while (from < to) {
      const auto* lf = static_cast<const char*>(std::memchr(from, kLF, static_cast<std::size_t>(to - from)));
      const char* stop = lf ? lf : to;
      web.append(from, static_cast<std::size_t>(stop - from));
      from = stop + 1;
    }
  };
  // Walk the lines from the last to the first: each CR closes the line that
  // follows it, which is written and then followed by CR LF.
  const char* const begin = wrapped.data();
  const char* end = begin + wrapped.size();
  LineEndsBackward<false> crs(begin, end);
  while (end > begin) {
    const char* cr = crs.Before(end);
    if (!cr) break;
    // Mostly the line starts with the LF of its CR LF.
    emitLine(cr + 1 < end && cr[1] == kLF ? cr + 2 : cr + 1, end);
    web.append("\r\n");
    end = cr;
  }
  emitLine(begin, end);
  return web;
}

Layout LayOut(std::string_view source, std::uint32_t lineHeight, const TextMeasurer* measurer) {
  Layout layout;
  layout.wrapped = WrapText(source, lineHeight, measurer);
  layout.web = WebFormat(layout.wrapped);
  return layout;
}

void WriteLayout(std::string_view source, std::uint32_t lineHeight, LayoutText text, ByteSink& sink,
                 std::size_t blockSize) {
  source = UpToNul(source);
  blockSize = std::max<std::size_t>(blockSize, 1);
  // Either text takes at most 3 bytes for a byte of the source (a space
  // that breaks a line) and 2 more: a small text needs no full block.
  if (source.size() < blockSize / 3) blockSize = 3 * source.size() + 2;
  BlockOut out(sink, blockSize, source);
  if (text == LayoutText::kWrapped) {
    WrapByCells(source, MinBytes(lineHeight), out);
  } else {
    WebByCells(MinBytes(lineHeight)).Write(source, out);
  }
  out.Flush();
}

}  // namespace qorvel
