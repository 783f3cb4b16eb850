#include "app/Lang.h"

#include "platform/SystemMessage.h"

namespace {
bool ValidNumber(long long n) { return n >= 0 && n <= platform::kMaxResourceId; }
}  // namespace

void* Lang::handle() const { return lib_ ? lib_->handle() : nullptr; }

Lang::~Lang() { setModule(nullptr, false); }

void Lang::setModule(platform::Library* library, bool owned) {
    if (library == lib_) {
        owned_ = owned;
        return;
    }
    if (lib_ && owned_) delete lib_;
    lib_ = library;
    owned_ = library && owned;
}

AStr Lang::text(long long number) const {
    if (!lib_ || !ValidNumber(number)) return {};
    return AStr(lib_->text(static_cast<unsigned>(number), kLangTextBuffer));
}

AStr Lang::format(long long number, ...) const {
    va_list ap;
    va_start(ap, number);
    AStr r = vformat(number, ap);
    va_end(ap);
    return r;
}

AStr Lang::vformat(long long number, va_list args) const {
    AStr fmt = text(number);
    if (fmt.empty()) return {};
    return AStr::vformat(fmt.c_str(), args);
}

void* Lang::menu(long long number) const {
    return lib_ && ValidNumber(number) ? lib_->menu(static_cast<unsigned>(number)) : nullptr;
}

std::string_view Lang::dialog(long long number) const {
    return lib_ && ValidNumber(number) ? lib_->dialog(static_cast<unsigned>(number)) : std::string_view();
}

AStr NumberedErrorText(int code) {
    const char* prefix = "";
    if (code >= 2100 && code <= 2999) prefix = "Network ";
    else if (code >= 12000 && code <= 12159) prefix = "Internet ";
    else if (code >= 600 && code <= 752) prefix = "Remote Access ";
    else if (code >= 10000 && code <= 10120) prefix = "Window Socket ";
    return AStr::format("%sError #%d (0x%x)", prefix, code, static_cast<unsigned>(code));
}

AStr Lang::errorText(int code) const {
    AStr t = text(static_cast<long long>(code) + 50);
    if (!t.empty()) return t;
    std::string sys = platform::SystemMessage(code);
    if (!sys.empty()) return AStr(sys);
    if (code == 0) return "No error";
    return NumberedErrorText(code);
}

AStr LangWithError::runErrorText(int code) const {
    AStr t = text(static_cast<long long>(code) + 1);
    if (!t.empty()) return t;
    return AStr::format("Error #%d running programm", code);
}

AStr LangWithError::fileDialogErrorText(int code) const {
    if (code == 0xFFFF) return "Common Dialog Error";
    AStr t = text(static_cast<long long>(code) + 5000);
    if (!t.empty()) return t;
    return AStr::format("Common Dialog Error #%d", code);
}

LangWithError& ProgramLanguage() {
    static LangWithError lang;
    return lang;
}
