#include "velmar/core/layout.h"

#include <cstring>

namespace qorvel {
namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// The cell model kept up byte by byte for the pending line.
class RunningCells {
 public:
  void Reset() {
    complete_ = 0;
    openLead_ = false;
  }
  void Add(unsigned char b) {
    if (openLead_) {
      complete_ += SystemFontCells::kDouble;
      openLead_ = false;
    } else if (IsLeadByte(b)) {
      openLead_ = true;
    } else {
      complete_ += SystemFontCells::kSingle;
    }
  }
  void Add(std::string_view bytes) {
    for (unsigned char b : bytes) Add(b);
  }
  std::uint64_t Width() const { return complete_ + (openLead_ ? SystemFontCells::kSingle : 0); }

 private:
  std::uint64_t complete_ = 0;
  bool openLead_ = false;
};

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

  std::string wrapped;
  wrapped.reserve(source.size() + source.size() / 16 + 2);
  RunningCells cells;
  std::size_t start = 0;    // the pending line is source[start, i)
  std::size_t counted = 0;  // bytes of the pending line already in `cells`
  const std::size_t n = source.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = source[i];
    if (c == ' ') {
      std::uint64_t width;
      const std::string_view pending = source.substr(start, i - start);
      if (measurer) {
        width = measurer->MeasureLine(pending);
      } else {
        cells.Add(pending.substr(counted - start));
        counted = i;
        width = cells.Width();
      }
      if (width >= lineHeight) {
        wrapped.append(pending);
        wrapped.append(" \r\n");
        start = counted = i + 1;
        cells.Reset();
      }
    } else if (c == kCR || (c == kLF && (i == 0 || source[i - 1] != kCR))) {
      wrapped.append(source.substr(start, i - start));
      wrapped.append("\r\n");
      start = counted = i + 1;
      cells.Reset();
    } else if (c == kLF) {
      // Second byte of CR LF: the pending line is empty and stays so.
      start = counted = i + 1;
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
  const auto emitLine = [&](std::size_t from, std::size_t to) {
    while (from < to) {
      const std::size_t lf = wrapped.find(kLF, from);
      const std::size_t stop = (lf == std::string_view::npos || lf > to) ? to : lf;
      web.append(wrapped.substr(from, stop - from));
      from = stop + 1;
    }
  };
  // Walk the lines from the last to the first: each CR closes the line that
  // follows it, which is written and then followed by CR LF.
  std::size_t end = wrapped.size();
  while (end > 0) {
    const std::size_t cr = wrapped.rfind(kCR, end - 1);
    if (cr == std::string_view::npos) break;
    emitLine(cr + 1, end);
    web.append("\r\n");
    end = cr;
  }
  emitLine(0, end);
  return web;
}

Layout LayOut(std::string_view source, std::uint32_t lineHeight, const TextMeasurer* measurer) {
  Layout layout;
  layout.wrapped = WrapText(source, lineHeight, measurer);
  layout.web = WebFormat(layout.wrapped);
  return layout;
}

}  // namespace qorvel
