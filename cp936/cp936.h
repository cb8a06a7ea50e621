#pragma once
// Code page 936 bytes <-> Unicode, for the places where the world hands us
// Unicode or wants it: the clipboard, drawing, font and file names in the
// desktop programs, and the library's text edge for programs that hold
// Unicode text. Everything else in the suite stays in bytes. Plain C++, no Qt.
//
// On Linux the converter is ICU's "windows-936-2000" (cp936_icu.cpp), which
// maps the user-defined area as Windows does (F8A1.. <-> U+E234..); on
// Windows it is the system's own table (cp936_win32.cpp: MultiByteToWideChar
// and WideCharToMultiByte with code page 936), the one the clipboard makes
// CF_UNICODETEXT from another program's CF_TEXT with, so converting with it
// too keeps those bytes exact.
//   Decoding reads a byte 0x00..0x80 or 0xFF alone and a lead byte
//   0x81..0xFE with a trail byte 0x40..0x7E or 0x80..0xFE as a pair; a lead
//   byte before any other byte or at the end is U+FFFD and the byte after it
//   is read again. A sequence the table lacks is one U+FFFD too. Nothing is
//   dropped and nothing throws but std::bad_alloc.
//   Encoding gives '?' for each character code page 936 cannot hold (a
//   surrogate pair or a lone surrogate is one character), the
//   default-ignorable ones (U+180B..U+180F, U+200B, U+FEFF...) included.
// scripts/windows-cp936-check.sh compares the two halves over every
// sequence and every BMP character.

#include <cstddef>
#include <string>
#include <string_view>

namespace qorvel {

std::u16string DecodeCp936Units(std::string_view bytes);
std::string EncodeCp936Units(std::u16string_view text);

// The text edge in UTF-8: decoding as above, written as UTF-8; encoding
// reads UTF-8, where each ill-formed sequence (a stray or missing
// continuation byte, an overlong form, a surrogate, past U+10FFFF) is one
// character code page 936 cannot hold, so one '?'.
std::string Cp936ToUtf8(std::string_view bytes);
std::string Utf8ToCp936(std::string_view text);

// The reading behind Utf8ToCp936: `text` as UTF-16, where each ill-formed
// sequence (the byte that starts no well-formed sequence and the
// continuation bytes 0x80..0xBF right after it, four bytes at most) is one
// lone surrogate U+D800, a character no code page holds.
std::u16string Utf8ToUnits(std::string_view text);

#ifdef _WIN32
// The same, handing Windows at most `max_piece` bytes or units per call
// (its lengths are ints); the check makes it small so that texts cross the
// pieces' edges.
std::u16string DecodeCp936Units(std::string_view bytes, std::size_t max_piece);
std::string EncodeCp936Units(std::u16string_view text, std::size_t max_piece);
#endif

}  // namespace qorvel
