#pragma once
// How the framework tells of problems it cannot hand back to a caller
// (a picture it cannot read, a resource that is missing): by a numbered
// code and printf-style arguments. The program installs the function that
// turns them into a message; with none installed reports are dropped.

#include <cstdarg>

// args are the arguments of ReportError after the code, consumed once.
using ErrorReporterFn = void (*)(int code, va_list args);

// Installs reporter (null: none); returns the one it replaced.
ErrorReporterFn SetErrorReporter(ErrorReporterFn reporter);
ErrorReporterFn InstalledErrorReporter();

void ReportError(int code, ...);
void ReportErrorV(int code, va_list args);
