#pragma once
// Kestrum's messages (UTF-8).

namespace qorvel {

inline constexpr char kKestrumNoInputPathText[] = "请输入Qorvel98文件名(*.TXT)";   // input path empty
inline constexpr char kKestrumNoOutputPathText[] = "请输入Qorvel蒙文文件名(*.TXT)";  // output path empty
inline constexpr char kKestrumOpenCountFailText[] = "Open File Error !";     // input, counting pass
inline constexpr char kKestrumOpenInputFailText[] = "Open File 1 Error !";  // input, conversion pass
inline constexpr char kKestrumOpenOutputFailText[] = "Open File 2 Error !"; // output
inline constexpr char kKestrumDoneText[] = "转换结束";                      // after every conversion run

}  // namespace qorvel
