#include <windows.h>

#include <cstring>

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

std::string MediaTypeOfSignature(const uint8_t* head, size_t n) {
    RegistryKey types(HKEY_CLASSES_ROOT, "MIME\\Database\\Content Type");
    if (!types.exists()) return {};
    char name[261];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        LONG r = RegEnumKeyExA(types.handle(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA) continue;
        if (r != ERROR_SUCCESS) break;
        RegistryKey bits(types.handle(), (std::string(name, len) + "\\Bits").c_str());
        if (!bits.exists()) continue;
        BYTE value[kMaxValue];
        DWORD size = sizeof value, type = 0;
        if (RegQueryValueExA(bits.handle(), "0", nullptr, &type, value, &size) != ERROR_SUCCESS || size < 4) continue;
        uint32_t want = value[0] | value[1] << 8 | value[2] << 16 | static_cast<uint32_t>(value[3]) << 24;
        // A length the value cannot hold, or longer than what the file has,
        // matches nothing.
        if (want == 0 || want > size - 4 || want > n) continue;
        if (std::memcmp(head, value + size - want, want) == 0) return std::string(name, len);
    }
    return {};
}

void SetMediaDatabaseFile(const std::string&) {}

}  // namespace platform
