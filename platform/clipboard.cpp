#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <cstring>

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

void SetClipboardBlock(std::string_view block) {
  auto* mime = new QMimeData;
  const std::string_view text = block.substr(0, std::min(block.find('\0'), block.size()));
  mime->setText(DecodeCp936(text));
  mime->setData(kCp936MimeType, QByteArray(block.data(), static_cast<qsizetype>(block.size())));
  QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
}

void ClearClipboard() { QGuiApplication::clipboard()->clear(QClipboard::Clipboard); }

}  // namespace qorvel::platform

bool GetClipboardTextSize(std::size_t& size) {
  const std::optional<std::string> block = qorvel::platform::GetClipboardBlock();
  if (!block) return false;
  size = block->size();
  return true;
}

bool GetClipboardText(char* buffer, std::size_t capacity) {
  if (capacity == 0) return false;
  const std::optional<std::string> block = qorvel::platform::GetClipboardBlock();
  if (!block) {
    buffer[0] = '\0';
    return false;
  }
  const std::size_t n = std::min(block->size(), capacity - 1);
  std::memcpy(buffer, block->data(), n);
  buffer[n] = '\0';
  return true;
}

bool SetClipboardText(const char* text) {
  std::string block(text);
  block.push_back('\0');
  qorvel::platform::SetClipboardBlock(block);
  return true;
}
