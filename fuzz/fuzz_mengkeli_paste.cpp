#include "fuzz_paste.h"
#include "codec/mengkeli_paste.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPasteConverter(&qorvel::ConvertMengkeliPaste, data, size);
  return 0;
}
