#pragma once
// Messages of the converter dialogs that both programs show (UTF-8). Each
// is followed, after a blank line, by what went wrong: the file and the
// system's reason.

// The output path names the input file (also through another spelling of
// the path or a link): nothing is opened for writing.
inline constexpr char kConvMsgSameFile[] = "不能转换：输出文件就是输入文件。";
// Reading the input failed during the conversion.
inline constexpr char kConvMsgReadError[] = "读文件错误：转换没有完成，输出文件没有改变。";
// Writing the output failed (a full disk, for example).
inline constexpr char kConvMsgWriteError[] = "写文件错误：转换没有完成，输出文件没有改变。";
// Anything else stopped the conversion (the machine ran out of memory, say).
inline constexpr char kConvMsgUnexpected[] = "转换失败：转换没有完成，输出文件没有改变。";
