#include <windows.h>

#include "platform/MediaDatabase.h"
#include "platform/win32/RegistryKey.h"

namespace platform {

namespace {
constexpr DWORD kMaxValue = 64;
}

std::string MediaExtensionOfType(std::string_view type) {
    std::string path = "MIME\\Database\\Content Type\\";
    path.append(type);
    return RegistryKey(HKEY_CLASSES_ROOT, path.c_str()).value("Extension", kMaxValue);
}

std::string MediaTypeOfExtension(std::string_view extension) {
    if (extension.empty() || extension[0] != '.') return {};
    return RegistryKey(HKEY_CLASSES_ROOT, std::string(extension).c_str()).value("Content Type", kMaxValue);
}

std::vector<std::string> MediaExtensions() {
    std::vector<std::string> out;
    char name[261];
    for (DWORD i = 0;; ++i) {
        DWORD n = sizeof name;
        LONG r = RegEnumKeyExA(HKEY_CLASSES_ROOT, i, name, &n, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA) continue;  // a name longer than 260 characters
        if (r != ERROR_SUCCESS) break;
        if (name[0] == '.') out.emplace_back(name, n);
    }
    return out;
}

void SetMediaDatabaseFile(const std::string&) {}

}  // namespace platform
