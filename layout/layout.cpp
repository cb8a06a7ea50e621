#include "layout/layout.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

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

// Pass 1 with the system-font cells. A double-byte character measures 16
// pixels for its two bytes and every other byte 8, a lead byte without a
// follower included, so a pending line measures 8 pixels per byte: it breaks
// at the first space that has at least `minBytes` bytes of the line before it.
std::string WrapByCells(std::string_view source, std::uint32_t lineHeight) {
  const std::uint64_t minBytes = (std::uint64_t{lineHeight} + SystemFontCells::kSingle - 1) / SystemFontCells::kSingle;
  std::string wrapped;
  wrapped.reserve(source.size() + source.size() / 16 + 2);
  const char* line = source.data();  // the pending line starts here
  const char* const end = line + source.size();
  const char* cr = Find(line, end, kCR);  // the next CR and LF from `line` on
  const char* lf = Find(line, end, kLF);
  for (;;) {
    if (cr < line) cr = Find(line, end, kCR);
    if (lf < line) lf = Find(line, end, kLF);
    const char* const lineEnd = cr < lf ? cr : lf;
    // Breaks at spaces before the line end.
    while (static_cast<std::uint64_t>(lineEnd - line) > minBytes) {
      const char* space = Find(line + minBytes, lineEnd, ' ');
      if (space == lineEnd) break;
      wrapped.append(line, static_cast<std::size_t>(space + 1 - line));
      wrapped.append("\r\n");
      line = space + 1;
    }
    wrapped.append(line, static_cast<std::size_t>(lineEnd - line));
    wrapped.append("\r\n");
    if (lineEnd == end) return wrapped;
    // A CR LF, a CR alone or an LF alone ends the line.
    line = lineEnd + 1;
    if (*lineEnd == kCR && line < end && *line == kLF) ++line;
  }
}

// The last CR in [p, p + n), or null: eight bytes at a time from the end
// (memrchr would do, but it is a GNU extension). A word holds a CR when the
// word XOR eight CRs has a zero byte; that test is exact about whether there
// is one, and the bytes of that word then tell where.
const char* LastCRIn(const char* p, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  constexpr std::uint64_t kCRs = kOnes * static_cast<unsigned char>(kCR);
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p + n - 8, 8);
    const std::uint64_t x = word ^ kCRs;
    if ((x - kOnes) & ~x & kHighs) break;
    n -= 8;
  }
  const std::size_t stop = n >= 8 ? n - 8 : 0;
  for (std::size_t i = n; i > stop; --i)
    if (p[i - 1] == kCR) return p + i - 1;
  return nullptr;
}

// The last CR in [begin, end), or null. Looks back a window at a time, so
// that the work (and a sanitizer's range check) is about one line, not the
// rest of the text.
const char* FindLastCR(const char* begin, const char* end) {
  constexpr std::size_t kWindow = 256;
  while (end > begin) {
    const std::size_t window = std::min(static_cast<std::size_t>(end - begin), kWindow);
    if (const char* cr = LastCRIn(end - window, window)) return cr;
    end -= window;
  }
  return nullptr;
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
  if (const void* nul = std::memchr(source.data(), 0, source.size()))
    source = source.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - source.data()));
  if (!measurer) return WrapByCells(source, lineHeight);

  // Any other measurer is asked for the whole pending line at every space.
  std::string wrapped;
  wrapped.reserve(source.size() + source.size() / 16 + 2);
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
  while (end > begin) {
    const char* cr = FindLastCR(begin, end);
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

}  // namespace qorvel
