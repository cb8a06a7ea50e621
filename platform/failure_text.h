#pragma once
// Why something failed, as a message box says it: the reasons our core
// gives (the system's own text, in the user's language) are UTF-8, and so
// are turned into text here, at the one place where a reason meets a
// message; the file it concerns is framed in Chinese, as the programs
// speak. On Chinese Windows the reason is Chinese too:
//   无法打开“Z:\data\nosuch.txt”：系统找不到指定的文件

#include <QString>
#include <exception>
#include <string_view>

namespace qorvel::platform {

// A reason given as bytes: UTF-8 (ours, and the system's as the core passes
// it on); bytes that are not UTF-8 come from some other library and are
// read in the system's code page.
QString ReasonText(std::string_view reason);

// What `e` says: for a file error, the file and the reason in Chinese
// (无法打开 / 无法读取 / 无法写入“PATH”：REASON); otherwise its own text.
QString FailureText(const std::exception& e);

}  // namespace qorvel::platform
