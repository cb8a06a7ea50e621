#include "mengkeli/byte_writer.h"

namespace qorvel::detail {

char* GrowForWriter(std::string& s, std::size_t used, std::size_t start, std::size_t need, std::size_t slack) {
  s.resize(used + (used - start) + need + slack + 64);
  return s.data() + used;
}

}  // namespace qorvel::detail
