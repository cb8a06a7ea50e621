// The layout against the slow reference: the wrapped text (with the running
// cell measurer and with a whole-line measurer) and the web-format text,
// built whole and streamed in small blocks, are the reference's, and keep
// their invariants: the wrapped text ends with CR LF and has no bare LF, no
// lone CR and no NUL; the web-format text is as long. The web format of any
// text, also one no wrapping gave, is the reference's too.

#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "layout/layout.h"
#include "reference/reference.h"

namespace {

struct Collect final : qorvel::ByteSink {
  void Write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

std::string Streamed(std::string_view source, std::uint32_t lineHeight, qorvel::LayoutText which,
                     std::size_t blockSize) {
  Collect sink;
  qorvel::WriteLayout(source, lineHeight, which, sink, blockSize);
  return sink.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the line height and the streamed blocks' size.
  const std::uint32_t lineHeight = static_cast<std::uint32_t>(data[0]) * 8u + data[1] % 8u;
  const std::size_t blockSize = 1u + data[1] / 8u;
  const std::string_view source(reinterpret_cast<const char*>(data + 2), size - 2);
  const qorvel::Layout l = qorvel::LayOut(source, lineHeight);

  const std::string wrapped = qorvel::ReferenceWrap(source, lineHeight);
  FUZZ_CHECK(l.wrapped == wrapped);
  FUZZ_CHECK(l.web == qorvel::ReferenceWebFormat(wrapped));
  FUZZ_CHECK(Streamed(source, lineHeight, qorvel::LayoutText::kWrapped, blockSize) == wrapped);
  FUZZ_CHECK(Streamed(source, lineHeight, qorvel::LayoutText::kWeb, blockSize) == l.web);
  const qorvel::SystemFontCells cells;
  FUZZ_CHECK(qorvel::WrapText(source, lineHeight, &cells) == wrapped);
  FUZZ_CHECK(qorvel::WebFormat(source) == qorvel::ReferenceWebFormat(source));

  const std::string& w = l.wrapped;
  FUZZ_CHECK(w.size() >= 2 && w[w.size() - 2] == '\r' && w.back() == '\n');
  FUZZ_CHECK(w.find('\0') == std::string::npos);
  for (std::size_t k = 0; k < w.size(); ++k) {
    if (w[k] == '\n') FUZZ_CHECK(k > 0 && w[k - 1] == '\r');
    if (w[k] == '\r') FUZZ_CHECK(k + 1 < w.size() && w[k + 1] == '\n');
  }
  FUZZ_CHECK(l.web.size() == w.size());
  return 0;
}
