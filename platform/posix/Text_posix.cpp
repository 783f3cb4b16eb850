#include <atomic>

#include "platform/CodePages.h"
#include "platform/Text.h"

namespace platform {
namespace {
std::atomic<int> gCodePage{1252};
}

int AnsiCodePage() { return gCodePage.load(std::memory_order_relaxed); }
void SetAnsiCodePage(int codePage) { gCodePage.store(codePage == 1251 ? 1251 : 1252, std::memory_order_relaxed); }
int TextCodePage() { return AnsiCodePage(); }

unsigned char LowerAnsiChar(unsigned char c) { return codepage::Lower(AnsiCodePage(), c); }

void LowerAnsi(char* s, size_t n) {
    int cp = AnsiCodePage();
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(codepage::Lower(cp, static_cast<unsigned char>(s[i])));
}

void DosToWindows(char* s, size_t n) {
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(codepage::DosToWindows(static_cast<unsigned char>(s[i])));
}

}  // namespace platform
