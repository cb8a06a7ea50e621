// The clipboard through Qt (Linux): Unicode text for other programs and the
// bytes themselves under a private format for ours.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

#include "platform/clipboard.h"
#include "platform/cp936.h"

namespace qorvel::platform {

std::optional<std::string> GetClipboardBlock() {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  if (!mime) return std::nullopt;
  if (mime->hasFormat(kCp936MimeType)) {
    const QByteArray raw = mime->data(kCp936MimeType);
    return std::string(raw.constData(), static_cast<std::size_t>(raw.size()));
  }
  if (!mime->hasText()) return std::nullopt;
  std::string block = EncodeCp936(mime->text());
  block.push_back('\0');
  return block;
}

namespace {

QMimeData* BlockMime(std::string_view block) {
  auto* mime = new QMimeData;
  const std::string_view text = block.substr(0, std::min(block.find('\0'), block.size()));
  mime->setText(DecodeCp936(text));
  mime->setData(kCp936MimeType, QByteArray(block.data(), static_cast<qsizetype>(block.size())));
  return mime;
}

}  // namespace

void SetClipboardBlock(std::string_view block) {
  QGuiApplication::clipboard()->setMimeData(BlockMime(block), QClipboard::Clipboard);
}

void SetClipboardBlockWithHtml(std::string_view block, std::string_view html) {
  QMimeData* mime = BlockMime(block);
  mime->setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
  QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
}

void ClearClipboard() { QGuiApplication::clipboard()->clear(QClipboard::Clipboard); }

}  // namespace qorvel::platform
