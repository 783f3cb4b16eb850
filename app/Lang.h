#pragma once
// The language library in use and the texts taken from it by number.

#include <cstdarg>
#include <memory>
#include <string_view>

#include "framework/AStr.h"
#include "platform/Library.h"

// Texts come from the library as a buffer of this size would hold them.
inline constexpr size_t kLangTextBuffer = 1024;

class Lang {
public:
    Lang() = default;
    Lang(const Lang&) = delete;
    Lang& operator=(const Lang&) = delete;

    // The module handle of the library, null when none is loaded. The
    // first virtual operation, ahead of the destructor.
    virtual void* handle() const;
    virtual ~Lang();

    // Replaces the library; the old one is freed when it was owned.
    void setModule(platform::Library* library, bool owned);
    void setModule(std::unique_ptr<platform::Library> library) { setModule(library.release(), true); }
    platform::Library* module() const { return lib_; }
    bool owned() const { return owned_; }
    bool loaded() const { return lib_ != nullptr; }

    // Text number, at most kLangTextBuffer - 1 bytes; "" when missing or
    // when no library is loaded. Numbers outside 0..65535 name no text.
    AStr text(long long number) const;
    // Text number used as a printf format for the arguments.
    AStr format(long long number, ...) const;
    AStr vformat(long long number, va_list args) const;
    // What the user is shown for an error code: text code + 50, the
    // system's message, "No error" for 0, or "<category>Error #n (0xn)".
    AStr errorText(int code) const;
    // Windows: menu number as an HMENU the caller owns, and the bytes of
    // dialog template number. Null and empty elsewhere or when missing.
    void* menu(long long number) const;
    std::string_view dialog(long long number) const;

private:
    platform::Library* lib_ = nullptr;
    bool owned_ = false;
};

class LangWithError : public Lang {
public:
    // A program that could not be started (shell results 0 to 32): text
    // code + 1, else "Error #<code> running programm".
    AStr runErrorText(int code) const;
    // A common dialog's failure code: "Common Dialog Error" for 0xFFFF,
    // text 5000 + code, else "Common Dialog Error #<code>".
    AStr fileDialogErrorText(int code) const;
};

// "%sError #%d (0x%x)" with the category prefix of the code's range:
// network 2100-2999, internet 12000-12159, remote access 600-752, sockets
// 10000-10120.
AStr NumberedErrorText(int code);

// The program's language library; holds no module until start-up loads one.
LangWithError& ProgramLanguage();
