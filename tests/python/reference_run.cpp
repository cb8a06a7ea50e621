// The slow reference of a code for the Python module's test: reads an input
// on standard input and prints what the reference makes of it, one fact a
// line: "dropped N", "first A B ...", "ended OFFSET" (or "ended -"), and
// "out HEX".
//   reference_run CODE [keep]

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "reference/reference.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string in{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  const qorvel::ReferenceResult r = qorvel::ReferenceRun(argv[1], in, argc > 2 && std::string(argv[2]) == "keep");
  std::cout << "dropped " << r.dropped.size() << "\nfirst";
  for (std::size_t k = 0; k < r.dropped.size() && k < 5; ++k) std::cout << " " << r.dropped[k];
  std::cout << "\nended " << (r.endedAtNul ? std::to_string(r.consumed - 1) : "-") << "\nout ";
  for (unsigned char c : r.out) std::printf("%02x", c);
  std::fflush(stdout);
  std::cout << "\n";
}
