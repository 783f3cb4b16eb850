#include "app/ErrorReporting.h"

#include <cstdio>

#include "framework/ErrorReporter.h"
#include "platform/MessageBox.h"

namespace {
ErrorReportingHooks gHooks;
}

void SetErrorReportingHooks(const ErrorReportingHooks& hooks) { gHooks = hooks; }

AStr LibErrorText(const Lang& lang, int code, va_list args) {
    AStr fmt = lang.text(50000LL + code);
    if (fmt.empty()) return AStr::format("Lib Error #%d", code);
    char buf[kLibErrorBuffer];
    int n = std::vsnprintf(buf, sizeof buf, fmt.c_str(), args);
    if (n < 0) return AStr::format("Lib Error #%d", code);
    return AStr(buf);
}

void ProgramErrorReporter(int code, va_list args) {
    if (!gHooks.applicationExists || !gHooks.applicationExists()) return;
    if (gHooks.batchRunning && gHooks.batchRunning()) return;
    const LangWithError& lang = ProgramLanguage();
    AStr text = LibErrorText(lang, code, args);
    void* owner = gHooks.frameWindow ? gHooks.frameWindow() : nullptr;
    platform::ShowMessageBox(owner, text.c_str(), lang.text(22064).c_str(), platform::MessageIcon::Error);
}

void InstallProgramErrorReporter() { SetErrorReporter(&ProgramErrorReporter); }
