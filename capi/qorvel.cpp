// The C interface over the registry's converters and the layout. Every entry
// point runs its body through Guarded, so that no exception crosses into a
// C caller: a failure is a status.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "capi/qorvel.h"
#include "capi/result.h"
#include "codec/registry.h"
#include "cp936/cp936.h"
#include "layout/html.h"
#include "layout/layout.h"

struct qorvel_converter {
  const qorvel::Codec* codec = nullptr;
  qorvel::ConvertOptions options;
  std::unique_ptr<qorvel::StreamConverter> conv;
  // Output made but not yet handed out: the caller's buffer was full.
  std::string pending;
  std::size_t handed = 0;  // bytes of `pending` already handed out
  bool ended = false;      // a NUL has ended the text
  bool finished = false;
  bool failed = false;     // a call failed half way: only reset and close go on
};

namespace qorvel::capi {
namespace {

// A call that failed half way (out of memory, an internal fault) leaves the
// converter in a state nothing can go on from.
int MarkFailure(qorvel_converter* c, int status) {
  if (c && (status == QORVEL_ERROR_NO_MEMORY || status == QORVEL_ERROR_INTERNAL)) c->failed = true;
  return status;
}

// Input is fed to the converter in slices of at most this size, so that the
// output waiting for a small caller buffer stays small whatever the piece.
constexpr std::size_t kSlice = std::size_t{64} << 10;

const Codec* CodecAt(std::size_t index) {
  const auto codecs = Codecs();
  return index < codecs.size() ? &codecs[index] : nullptr;
}

std::string_view Bytes(const char* data, std::size_t size) {
  return size ? std::string_view(data, size) : std::string_view();
}

// Hands out what is pending into [out, out + room); true when nothing is
// left pending.
bool Hand(qorvel_converter& c, char* out, std::size_t room, std::size_t& written) {
  const std::size_t n = std::min(room - written, c.pending.size() - c.handed);
  if (n) std::memcpy(out + written, c.pending.data() + c.handed, n);
  written += n;
  c.handed += n;
  if (c.handed < c.pending.size()) return false;
  c.pending.clear();
  c.handed = 0;
  return true;
}

int Open(const char* code, unsigned options, qorvel_converter** converter) {
  if (!converter) return QORVEL_ERROR_INVALID_ARGUMENT;
  *converter = nullptr;
  if (!code || (options & ~QORVEL_KEEP) != 0) return QORVEL_ERROR_INVALID_ARGUMENT;
  const Codec* codec = FindCodec(code);
  if (!codec) return QORVEL_ERROR_UNKNOWN_CODE;
  auto c = std::make_unique<qorvel_converter>();
  c->codec = codec;
  c->options.keep = (options & QORVEL_KEEP) != 0;
  c->conv = codec->make(c->options);
  *converter = c.release();
  return QORVEL_OK;
}

int Convert(qorvel_converter* c, const char* in, std::size_t in_size, std::size_t* in_taken, char* out,
            std::size_t out_size, std::size_t* out_written) {
  if (!c || !in_taken || !out_written || (!in && in_size) || (!out && out_size))
    return QORVEL_ERROR_INVALID_ARGUMENT;
  *in_taken = 0;
  *out_written = 0;
  if (c->failed) return QORVEL_ERROR_FAILED;
  if (c->finished) return QORVEL_ERROR_FINISHED;
  for (;;) {
    if (!Hand(*c, out, out_size, *out_written)) return QORVEL_OUTPUT_FULL;
    if (c->ended) return QORVEL_ENDED;
    if (*in_taken == in_size) return QORVEL_OK;
    const std::string_view slice = Bytes(in + *in_taken, std::min(in_size - *in_taken, kSlice));
    const std::uint64_t before = c->conv->Consumed();
    // A fresh string is grown into by the converter; one kept from the last
    // slice (emptied by Hand) keeps its capacity.
    const bool more = c->conv->Feed(slice, c->pending);
    *in_taken += more ? slice.size() : static_cast<std::size_t>(c->conv->Consumed() - before);
    c->ended = !more;
  }
}

int Finish(qorvel_converter* c, char* out, std::size_t out_size, std::size_t* out_written) {
  if (!c || !out_written || (!out && out_size)) return QORVEL_ERROR_INVALID_ARGUMENT;
  *out_written = 0;
  if (c->failed) return QORVEL_ERROR_FAILED;
  if (!c->finished) {
    if (!Hand(*c, out, out_size, *out_written)) return QORVEL_OUTPUT_FULL;
    c->finished = true;
    c->conv->Finish(c->pending);
  }
  return Hand(*c, out, out_size, *out_written) ? QORVEL_OK : QORVEL_OUTPUT_FULL;
}

int Reset(qorvel_converter* c) {
  if (!c) return QORVEL_ERROR_INVALID_ARGUMENT;
  auto fresh = c->codec->make(c->options);
  c->conv = std::move(fresh);
  c->pending.clear();
  c->handed = 0;
  c->ended = false;
  c->finished = false;
  c->failed = false;
  return QORVEL_OK;
}

// The one-call form on the streaming one, into a buffer that grows as the
// output does: the whole output is never held twice.
int ConvertAll(const char* code, const char* in, std::size_t in_size, char** out, std::size_t* out_size) {
  if (!out || !out_size) return QORVEL_ERROR_INVALID_ARGUMENT;
  *out = nullptr;
  *out_size = 0;
  if (!in && in_size) return QORVEL_ERROR_INVALID_ARGUMENT;
  qorvel_converter* raw = nullptr;
  if (const int status = Open(code, 0, &raw); status != QORVEL_OK) return status;
  const std::unique_ptr<qorvel_converter, void (*)(qorvel_converter*)> conv(raw, qorvel_close);
  ResultBuffer result(in_size + in_size / 4);
  std::size_t taken = 0;
  int status = QORVEL_OUTPUT_FULL;
  while (status == QORVEL_OUTPUT_FULL || (status == QORVEL_OK && taken < in_size)) {
    std::size_t took = 0, wrote = 0;
    result.MakeRoom();
    status = Convert(conv.get(), in + taken, in_size - taken, &took, result.Room(), result.RoomSize(), &wrote);
    taken += took;
    result.Grew(wrote);
  }
  if (status < 0) return status;
  do {
    std::size_t wrote = 0;
    result.MakeRoom();
    status = Finish(conv.get(), result.Room(), result.RoomSize(), &wrote);
    result.Grew(wrote);
  } while (status == QORVEL_OUTPUT_FULL);
  if (status < 0) return status;
  result.Release(out, out_size);
  return QORVEL_OK;
}

class ResultSink final : public ByteSink {
 public:
  explicit ResultSink(ResultBuffer& result) : result_(result) {}
  void Write(std::string_view bytes) override { result_.Append(bytes); }

