#pragma once
// The program's reporter for the framework's errors: language text
// 50000 + code formatted with the report's arguments, in a message box
// titled with the program title, over the frame window.

#include <cstdarg>

#include "app/Lang.h"
#include "framework/AStr.h"

// What the reporter asks of the application, which is created after the
// reporter is installed. A null function reads as "no" (or no window).
struct ErrorReportingHooks {
    bool (*applicationExists)() = nullptr;
    bool (*batchRunning)() = nullptr;  // reports are dropped while a batch runs unattended
    void* (*frameWindow)() = nullptr;
};
void SetErrorReportingHooks(const ErrorReportingHooks& hooks);

// Installs ProgramErrorReporter as the framework's reporter.
void InstallProgramErrorReporter();
void ProgramErrorReporter(int code, va_list args);

// The message for a report: text 50000 + code with the arguments, cut as a
// buffer of kLibErrorBuffer bytes cuts it, or "Lib Error #<code>".
inline constexpr size_t kLibErrorBuffer = 1256;
AStr LibErrorText(const Lang& lang, int code, va_list args);
