#include "ui/win32/ZWindow.h"

bool ZWindow::registerClass() {
    static const bool registered = [] {
        WNDCLASSEXA c = {};
        c.cbSize = sizeof c;
        c.style = CS_HREDRAW | CS_VREDRAW;
        c.lpfnWndProc = &ZWindow::procedure;
        c.hInstance = ZWindow::instance();
        c.hCursor = LoadCursor(nullptr, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = ZWindow::kClassName;
        return RegisterClassExA(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

HINSTANCE ZWindow::instance() { return GetModuleHandleA(nullptr); }

ZWindow::~ZWindow() { destroy(); }

void ZWindow::destroy() {
    if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

bool ZWindow::create(DWORD exStyle, const char* title, DWORD style, int x, int y, int w, int h, HWND parent,
                     HMENU menu) {
    if (hwnd_ || !registerClass()) return false;
    HWND made = CreateWindowExA(exStyle, kClassName, title, style, x, y, w, h, parent, menu, instance(), this);
    return made != nullptr;
}

LRESULT ZWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK ZWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ZWindow* self = reinterpret_cast<ZWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<ZWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT r = self->onMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return r;
}
