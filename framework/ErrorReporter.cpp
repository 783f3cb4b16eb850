#include "framework/ErrorReporter.h"

#include <atomic>

namespace {
// Wrapped: on some targets va_list carries attributes that a template
// argument would drop.
struct Holder {
    ErrorReporterFn fn;
};
std::atomic<Holder> gReporter{Holder{nullptr}};
}  // namespace

ErrorReporterFn SetErrorReporter(ErrorReporterFn reporter) { return gReporter.exchange(Holder{reporter}).fn; }
ErrorReporterFn InstalledErrorReporter() { return gReporter.load().fn; }

void ReportErrorV(int code, va_list args) {
    if (ErrorReporterFn r = gReporter.load().fn) r(code, args);
}

void ReportError(int code, ...) {
    va_list ap;
    va_start(ap, code);
    ReportErrorV(code, ap);
    va_end(ap);
}
