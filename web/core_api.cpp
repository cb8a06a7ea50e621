// The pure core as the page sees it: plain C functions over byte buffers in
// the module's memory. JavaScript copies its bytes in, calls, and copies the
// result out; nothing here keeps state between calls except the objects the
// caller holds by handle and gives back with the matching free call.
// Built for wasm32-wasi as a reactor: no main, the page calls these exports.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "codec/registry.h"
#include "layout/layout.h"

namespace {

// One conversion run: the registry's converter and the output it has made
// since the caller last took it.
struct Conversion {
  std::unique_ptr<qorvel::StreamConverter> converter;
  std::string out;
  bool more = true;  // false once the input has ended at a NUL byte
};

const qorvel::Codec* CodecAt(int index) {
  const auto codecs = qorvel::Codecs();
  if (index < 0 || static_cast<std::size_t>(index) >= codecs.size()) return nullptr;
  return &codecs[static_cast<std::size_t>(index)];
}

std::string_view Bytes(const char* data, std::size_t size) {
  return size ? std::string_view(data, size) : std::string_view();
}

}  // namespace

#define QV_EXPORT(name) __attribute__((export_name(#name)))

extern "C" {

// The wasm32-wasi C++ library is built without exceptions. The throws the
// core can still reach at run time (a length past max_size, no memory) end
// the call in a trap, which the page reports as a failed conversion.
void* __cxa_allocate_exception(std::size_t) { __builtin_trap(); }
[[noreturn]] void __cxa_throw(void*, void*, void (*)(void*)) { __builtin_trap(); }

QV_EXPORT(qv_codec_count) int qv_codec_count() { return static_cast<int>(qorvel::Codecs().size()); }

QV_EXPORT(qv_codec_name) const char* qv_codec_name(int index) {
  const qorvel::Codec* codec = CodecAt(index);
  return codec ? codec->name : nullptr;
}

QV_EXPORT(qv_codec_description) const char* qv_codec_description(int index) {
  const qorvel::Codec* codec = CodecAt(index);
  return codec ? codec->description : nullptr;
}

// A fresh conversion from the code at `index`, or null.
QV_EXPORT(qv_open) Conversion* qv_open(int index) {
  const qorvel::Codec* codec = CodecAt(index);
  if (!codec) return nullptr;
  auto run = std::make_unique<Conversion>();
  run->converter = codec->make();
  return run.release();
}

// Converts the next piece of input; returns 0 once the input has ended (a
// NUL byte), after which further pieces are not read, as the file driver
// stops reading.
QV_EXPORT(qv_feed) int qv_feed(Conversion* run, const char* data, std::size_t size) {
  if (run->more) run->more = run->converter->Feed(Bytes(data, size), run->out);
  return run->more ? 1 : 0;
}

QV_EXPORT(qv_finish) void qv_finish(Conversion* run) { run->converter->Finish(run->out); }

QV_EXPORT(qv_out_data) const char* qv_out_data(Conversion* run) { return run->out.data(); }
QV_EXPORT(qv_out_size) std::size_t qv_out_size(Conversion* run) { return run->out.size(); }
// The caller has copied the output out; the buffer keeps its capacity.
QV_EXPORT(qv_out_clear) void qv_out_clear(Conversion* run) { run->out.clear(); }

// Bytes of input taken, up to and including an ending NUL byte (a double:
// exact far past any file a browser can read).
QV_EXPORT(qv_consumed) double qv_consumed(const Conversion* run) {
  return static_cast<double>(run->converter->Consumed());
}

QV_EXPORT(qv_close) void qv_close(Conversion* run) { delete run; }

// Velmar's layout of `size` bytes: the web-format text, or the wrapped text
// when `wrapped` is non-zero. The line height is compared unsigned, as Velmar
// keeps it. Returns a string the caller frees with qv_string_free.
QV_EXPORT(qv_layout) std::string* qv_layout(const char* data, std::size_t size, std::uint32_t lineHeight,
                                            int wrapped) {
  auto result = std::make_unique<std::string>(qorvel::WrapText(Bytes(data, size), lineHeight));
  if (!wrapped) *result = qorvel::WebFormat(*result);
  return result.release();
}

QV_EXPORT(qv_string_data) const char* qv_string_data(const std::string* text) { return text->data(); }
QV_EXPORT(qv_string_size) std::size_t qv_string_size(const std::string* text) { return text->size(); }
QV_EXPORT(qv_string_free) void qv_string_free(std::string* text) { delete text; }

}  // extern "C"
