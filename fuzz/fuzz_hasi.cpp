#include "fuzz_stream.h"
#include "codec/hasi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckStreamConverter<qorvel::HasiConverter>(data, size);
  return 0;
}
