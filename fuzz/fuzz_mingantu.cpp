#include "fuzz_paste.h"
#include "codec/mingantu.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPasteConverter(&qorvel::ConvertMingantuPaste, data, size);
  return 0;
}
