#pragma once
// Portable tables of the Windows code pages the program knows, 1251
// (Cyrillic) and 1252 (Western), and of the two older Cyrillic code pages
// that pages arrive in (KOI8-R, DOS 866) into 1251. Lower-casing gives what CharLowerA gives
// on a system with that ANSI code page; the Unicode mapping is what
// MultiByteToWideChar gives (0 for bytes the code page leaves undefined).

#include <cstddef>

namespace codepage {

// 1251 or 1252; any other value is treated as 1252.
unsigned char Lower(int codePage, unsigned char c);
char16_t ToUnicode(int codePage, unsigned char c);
// The byte for a Unicode code point, or 0 when the code page has none.
unsigned char FromUnicode(int codePage, char32_t u);

// The Cyrillic letters of KOI8-R and of DOS code page 866 in Windows-1251,
// by the standard letter correspondence; bytes 1251 cannot hold become '?'.
unsigned char Koi8ToWindows(unsigned char c);
unsigned char DosToWindows(unsigned char c);

// Appends the UTF-8 form of n bytes in the code page to out (which must
// hold 3 * n bytes); returns the number of bytes written. Undefined bytes
// become U+FFFD.
size_t ToUtf8(int codePage, const char* in, size_t n, char* out);

}  // namespace codepage
