#include "fuzz_paste.h"
#include "codec/wordfont.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPasteConverter(&qorvel::ConvertWordFontPaste, data, size);
  return 0;
}
