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

bool SetClipboardTextAndHtml(const char* text, std::string_view html) {
  std::string block(text);
  block.push_back('\0');
  qorvel::platform::SetClipboardBlockWithHtml(block, html);
  return true;
}

namespace qorvel::platform {

std::string CfHtml(std::string_view fragment) {
  static constexpr std::string_view kBefore = "<html><body>\r\n<!--StartFragment-->";
  static constexpr std::string_view kAfter = "<!--EndFragment-->\r\n</body></html>";
  // Ten digits each, so that the header's length does not depend on them.
  const auto field = [](std::string_view name, std::size_t value) {
    std::string digits(10, '0');
    for (std::size_t i = digits.size(); i-- > 0 && value; value /= 10) digits[i] = static_cast<char>('0' + value % 10);
    return std::string(name) + ":" + digits + "\r\n";
  };
  static constexpr std::string_view kVersion = "Version:0.9\r\n";
  const std::size_t startHtml = kVersion.size() + field("StartHTML", 0).size() +
                                field("EndHTML", 0).size() + field("StartFragment", 0).size() +
                                field("EndFragment", 0).size();
  const std::size_t startFragment = startHtml + kBefore.size();
  const std::size_t endFragment = startFragment + fragment.size();
  const std::size_t endHtml = endFragment + kAfter.size();
  std::string out = std::string(kVersion) + field("StartHTML", startHtml) + field("EndHTML", endHtml) +
                    field("StartFragment", startFragment) + field("EndFragment", endFragment);
  out.append(kBefore);
  out.append(fragment);
  out.append(kAfter);
  return out;
}

}  // namespace qorvel::platform
