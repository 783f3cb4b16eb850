#include <windows.h>

#include <atomic>

#include "platform/CodePages.h"
#include "platform/Text.h"

namespace platform {
namespace {
std::atomic<int> gTextCodePage{0};  // 0: the system's, until a library is loaded
}

int AnsiCodePage() { return static_cast<int>(GetACP()); }
void SetAnsiCodePage(int codePage) { gTextCodePage.store(codePage, std::memory_order_relaxed); }

int TextCodePage() {
    int cp = gTextCodePage.load(std::memory_order_relaxed);
    return cp > 0 ? cp : AnsiCodePage();
}

std::wstring WideText(std::string_view text) {
    if (text.empty()) return {};
    auto cp = static_cast<UINT>(TextCodePage());
    int n = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string NarrowText(std::wstring_view text) {
    if (text.empty()) return {};
    auto cp = static_cast<UINT>(TextCodePage());
    int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

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
