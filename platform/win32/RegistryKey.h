#pragma once
// A registry key opened for reading, closed with the object.

#include <windows.h>

#include <string>

namespace platform {

class RegistryKey {
public:
    RegistryKey(HKEY root, const char* path) {
        if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &h_) != ERROR_SUCCESS)
            h_ = nullptr;
    }
    ~RegistryKey() { if (h_) RegCloseKey(h_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool exists() const { return h_ != nullptr; }
    HKEY handle() const { return h_; }

    // A string value (nullptr: the default value), read into at most
    // maxBytes bytes; "" when missing, longer or not a string.
    std::string value(const char* name, DWORD maxBytes = 0) const {
        if (!h_) return {};
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(h_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return {};
        if (maxBytes && size > maxBytes) return {};
        std::string v(size, '\0');
        if (RegQueryValueExA(h_, name, nullptr, &type, reinterpret_cast<BYTE*>(v.data()), &size) != ERROR_SUCCESS)
            return {};
        v.resize(size);
        while (!v.empty() && v.back() == '\0') v.pop_back();
        if (type == REG_EXPAND_SZ) v = expand(v);
        return v;
    }
    std::string defaultValue() const { return value(nullptr); }

private:
    static std::string expand(const std::string& v) {
        DWORD n = ExpandEnvironmentStringsA(v.c_str(), nullptr, 0);
        if (n == 0) return v;
        std::string out(n, '\0');
        n = ExpandEnvironmentStringsA(v.c_str(), out.data(), n);
        if (n == 0) return v;
        out.resize(n - 1);
        return out;
    }

    HKEY h_ = nullptr;
};

}  // namespace platform
