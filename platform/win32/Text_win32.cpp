#include <windows.h>

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

}  // namespace platform
