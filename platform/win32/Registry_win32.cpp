#include "platform/Registry.h"

#include "platform/win32/RegistryKey.h"

namespace platform {

std::string CurrentUserString(const char* keyPath, const char* name, size_t maxBytes) {
    RegistryKey key(HKEY_CURRENT_USER, keyPath);
    return key.value(name, static_cast<DWORD>(maxBytes));
}

bool CurrentUserValue(const char* keyPath, const char* name, size_t maxBytes, std::string& value) {
    RegistryKey key(HKEY_CURRENT_USER, keyPath);
    if (!key.exists()) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.handle(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (size > maxBytes) return false;
    std::string v(size, '\0');
    if (size && RegQueryValueExA(key.handle(), name, nullptr, &type, reinterpret_cast<BYTE*>(v.data()), &size) !=
                    ERROR_SUCCESS)
        return false;
    v.resize(size);
    while (!v.empty() && v.back() == '\0') v.pop_back();
    value = v;
    return true;
}

bool CurrentUserKeyExists(const char* keyPath) { return RegistryKey(HKEY_CURRENT_USER, keyPath).exists(); }

std::vector<std::string> CurrentUserSubkeys(const char* keyPath, size_t maxNameBytes) {
    std::vector<std::string> names;
    RegistryKey key(HKEY_CURRENT_USER, keyPath);
    if (!key.exists()) return names;
    std::string buffer(maxNameBytes, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD n = static_cast<DWORD>(buffer.size());
        if (RegEnumKeyExA(key.handle(), i, buffer.data(), &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), n);
    }
    return names;
}

bool SetCurrentUserString(const char* keyPath, const char* name, const std::string& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

}  // namespace platform
