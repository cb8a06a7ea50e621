#pragma once
// Code page 936 bytes <-> UTF-16 on Windows, by the system's own table
// (MultiByteToWideChar / WideCharToMultiByte with code page 936): the
// clipboard makes CF_UNICODETEXT from another program's CF_TEXT with that
// table, so converting with it too keeps those bytes exact. The contract is
// platform/cp936.h's:
//   Decoding reads a byte 0x00..0x80 or 0xFF alone and a lead byte
//   0x81..0xFE with a trail byte 0x40..0x7E or 0x80..0xFE as a pair; a lead
//   byte before any other byte or at the end is U+FFFD and the byte after it
//   is read again. A sequence Windows' table lacks is one U+FFFD too.
//   Encoding gives '?' for each character code page 936 cannot hold (a
//   surrogate pair or a lone surrogate is one character).
// Plain C++ over the Windows API, no Qt: tests/windows/cp936_dump.cpp builds
// it alone and scripts/windows-cp936-check.sh compares it with ICU.

#include <cstddef>
#include <string>
#include <string_view>

namespace qorvel::platform {

std::u16string DecodeCp936Units(std::string_view bytes);
std::string EncodeCp936Units(std::u16string_view text);

// The same, handing Windows at most `max_piece` bytes or units per call
// (its lengths are ints); the check makes it small so that texts cross the
// pieces' edges.
std::u16string DecodeCp936Units(std::string_view bytes, std::size_t max_piece);
std::string EncodeCp936Units(std::u16string_view text, std::size_t max_piece);

}  // namespace qorvel::platform
