#pragma once
// The settings dialogs' tests: a user at a modal dialog, played from a
// thread of its own while the test's thread runs the dialog's loop, and
// a dialog saved as a picture.

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/win32/WindowTestSupport.h"

namespace settingsdialog {

// The first visible top-level dialog of this process other than except,
// waited for up to seconds; null when none came.
inline HWND WaitForDialog(HWND except = nullptr, int seconds = 15) {
    for (int i = 0; i < seconds * 100; ++i) {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(box, &pid);
            if (pid == GetCurrentProcessId() && box != except && IsWindowVisible(box)) {
                Sleep(150);  // until its controls are all there and painted
                return box;
            }
        }
        Sleep(10);
    }
    return nullptr;
}

// Runs act on the next dialog from a thread of its own. The dialog ends
// by what act does; when no dialog came, found() is false.
class Driver {
public:
    explicit Driver(std::function<void(HWND)> act)
        : thread_([this, act] {
              HWND box = WaitForDialog();
              if (!box) return;
              found_ = true;
              act(box);
          }) {}
    ~Driver() { join(); }
    bool found() {
        join();
        return found_;
    }

private:
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool found_ = false;
    std::thread thread_;
};

inline std::wstring Text(HWND dialog, int id) {
    wchar_t t[4096] = {};
    GetDlgItemTextW(dialog, id, t, 4095);
    return t;
}
inline std::wstring WindowText(HWND w) {
    wchar_t t[1024] = {};
    GetWindowTextW(w, t, 1023);
    return t;
}
inline void Type(HWND dialog, int id, const std::wstring& text) { SetDlgItemTextW(dialog, id, text.c_str()); }
inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline bool IsTicked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline void Tick(HWND dialog, int id, bool on) {
    if (IsTicked(dialog, id) != on) Click(dialog, id);
}
inline bool ItemEnabled(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item && IsWindowEnabled(item);
}

// The sheet's page shown now, and its index.
inline HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}
inline int CurrentPageIndex(HWND sheet) {
    return static_cast<int>(SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
}
inline HWND ShowPage(HWND sheet, int index) {
    SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return CurrentPage(sheet);
}
inline void PressSheet(HWND sheet, int button) { PostMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0); }
inline void PressDialog(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// What a reader of the dialog would stumble on: labels whose text does
// not fit their control at its font, and an accelerator letter used twice.
struct LayoutFaults {
    std::vector<std::wstring> cut;
    std::vector<std::wstring> twice;
    // Labels whose letter leads to a control that is not beside or below them.
    std::vector<std::wstring> astray;
};

// The control a label's letter gives the focus to: the next one in the
// tab order that takes it.
inline HWND FieldOfLabel(HWND label) {
    for (HWND c = GetWindow(label, GW_HWNDNEXT); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(c)) return c;
    return nullptr;
}

inline LayoutFaults CheckLayout(HWND dialog) {
    LayoutFaults f;
    std::vector<std::pair<wchar_t, std::wstring>> seen;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 31);
        std::wstring text = WindowText(c);
        const bool button = lstrcmpiW(cls, L"Button") == 0, label = lstrcmpiW(cls, L"Static") == 0;
        if (text.empty() || (!button && !label)) continue;
        LONG style = GetWindowLongW(c, GWL_STYLE);
        LONG type = style & BS_TYPEMASK;
        const bool box = button && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                                    type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE);
        const bool group = button && type == BS_GROUPBOX;
        RECT rc;
        GetClientRect(c, &rc);
        int room = rc.right - (box ? 17 : group ? 16 : button ? 6 : 0);
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)));
        RECT need = {0, 0, room, 0};
        const bool wraps = (label && !(style & SS_LEFTNOWORDWRAP) && (style & SS_TYPEMASK) <= SS_RIGHT) ||
                           (box && (style & BS_MULTILINE));
        DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        if (need.right > room || (wraps && need.bottom > rc.bottom)) f.cut.push_back(text);
        if (label && text.find(L'&') != std::wstring::npos) {
            HWND field = FieldOfLabel(c);
            RECT l, r = {};
            GetWindowRect(c, &l);
            if (field) GetWindowRect(field, &r);
            const bool beside = field && r.top >= l.top - 6 && r.top <= l.bottom + 12 && r.left >= l.left - 6;
            if (!beside) f.astray.push_back(text);
        }
        size_t amp = text.find(L'&');
        if (amp != std::wstring::npos && amp + 1 < text.size() && text[amp + 1] != L'&') {
            wchar_t letter[2] = {text[amp + 1], 0};
            CharLowerBuffW(letter, 1);
            for (const auto& [l, other] : seen)
                if (l == letter[0]) f.twice.push_back(other + L" / " + text);
            seen.push_back({letter[0], text});
        }
    }
    return f;
}

inline std::string Narrow(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

// The window as it is on the screen, a 24-bit BMP under
// build/.../screens/<name>.bmp.
inline void SaveShot(HWND window, const std::string& name) {
    namespace fs = std::filesystem;
    fs::path shots = fs::path(ZB_BINARY_DIR) / "screens";
    fs::create_directories(shots);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(400);
    RECT r;
    GetWindowRect(window, &r);
    windowtest::SaveScreenRect(r, (shots / (name + ".bmp")).string());
}

}  // namespace settingsdialog
