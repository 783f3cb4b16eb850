#pragma once
// Character-set names and the program's code-page numbers, shared by the
// download worker (the server's Content-Type, Accept-Charset) and the link
// extractor (a META Content-Type).

#include <string_view>

namespace charset {

// The program's code-page numbers.
enum : int {
    kUnknown = 0,
    kWindows = 1,  // Windows Cyrillic, 1251
    kDos = 2,      // DOS Cyrillic, 866
    kKoi8 = 3,
    kFourth = 4,   // the fourth Cyrillic code page (ISO 8859-5, Mac)
    kLatin = 6,    // Latin transliteration
};

// The number of a character-set name, without regard to case; 0 when
// the name is unknown.
int CodePageOfName(std::string_view name);

// The name to ask a server for; empty for a number without one. Number 1
// is Windows Cyrillic, so it is sent as "windows-1251", although the
// table's first row with 1 is "windows-1252" (a Western page is read as
// code page 1 too, but asking for Western bytes of a Cyrillic page would
// be wrong).
std::string_view NameOfCodePage(int codePage);

// The "charset" parameter of a media type with parameters
// ("text/html; charset=koi8-r"): parameters are separated by ';' and
// blanks, a value may be quoted, the name is matched without case. Empty
// when there is none.
std::string_view CharsetParameter(std::string_view mediaType);

}  // namespace charset
