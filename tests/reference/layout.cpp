// Velmar's layout, both passes as written: wrapping walks the source a byte
// at a time with a pending line, measuring the whole pending line at every
// space; the web format walks the wrapped text from its last byte back.

#include "reference/reference.h"

namespace qorvel {

std::string ReferenceWrap(std::string_view source, std::uint32_t lineHeight, const TextMeasurer& measurer) {
  source = source.substr(0, source.find('\0'));
  std::string wrapped, pending;
  for (std::size_t i = 0; i < source.size(); ++i) {
    const char c = source[i];
    if (c == ' ') {
      // The break test comes before the space is added.
      if (measurer.MeasureLine(pending) >= lineHeight) {
        wrapped += pending + " \r\n";
        pending.clear();
      } else {
        pending += ' ';
      }
    } else if (c == '\r') {
      wrapped += pending + "\r\n";
      pending.clear();
    } else if (c == '\n') {
      // The second byte of CR LF adds nothing; an LF on its own (our
      // choice) ends the line as a CR does.
      if (i == 0 || source[i - 1] != '\r') {
        wrapped += pending + "\r\n";
        pending.clear();
      }
    } else {
      pending += c;
    }
  }
  return wrapped + pending + "\r\n";
}

std::string ReferenceWebFormat(std::string_view wrapped) {
  std::string out, line;  // `line` collects a line's bytes last byte first
  const auto writeLine = [&] {
    out.append(line.rbegin(), line.rend());
    line.clear();
  };
  for (std::size_t k = wrapped.size(); k-- > 0;) {
    const char c = wrapped[k];
    if (c == '\n') continue;
    if (c == '\r') {
      writeLine();
      out += "\r\n";
    } else {
      line += c;
    }
  }
  writeLine();
  return out;
}

}  // namespace qorvel
