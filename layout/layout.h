#pragma once
// Velmar's layout: wraps the source text into lines at spaces once a line
// measures the line height, and derives the web-format text (the same lines,
// last line first). Pure functions over code page 936 bytes.

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

}  // namespace qorvel
