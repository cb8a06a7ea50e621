// The C interface's Unicode edge: code page 936 <-> UTF-8 by the core's
// conversion, the desktop clipboard's (apart, so that a build without a
// code page 936 table, the web page's, leaves it out).

#include "capi/qorvel.h"
#include "capi/result.h"
#include "cp936/cp936.h"

namespace {

template <class Conversion>
int Text(const char* in, std::size_t in_size, char** out, std::size_t* out_size, Conversion conversion) {
  if (!out || !out_size) return QORVEL_ERROR_INVALID_ARGUMENT;
  *out = nullptr;
  *out_size = 0;
  if (!in && in_size) return QORVEL_ERROR_INVALID_ARGUMENT;
  return qorvel::capi::Guarded([&] {
    const std::string text = conversion(in_size ? std::string_view(in, in_size) : std::string_view());
    qorvel::capi::ResultBuffer result(text.size() + 1);
    result.Append(text);
    result.Release(out, out_size);
    return QORVEL_OK;
  });
}

}  // namespace

extern "C" {

int qorvel_to_utf8(const char* in, size_t in_size, char** out, size_t* out_size) {
  return Text(in, in_size, out, out_size, qorvel::Cp936ToUtf8);
}

int qorvel_from_utf8(const char* in, size_t in_size, char** out, size_t* out_size) {
  return Text(in, in_size, out, out_size, qorvel::Utf8ToCp936);
}

}  // extern "C"
