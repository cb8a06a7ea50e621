#include "platform/clipboard.h"

#include <algorithm>
#include <cstring>

// The helpers the commands use, on either half (clipboard_qt.cpp,
// clipboard_win32.cpp).

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
