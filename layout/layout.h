#pragma once
// Velmar's layout: wraps the source text into lines at spaces once a line
// measures the line height, and derives the web-format text (the same lines,
// last line first). Pure functions over code page 936 bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qorvel {

// The wrap width a new text starts with.
inline constexpr std::int32_t kDefaultLineHeight = 500;

// Measures a line of code page 936 text in device pixels.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual std::uint64_t MeasureLine(std::string_view text) const = 0;
};

// The fixed-cell model of the code page 936 system font: 8 pixels for a
// single-byte character, 16 for a double-byte one. Scanning from the start,
// a byte 0x81..0xFE that has a following byte forms a double-byte character
// with it; every other byte is a single-byte character.
class SystemFontCells final : public TextMeasurer {
 public:
  static constexpr std::uint64_t kSingle = 8;
  static constexpr std::uint64_t kDouble = 16;
  std::uint64_t MeasureLine(std::string_view text) const override;
};

struct Layout {
  std::string wrapped;
  std::string web;
};

// Wrapping (pass 1). The source text ends at its first NUL. A space breaks
// the line when the pending line, without that space, measures at least
// `lineHeight`; a CR, or an LF not after a CR, ends the line.
// With `measurer` null the system-font cell model is kept up as bytes are
// added (linear time); another measurer is asked for the whole pending line
// at every space.
std::string WrapText(std::string_view source, std::uint32_t lineHeight,
                     const TextMeasurer* measurer = nullptr);

// The web-format text (pass 2): the lines of `wrapped` in reverse order, each
// preceded by CR LF, no line end after the first line. Same length as
// `wrapped`; lines of any length.
std::string WebFormat(std::string_view wrapped);

// Both passes.
Layout LayOut(std::string_view source, std::uint32_t lineHeight,
              const TextMeasurer* measurer = nullptr);

// Where WriteLayout puts its text, a block at a time.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Write(std::string_view bytes) = 0;
};

enum class LayoutText { kWeb, kWrapped };

inline constexpr std::size_t kLayoutBlock = std::size_t{1} << 20;

// The web-format text of `source` (or its wrapped text), byte for byte
// WebFormat(WrapText(source, lineHeight)) (or WrapText(source, lineHeight)),
// written to `sink` without building either text: beside the source it
// keeps one block, and for a hard line of many lines 8 bytes per 4 KB of it.
// The sink gets blocks of `blockSize` bytes and a shorter last one; a piece
// of the source that alone fills a block goes to the sink as it stands,
// uncopied.
void WriteLayout(std::string_view source, std::uint32_t lineHeight, LayoutText text, ByteSink& sink,
                 std::size_t blockSize = kLayoutBlock);

}  // namespace qorvel
