#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/Shell.h"
#include "platform/win32/RegistryKey.h"

namespace platform {
namespace {

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
    std::string cls = RegistryKey(HKEY_CLASSES_ROOT, extension).defaultValue();
    if (cls.empty()) return {};
    return RegistryKey(HKEY_CLASSES_ROOT, (cls + "\\shell\\open\\command").c_str()).defaultValue();
}

}  // namespace platform
