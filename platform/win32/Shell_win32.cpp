#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/Shell.h"

namespace platform {
namespace {

class Key {
public:
    Key(HKEY root, const char* path) {
        if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &h_) != ERROR_SUCCESS) h_ = nullptr;
    }
    ~Key() { if (h_) RegCloseKey(h_); }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    // The key's default value; "" when missing or not a string.
    std::string defaultValue() const {
        if (!h_) return {};
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(h_, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return {};
        std::string v(size, '\0');
        if (RegQueryValueExA(h_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(v.data()), &size) != ERROR_SUCCESS)
            return {};
        v.resize(size);
        while (!v.empty() && v.back() == '\0') v.pop_back();
        if (type == REG_EXPAND_SZ) v = expand(v);
        return v;
    }

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

int Result(HINSTANCE h) {
    // ShellExecute's result is a fake HINSTANCE; values above 32 all mean
    // success and would not survive narrowing to int on 64 bits.
    INT_PTR r = reinterpret_cast<INT_PTR>(h);
    return r > 32 ? kShellStarted : static_cast<int>(r);
}

}  // namespace

int ShellOpen(void* owner, const char* target) {
    return Result(ShellExecuteA(static_cast<HWND>(owner), "open", target, nullptr, ".", SW_SHOWNORMAL));
}

int RunProgram(void* owner, const char* program, const char* parameters) {
    return Result(ShellExecuteA(static_cast<HWND>(owner), "open", program, parameters, ".", SW_SHOWNORMAL));
}

std::string OpenCommandForExtension(const char* extension) {
    std::string cls = Key(HKEY_CLASSES_ROOT, extension).defaultValue();
    if (cls.empty()) return {};
    return Key(HKEY_CLASSES_ROOT, (cls + "\\shell\\open\\command").c_str()).defaultValue();
}

}  // namespace platform
