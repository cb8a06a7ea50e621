#include "fuzz_stream.h"
#include "codec/mengkeli_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckStreamConverter<qorvel::MengkeliFileConverter>(data, size);
  return 0;
}
