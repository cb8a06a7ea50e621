// Layout invariants: the wrapped text ends with CR LF and has no bare LF, no
// lone CR and no NUL; the web-format text has the same length and the same
// lines in reverse order.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "layout/layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the line height.
  const std::uint32_t lineHeight = static_cast<std::uint32_t>(data[0]) * 8u + data[1] % 8u;
  const std::string_view source(reinterpret_cast<const char*>(data + 2), size - 2);
  const qorvel::Layout l = qorvel::LayOut(source, lineHeight);

  const std::string& w = l.wrapped;
  FUZZ_CHECK(w.size() >= 2 && w[w.size() - 2] == '\r' && w.back() == '\n');
  FUZZ_CHECK(w.find('\0') == std::string::npos);
  std::vector<std::string_view> lines;
  std::size_t from = 0;
  for (std::size_t k = 0; k < w.size(); ++k) {
    if (w[k] == '\n') FUZZ_CHECK(k > 0 && w[k - 1] == '\r');
    if (w[k] == '\r') {
      FUZZ_CHECK(k + 1 < w.size() && w[k + 1] == '\n');
      lines.push_back(std::string_view(w).substr(from, k - from));
      from = k + 2;
    }
  }
  FUZZ_CHECK(l.web.size() == w.size());
  std::string expected;
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    expected += "\r\n";
    expected += *it;
  }
  FUZZ_CHECK(l.web == expected);

  // The whole-line measurer gives the same breaks as the running one.
  const qorvel::SystemFontCells cells;
  FUZZ_CHECK(qorvel::WrapText(source, lineHeight, &cells) == w);
  return 0;
}
