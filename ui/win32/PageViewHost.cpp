#include "ui/win32/PageViewHost.h"

namespace {
constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}  // namespace

PageViewHost::~PageViewHost() = default;

PageViewHost::Viewer::~Viewer() {
    if (bitmap) DeleteObject(bitmap);
}

bool PageViewHost::create(HWND parent) {
    if (!ZWindow::create(0, "HtmlView", kChild | WS_VISIBLE, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId))))
        return false;
    // The viewers fill the host; the host shows one of them.
    return html_.create(0, "HtmlViewer", kChild, 0, 0, 0, 0, hwnd(), nullptr) &&
           bitmap_.create(0, "BitmapViewer", kChild, 0, 0, 0, 0, hwnd(), nullptr) &&
           none_.create(0, "NoneViewer", kChild | WS_VISIBLE, 0, 0, 0, 0, hwnd(), nullptr);
}

HWND PageViewHost::viewer(Mode mode) const {
    switch (mode) {
    case Mode::Html: return html_.hwnd();
    case Mode::Bitmap: return bitmap_.hwnd();
    default: return none_.hwnd();
    }
}

void PageViewHost::setMode(Mode mode) {
    if (mode == mode_) return;
    ShowWindow(viewer(mode_), SW_HIDE);
    mode_ = mode;
    ShowWindow(viewer(mode_), SW_SHOW);
}

bool PageViewHost::showBitmap(const std::string& path) {
    HBITMAP b = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (bitmap_.bitmap) DeleteObject(bitmap_.bitmap);
    bitmap_.bitmap = b;
    setMode(b ? Mode::Bitmap : Mode::None);
    InvalidateRect(bitmap_.hwnd(), nullptr, TRUE);
    return b != nullptr;
}

void PageViewHost::showPage(const std::string& path) {
    pagePath_ = path;
    setMode(Mode::Html);
    InvalidateRect(html_.hwnd(), nullptr, TRUE);
}

LRESULT PageViewHost::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        for (Mode m : {Mode::Html, Mode::Bitmap, Mode::None})
            MoveWindow(viewer(m), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    return ZWindow::onMessage(message, wParam, lParam);
}

LRESULT PageViewHost::Viewer::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(hwnd(), &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    if (message == WM_PAINT && bitmap) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bitmap);
        BITMAP info;
        GetObjectA(bitmap, sizeof info, &info);
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    return ZWindow::onMessage(message, wParam, lParam);
}
