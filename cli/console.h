#pragma once
// qorvel's messages (errors, notes, help, the list of codes) are UTF-8 text.
// A Windows console shows bytes in its own code page (936 on a Chinese
// system), where a file name in them would come out garbled; it is given
// the characters instead. Anywhere else (a file, a pipe, a log, Linux) the
// UTF-8 bytes go out as they are, so that what reads them gets the same
// bytes on every system. The converted text itself never goes this way: it
// is code page 936 bytes, written unchanged.

#include <cstdio>
#include <string_view>

namespace qorvel::cli {

// stream is stdout or stderr.
void WriteText(std::FILE* stream, std::string_view utf8);

}  // namespace qorvel::cli
