#pragma once
// A message box of the main window, its texts in the program's own code
// page (the language library's), shown whatever the system's.

#include <windows.h>

#include <string_view>

#include "platform/Text.h"

inline int ShowBox(HWND owner, std::string_view text, std::string_view title, UINT type) {
    return MessageBoxW(owner, platform::WideText(text).c_str(), platform::WideText(title).c_str(), type);
}
