# Cross-compiling libqorvel and the core for the browser with Debian's clang and its
# wasm32-wasi C and C++ libraries (clang-16, lld-16, wasi-libc,
# libc++-16-dev-wasm32). Only the C++ library is used: the page gives the
# module no system interface beyond a few stubs.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_FLAGS_INIT "-isystem /usr/include/wasm32-wasi/c++/v1")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
