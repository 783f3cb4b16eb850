#pragma once
// Character services of the ANSI code page the program's texts are in.
// Windows: the system's CharLowerA. POSIX: the tables of CodePages.h for
// the code page chosen with SetAnsiCodePage (the language's, 1252 until set).

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

int AnsiCodePage();
// The language library in use decides the code page. Windows keeps the
// system's ANSI code page for lower-casing and comparing; there it only
// names the code page of the texts the program shows (TextCodePage).
void SetAnsiCodePage(int codePage);
// The code page the program's own texts are in: the language library's.
int TextCodePage();

#ifdef _WIN32
// The program's texts as the system takes them, UTF-16, and back: a
// Russian library reads right on a system whose ANSI code page is Western.
std::wstring WideText(std::string_view text);
std::string NarrowText(std::wstring_view text);
#endif

void LowerAnsi(char* s, size_t n);

// Text in DOS code page 866 into Windows-1251, in place. Windows: the
// system's OEM-to-ANSI conversion where the system's code pages are those
// two (a Russian system); elsewhere that conversion would read the bytes
// in another code page, so the portable table holds there and on POSIX.
void DosToWindows(char* s, size_t n);
unsigned char LowerAnsiChar(unsigned char c);

// Locale-aware comparison in the ANSI code page (see platform/Collation.h);
// the same code on every target, so sorted lists agree across them.
int CompareAnsi(std::string_view a, std::string_view b, bool ignoreCase);

// Equal ignoring the case of ASCII letters only, whatever the code page:
// for names the system fixes (devices, schemes), not for the user's text.
bool SameAsciiNoCase(std::string_view a, std::string_view b);

}  // namespace platform
