#include "codec/registry.h"

#include <stdexcept>
#include <string>

#include "codec/hasi.h"
#include "codec/mengkeli_file.h"
#include "codec/mengkeli_paste.h"
#include "codec/mingantu.h"
#include "codec/paste_stream.h"
#include "codec/wordfont.h"

namespace qorvel {
namespace {

template <class Converter>
std::unique_ptr<StreamConverter> Make(ConvertOptions options) {
  return std::make_unique<Converter>(options);
}

// A paste code's scans, and its scans under the keep rule (the same where
// the rule keeps nothing more).
template <ResumableScan kScan, FreshStartScan kFreshStart, ResumableScan kKeepScan = kScan,
          FreshStartScan kKeepFreshStart = kFreshStart>
std::unique_ptr<StreamConverter> MakePaste(ConvertOptions options) {
  return options.keep ? std::make_unique<PasteStream>(kKeepScan, kKeepFreshStart)
                      : std::make_unique<PasteStream>(kScan, kFreshStart);
}

constexpr Codec kCodecs[] = {
    {"mengkeli", "Mengkeli code file to Qorvel 2006 code, as Orlenta writes it", CodecKind::kFile,
     &Make<MengkeliFileConverter>},
    {"mengkeli-paste", "Mengkeli code text, as Velmar's Mengkeli paste appends it", CodecKind::kPaste,
     &MakePaste<&ConvertMengkeliPasteChunk, &MengkeliPasteFreshStart>},
    {"mingantu", "Mingantu code text, as Velmar's Mingantu paste appends it", CodecKind::kPaste,
     &MakePaste<&ConvertMingantuPasteChunk, &MingantuPasteFreshStart>},
    {"wordfont", "Word-font text, as Velmar's Word-font paste appends it", CodecKind::kPaste,
     &MakePaste<&ConvertWordFontPasteChunk, &WordFontPasteFreshStart, &ConvertWordFontKeepChunk,
                &WordFontKeepFreshStart>},
    {"hasi", "Hasi code file to Qorvel 2006 international code, as Kestrum writes it", CodecKind::kFile,
     &Make<HasiConverter>},
};

}  // namespace

std::span<const Codec> Codecs() { return kCodecs; }

const Codec* FindCodec(std::string_view name) {
  for (const Codec& codec : kCodecs)
    if (name == codec.name) return &codec;
  return nullptr;
}

const Codec& RequireCodec(std::string_view name, CodecKind kind) {
  const Codec* codec = FindCodec(name);
  if (!codec) throw std::logic_error("no code '" + std::string(name) + "' in the registry of codes");
  if (codec->kind != kind)
    throw std::logic_error("the code '" + std::string(name) + "' is not a " +
                           (kind == CodecKind::kFile ? "file" : "paste") + " code");
  return *codec;
}

}  // namespace qorvel
