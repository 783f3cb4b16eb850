#include <windows.h>

#include "platform/CodePages.h"
#include "platform/Text.h"

namespace platform {

int AnsiCodePage() { return static_cast<int>(GetACP()); }
void SetAnsiCodePage(int) {}

unsigned char LowerAnsiChar(unsigned char c) {
    char b = static_cast<char>(c);
    CharLowerBuffA(&b, 1);
    return static_cast<unsigned char>(b);
}

void LowerAnsi(char* s, size_t n) {
    while (n > 0) {
        DWORD part = n > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(n);
        CharLowerBuffA(s, part);
        s += part;
        n -= part;
    }
}

void DosToWindows(char* s, size_t n) {
    if (GetOEMCP() == 866 && GetACP() == 1251) {
        while (n > 0) {
            DWORD part = n > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(n);
            OemToCharBuffA(s, s, part);
            s += part;
            n -= part;
        }
        return;
    }
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(codepage::DosToWindows(static_cast<unsigned char>(s[i])));
}

}  // namespace platform
