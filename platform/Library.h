#pragma once
// A language library: numbered texts (and raw data resources) of one
// language. Windows: a resource-only DLL loaded with LoadLibrary, texts by
// LoadStringW converted to the library's code page. POSIX: the text
// catalogue built from the same sources (tools/langgen.py, "ZBLANG 1 cp").

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The extension of this platform's language libraries.
#ifdef _WIN32
inline constexpr const char* kLibraryExtension = ".dll";
#else
inline constexpr const char* kLibraryExtension = ".lng";
#endif

// Resource numbers are 16 bits wide; larger ones name no resource (a
// string table would otherwise find a wrong text by the truncated number).
inline constexpr unsigned kMaxResourceId = 0xFFFF;

class Library {
public:
    virtual ~Library() = default;
    // Null when the file cannot be loaded; *error gets the platform code
    // (11, ERROR_BAD_FORMAT, for a catalogue that is not well formed).
    static std::unique_ptr<Library> Load(const char* path, int* error = nullptr);

    // HMODULE on Windows; an opaque non-null value on POSIX.
    virtual void* handle() const = 0;
    // The Windows code page of the library's texts (1252, 1251).
    virtual int codePage() const = 0;
    // Text number id in the code page, cut to maxBytes - 1 bytes as a
    // buffer of that size would cut it; "" when missing.
    virtual std::string text(unsigned id, size_t maxBytes = 1024) const = 0;
    // Raw data resource number id (RCDATA), empty when missing.
    virtual std::string_view data(unsigned id) const = 0;
    // Windows: the menu resource id loaded as an HMENU that the caller
    // owns (a window it is given to destroys it). Null when missing and on
    // platforms without menus.
    virtual void* menu(unsigned) const { return nullptr; }
    // Windows: the dialog template id (the bytes CreateDialogIndirect
    // takes), valid while the library is loaded. Empty when missing.
    virtual std::string_view dialog(unsigned) const { return {}; }
};

}  // namespace platform
