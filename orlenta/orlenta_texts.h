#pragma once
// Orlenta's status texts and messages (UTF-8; the dialog layer converts them
// for display).

#include <string_view>

namespace qorvel {

// Status line during and after a conversion.
inline constexpr std::string_view kOrlentaStatusConverting = "正在转换...";
inline constexpr std::string_view kOrlentaStatusSaving = "正在保存...";
inline constexpr std::string_view kOrlentaStatusFinished = "转换结束   ";

// Message boxes.
inline constexpr std::string_view kOrlentaMsgFinished = "转换结束";
inline constexpr std::string_view kOrlentaMsgNoInputName = "请输入蒙科立蒙文文件名(*.TXT)";
inline constexpr std::string_view kOrlentaMsgNoOutputName = "请输入Qorvel蒙文文件名(*.TXT)";
inline constexpr std::string_view kOrlentaMsgOpenInputError = "Open File 1 Error !";
inline constexpr std::string_view kOrlentaMsgReopenInputError = "Open File 01 Error !";
inline constexpr std::string_view kOrlentaMsgOpenOutputError = "Open File 2 Error !";

}  // namespace qorvel
