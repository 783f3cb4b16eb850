#include "ui/win32/ZStatusBar.h"

#include <commctrl.h>

ZStatusBar::~ZStatusBar() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool ZStatusBar::create(HWND parent, int id) {
    static const bool ready = [] {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)ready;  // a failure shows as no window below
    hwnd_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    return hwnd_ != nullptr;
}

void ZStatusBar::setParts(const std::vector<int>& widths) {
    std::vector<int> edges;
    int x = 0;
    for (int w : widths) edges.push_back(x += w);
    edges.push_back(-1);
    SendMessageA(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void ZStatusBar::setText(int part, const char* text) {
    SendMessageA(hwnd_, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

std::string ZStatusBar::text(int part) const {
    LRESULT n = SendMessageA(hwnd_, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0);
    std::string s(LOWORD(n) + 1, '\0');
    SendMessageA(hwnd_, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(s.data()));
    s.resize(LOWORD(n));
    return s;
}

int ZStatusBar::fit() {
    if (!hwnd_) return 0;
    SendMessageA(hwnd_, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}
