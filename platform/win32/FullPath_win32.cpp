#include <windows.h>

#include "platform/FullPath.h"

namespace platform {

LocalDateTime LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string FullPath(const std::string& path, size_t maxChars) {
    if (path.empty()) return {};
    char buf[MAX_PATH + 1];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buf, buf, nullptr);
    if (n == 0 || n >= sizeof buf || n > maxChars) return {};
    return std::string(buf, n);
}

}  // namespace platform
