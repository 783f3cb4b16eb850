#include <windows.h>

#include "platform/SystemMessage.h"

namespace platform {

std::string SystemMessage(int code) {
    char* buf = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                             nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPSTR>(&buf), 0, nullptr);
    std::string s;
    if (n > 0 && buf) s.assign(buf, n);
    if (buf) LocalFree(buf);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
    return s;
}

}  // namespace platform
