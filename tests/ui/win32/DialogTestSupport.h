#pragma once
// Shared by the dialogs' tests: a control clicked as the user clicks it,
// the modal dialog that a click opens driven from a thread of its own, and
// a window saved as a screenshot.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "platform/Text.h"
#include "ui/win32/WindowTestSupport.h"

namespace dialogtest {

inline void Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    // As the mouse does: pressed and let go over the button.
    SendMessageW(button, BM_CLICK, 0, 0);
    windowtest::Pump();
}

inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// A control's text in the program's code page.
inline std::string Text(HWND dialog, int id) {
    wchar_t t[4096] = {};
    GetDlgItemTextW(dialog, id, t, 4096);
    return platform::NarrowText(t);
}
inline void SetText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextW(dialog, id, platform::WideText(text).c_str());
}

// Acts on the next visible dialog of this process other than skip, from a
// thread of its own while that dialog runs its modal loop on this one.
class NextDialog {
public:
    NextDialog(HWND skip, std::function<void(HWND)> act)
        : thread_([this, skip, act] {
              for (int i = 0; i < 1000 && !found_; ++i) {
                  HWND box = nullptr;
                  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
                      DWORD pid = 0;
                      GetWindowThreadProcessId(box, &pid);
                      if (box == skip || pid != GetCurrentProcessId() || !IsWindowVisible(box)) continue;
                      wchar_t title[256] = {};
                      GetWindowTextW(box, title, 256);
                      title_ = platform::NarrowText(title);
                      found_ = true;
                      Sleep(100);  // its controls are all there
                      act(box);
                      break;
                  }
                  if (!found_) Sleep(10);
              }
          }) {}
    ~NextDialog() { join(); }
    bool found() {
        join();
        return found_;
    }
    const std::string& title() {
        join();
        return title_;
    }

private:
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool found_ = false;
    std::string title_;
    std::thread thread_;
};

// Posts a click of button id to a dialog of another thread's loop.
inline void PostClick(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The window as the screen shows it, as a 24-bit BMP file under
// build/.../screens/<name>.bmp. Returns the path.
inline std::string SaveWindow(HWND window, const std::string& name) {
    std::filesystem::path shots = std::filesystem::path(ZB_BINARY_DIR) / "screens";
    std::filesystem::create_directories(shots);
    std::string path = (shots / (name + ".bmp")).string();
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Painted through: the display shows what the window drew.
    for (int i = 0; i < 50; ++i) {
        windowtest::Pump();
        Sleep(10);
    }
    RECT r;
    GetWindowRect(window, &r);
    windowtest::SaveScreenRect(r, path);
    return path;
}

}  // namespace dialogtest
