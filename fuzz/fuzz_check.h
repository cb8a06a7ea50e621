#pragma once
// A property check that stops the fuzzer with a message.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                     \
  do {                                                                       \
    if (!(cond)) {                                                           \
      std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, \
                   __LINE__);                                                \
      std::abort();                                                          \
    }                                                                        \
  } while (0)
