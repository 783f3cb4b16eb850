#include "ui/win32/ZStatusBar.h"

#include <commctrl.h>

#include "platform/Text.h"

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
    if (!hwnd_) return false;
    // The system's GUI font, set outright: the parts are measured in it.
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return true;
}

void ZStatusBar::setParts(const std::vector<int>& widths) {
    std::vector<int> edges;
    int x = 0;
    for (int w : widths) edges.push_back(x += w);
    edges.push_back(-1);
    SendMessageA(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void ZStatusBar::setText(int part, const char* text) {
    std::wstring wide = platform::WideText(text ? text : "");
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(wide.c_str()));
}

void ZStatusBar::setTexts(const std::vector<std::string>& texts) {
    if (texts.empty()) return;
    std::vector<int> widths;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    for (size_t i = 0; i + 1 < texts.size(); ++i) {
        SIZE size = {0, 0};
        std::wstring wide = platform::WideText(texts[i]);
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        // The borders and the inner margins of a part.
        widths.push_back(size.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 10);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    if (widths != widths_) {
        widths_ = widths;
        setParts(widths);
    }
    for (size_t i = 0; i < texts.size(); ++i) setText(static_cast<int>(i), texts[i].c_str());
}

std::string ZStatusBar::text(int part) const {
    LRESULT n = SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    std::wstring s(LOWORD(n) + 1, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(s.data()));
    s.resize(LOWORD(n));
    return platform::NarrowText(s);
}

int ZStatusBar::fit() {
    if (!hwnd_) return 0;
    SendMessageA(hwnd_, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}