 private:
  ResultBuffer& result_;
};

int LayOutText(const char* in, std::size_t in_size, std::uint32_t line_height, int wrapped, char** out,
               std::size_t* out_size) {
  if (!out || !out_size) return QORVEL_ERROR_INVALID_ARGUMENT;
  *out = nullptr;
  *out_size = 0;
  if (!in && in_size) return QORVEL_ERROR_INVALID_ARGUMENT;
  ResultBuffer result(in_size + in_size / 8);
  ResultSink sink(result);
  WriteLayout(Bytes(in, in_size), line_height, wrapped ? LayoutText::kWrapped : LayoutText::kWeb, sink);
  result.Release(out, out_size);
  return QORVEL_OK;
}

int HtmlOfText(const char* in, std::size_t in_size, std::uint32_t line_height, int size, const char* face,
               const char* font_url, int fragment, char** out, std::size_t* out_size) {
  if (!out || !out_size) return QORVEL_ERROR_INVALID_ARGUMENT;
  *out = nullptr;
  *out_size = 0;
  if ((!in && in_size) || size < 1 || size > QORVEL_HTML_MAX_SIZE || (face && !*face))
    return QORVEL_ERROR_INVALID_ARGUMENT;
  const HtmlLook look{face ? std::string_view(face) : kDefaultHtmlFace, size,
                      font_url ? std::string_view(font_url) : std::string_view()};
  const std::string html = VerticalHtml(WrapText(Bytes(in, in_size), line_height), Cp936ToUtf8, look,
                                        fragment ? HtmlForm::kFragment : HtmlForm::kDocument);
  ResultBuffer result(html.size() + 1);
  result.Append(html);
  result.Release(out, out_size);
  return QORVEL_OK;
}

}  // namespace
}  // namespace qorvel::capi

using qorvel::capi::Guarded;

