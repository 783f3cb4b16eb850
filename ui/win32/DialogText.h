#pragma once
// The texts of a dialog's controls in the program's code page (the
// language library's), moved through UTF-16 so that a Russian library
// reads right on a system whose ANSI code page is another.

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/AStr.h"
#include "platform/Text.h"

inline void SetItemText(HWND dialog, int id, std::string_view text) {
    SetDlgItemTextW(dialog, id, platform::WideText(text).c_str());
}

// The whole text, however long.
inline std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return {};
    int n = GetWindowTextLengthW(item);
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    int got = GetWindowTextW(item, w.data(), n + 1);
    w.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return platform::NarrowText(w);
}

inline AStr ItemAStr(HWND dialog, int id) {
    std::string s = ItemText(dialog, id);
    return AStr(s.data(), s.size());
}

inline void SetChecked(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

inline void EnableItem(HWND dialog, int id, bool on) {
    if (HWND item = GetDlgItem(dialog, id)) EnableWindow(item, on ? TRUE : FALSE);
}
