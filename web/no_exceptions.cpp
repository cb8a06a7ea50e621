// The wasm32-wasi C++ library is built without exceptions. The throws the
// library can still reach at run time (a length past max_size, no memory)
// end the call in a trap instead, which the page reports as a failed
// conversion and answers with a fresh instance.

#include <cstddef>

extern "C" {

void* __cxa_allocate_exception(std::size_t) { __builtin_trap(); }
[[noreturn]] void __cxa_throw(void*, void*, void (*)(void*)) { __builtin_trap(); }

}  // extern "C"