extern "C" {

const char* qorvel_status_message(int status) {
  switch (status) {
    case QORVEL_OK: return "success";
    case QORVEL_OUTPUT_FULL: return "the output buffer is full";
    case QORVEL_ENDED: return "a NUL byte ended the text";
    case QORVEL_ERROR_UNKNOWN_CODE: return "unknown code";
    case QORVEL_ERROR_INVALID_ARGUMENT: return "invalid argument (a null pointer, an empty face or a font size out of range)";
    case QORVEL_ERROR_NO_MEMORY: return "out of memory";
    case QORVEL_ERROR_FINISHED: return "the converter is finished: reset it before new input";
    case QORVEL_ERROR_INTERNAL: return "internal error";
    case QORVEL_ERROR_FAILED: return "the converter failed before: reset or close it";
    default: return "unknown status";
  }
}

const char* qorvel_version(void) { return QORVEL_LIBRARY_VERSION; }

size_t qorvel_code_count(void) { return qorvel::Codecs().size(); }

const char* qorvel_code_name(size_t index) {
  const qorvel::Codec* codec = qorvel::capi::CodecAt(index);
  return codec ? codec->name : nullptr;
}

const char* qorvel_code_description(size_t index) {
  const qorvel::Codec* codec = qorvel::capi::CodecAt(index);
  return codec ? codec->description : nullptr;
}

int qorvel_code_kind(size_t index) {
  const qorvel::Codec* codec = qorvel::capi::CodecAt(index);
  if (!codec) return -1;
  return codec->kind == qorvel::CodecKind::kPaste ? QORVEL_KIND_PASTE : QORVEL_KIND_FILE;
}

int qorvel_open(const char* code, qorvel_converter** converter) {
  if (converter) *converter = nullptr;
  return Guarded([&] { return qorvel::capi::Open(code, 0, converter); });
}

int qorvel_open_with(const char* code, unsigned options, qorvel_converter** converter) {
  if (converter) *converter = nullptr;
  return Guarded([&] { return qorvel::capi::Open(code, options, converter); });
}

void qorvel_close(qorvel_converter* converter) { delete converter; }

int qorvel_reset(qorvel_converter* converter) {
  return Guarded([&] { return qorvel::capi::Reset(converter); });
}

int qorvel_convert(qorvel_converter* converter, const char* in, size_t in_size, size_t* in_taken, char* out,
                   size_t out_size, size_t* out_written) {
  return qorvel::capi::MarkFailure(converter, Guarded([&] {
    return qorvel::capi::Convert(converter, in, in_size, in_taken, out, out_size, out_written);
  }));
}

int qorvel_finish(qorvel_converter* converter, char* out, size_t out_size, size_t* out_written) {
  return qorvel::capi::MarkFailure(
      converter, Guarded([&] { return qorvel::capi::Finish(converter, out, out_size, out_written); }));
}

uint64_t qorvel_consumed(const qorvel_converter* converter) {
  return converter ? converter->conv->Consumed() : 0;
}

uint64_t qorvel_dropped(const qorvel_converter* converter) {
  return converter ? converter->conv->Dropped().count : 0;
}

size_t qorvel_dropped_offsets(const qorvel_converter* converter, uint64_t* offsets, size_t max) {
  if (!converter || !offsets) return 0;
  const qorvel::Drops& drops = converter->conv->Dropped();
  const std::size_t n = std::min(max, drops.Kept());
  std::copy_n(drops.first.begin(), n, offsets);
  return n;
}

int qorvel_ended_at(const qorvel_converter* converter, uint64_t* offset) {
  if (!converter || !converter->ended) return 0;
  if (offset) *offset = converter->conv->Consumed() - 1;
  return 1;
}

int qorvel_convert_all(const char* code, const char* in, size_t in_size, char** out, size_t* out_size) {
  return Guarded([&] { return qorvel::capi::ConvertAll(code, in, in_size, out, out_size); });
}

int qorvel_layout(const char* in, size_t in_size, uint32_t line_height, int wrapped, char** out,
                  size_t* out_size) {
  return Guarded([&] { return qorvel::capi::LayOutText(in, in_size, line_height, wrapped, out, out_size); });
}

int qorvel_html(const char* in, size_t in_size, uint32_t line_height, int size, const char* face,
                const char* font_url, int fragment, char** out, size_t* out_size) {
  return Guarded([&] {
    return qorvel::capi::HtmlOfText(in, in_size, line_height, size, face, font_url, fragment, out, out_size);
  });
}

void qorvel_free(void* buffer) { std::free(buffer); }

}  // extern "C"
