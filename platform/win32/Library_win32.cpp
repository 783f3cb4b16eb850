#include <windows.h>

#include <cstdlib>

#include "platform/Library.h"

namespace platform {
namespace {

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
    *reinterpret_cast<WORD*>(out) = language;
    return FALSE;  // the first one is enough
}

BOOL CALLBACK FirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
    // Names of string blocks are numbers; a string name would not outlive
    // the enumeration, so only numbered blocks are taken.
    if (IS_INTRESOURCE(name)) {
        *reinterpret_cast<ULONG_PTR*>(out) = reinterpret_cast<ULONG_PTR>(name);
        return FALSE;
    }
    return TRUE;
}

// The language of the string block that holds text id, 0 when it has none.
WORD BlockLanguage(HMODULE h, ULONG_PTR block) {
    WORD language = 0;
    EnumResourceLanguagesA(h, RT_STRING, MAKEINTRESOURCEA(block), FirstLanguage,
                           reinterpret_cast<LONG_PTR>(&language));
    return language;
}

// The texts are in the ANSI code page of the language their string table
// is marked with; the block of text 22113 (the language's own name) is
// asked first, then the first block of the library.
int LibraryCodePage(HMODULE h) {
    WORD language = BlockLanguage(h, 22113 / 16 + 1);
    if (language == 0) {
        ULONG_PTR first = 0;
        EnumResourceNamesA(h, RT_STRING, FirstName, reinterpret_cast<LONG_PTR>(&first));
        if (first != 0) language = BlockLanguage(h, first);
    }
    if (PRIMARYLANGID(language) != LANG_NEUTRAL) {
        char buf[8] = {};
        if (GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, buf, sizeof buf) > 0) {
            int cp = std::atoi(buf);
            if (cp > 0) return cp;  // Unicode-only locales answer 0
        }
    }
    return static_cast<int>(GetACP());
}

class Win32Library final : public Library {
public:
    Win32Library(HMODULE h) : h_(h), codePage_(LibraryCodePage(h)) {}
    ~Win32Library() override { FreeLibrary(h_); }
    Win32Library(const Win32Library&) = delete;
    Win32Library& operator=(const Win32Library&) = delete;

    void* handle() const override { return h_; }
    int codePage() const override { return codePage_; }

    std::string text(unsigned id, size_t maxBytes) const override {
        if (id > kMaxResourceId || maxBytes == 0) return {};
        // With a size of 0 LoadStringW hands out the resource's own
        // read-only text and its length, which need not be terminated.
        const wchar_t* p = nullptr;
        int n = LoadStringW(h_, id, reinterpret_cast<LPWSTR>(&p), 0);
        if (n <= 0 || !p) return {};
        int bytes = WideCharToMultiByte(static_cast<UINT>(codePage_), 0, p, n, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return {};
        std::string out(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(static_cast<UINT>(codePage_), 0, p, n, out.data(), bytes, nullptr, nullptr);
        if (out.size() > maxBytes - 1) out.resize(maxBytes - 1);
        return out;
    }

    std::string_view data(unsigned id) const override { return resource(id, RT_RCDATA); }
    std::string_view dialog(unsigned id) const override { return resource(id, RT_DIALOG); }

    void* menu(unsigned id) const override {
        if (id > kMaxResourceId) return nullptr;
        return LoadMenuA(h_, MAKEINTRESOURCEA(id));
    }

private:
    std::string_view resource(unsigned id, LPCSTR type) const {
        if (id > kMaxResourceId) return {};
        HRSRC r = FindResourceA(h_, MAKEINTRESOURCEA(id), type);
        if (!r) return {};
        HGLOBAL g = LoadResource(h_, r);
        DWORD size = SizeofResource(h_, r);
        const void* p = g ? LockResource(g) : nullptr;
        if (!p) return {};
        return {static_cast<const char*>(p), size};
    }

    HMODULE h_;
    int codePage_;
};

}  // namespace

std::unique_ptr<Library> Library::Load(const char* path, int* error) {
    HMODULE h = LoadLibraryA(path);
    if (!h) {
        DWORD e = GetLastError();
        if (error) *error = e ? static_cast<int>(e) : ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    if (error) *error = 0;
    return std::make_unique<Win32Library>(h);
}

}  // namespace platform
