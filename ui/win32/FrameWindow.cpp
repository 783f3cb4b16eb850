#include "ui/win32/FrameWindow.h"

#include "app/Lang.h"
#include "app/MainWindow.h"
#include "app/WindowPlacement.h"
#include "app/shell/Application.h"
#include "platform/Text.h"

namespace {
constexpr int kProgramTitle = 22064;
}

FrameWindow::~FrameWindow() {
    ownerDestroys_ = true;
    destroy();
}

bool FrameWindow::create() {
    AStr title = ProgramLanguage().text(kProgramTitle);
    HMENU menu = static_cast<HMENU>(ProgramLanguage().menu(1));
    // The moves and sizes of creation and restoring are not the user's:
    // saving them would overwrite the placement before it is read.
    restoring_ = true;
    bool made = ZWindow::create(kExStyle, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, menu);
    if (made) {
        SetWindowTextW(hwnd(), platform::WideText(title).c_str());  // in any system's code page
        restorePlacement();
    } else if (menu) {
        DestroyMenu(menu);
    }
    restoring_ = false;
    return made;
}

void FrameWindow::restorePlacement() {
    const int entryShow = app_.showCommand();
    WindowPlacement p = WindowPlacement::read(app_.settings(), entryShow);
    if (!p.placed()) {
        ShowWindow(hwnd(), entryShow);
        return;
    }
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    wp.showCmd = static_cast<UINT>(p.showToRestore(entryShow));
    // Edges as the stored 32-bit values give them.
    wp.rcNormalPosition = {p.x, p.y, static_cast<LONG>(static_cast<uint32_t>(p.x) + static_cast<uint32_t>(p.w)),
                           static_cast<LONG>(static_cast<uint32_t>(p.y) + static_cast<uint32_t>(p.h))};
    SetWindowPlacement(hwnd(), &wp);
}

void FrameWindow::savePlacement() {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(hwnd(), &wp)) return;
    WindowPlacement p;
    const RECT& r = wp.rcNormalPosition;
    p.x = r.left;
    p.y = r.top;
    p.w = r.right - r.left;
    p.h = r.bottom - r.top;
    p.show = static_cast<int32_t>(wp.showCmd);
    p.write(app_.settings());
}

void FrameWindow::setClient(MainWindow* main, HWND hwnd) {
    main_ = main;
    clientHwnd_ = hwnd;
    fitClient();
}

void FrameWindow::fitClient() {
    if (!clientHwnd_) return;
    RECT r;
    GetClientRect(hwnd(), &r);
    MoveWindow(clientHwnd_, 0, 0, r.right, r.bottom, TRUE);
}

bool FrameWindow::mayClose() { return !main_ || main_->mayClose(); }

bool FrameWindow::acceptsDrop() const { return main_ && main_->jobIdle(); }

void FrameWindow::dropped(const AStr& url) { (void)app_.dropUrl(url.c_str()); }

LRESULT FrameWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        registered_ = SUCCEEDED(RegisterDragDrop(hwnd(), static_cast<IDropTarget*>(this)));
        HICON big = static_cast<HICON>(LoadImageA(instance(), MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
        HICON small = static_cast<HICON>(LoadImageA(instance(), MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, 0));
        if (big) SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        if (small) SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        return 0;
    }
    case WM_DESTROY:
        if (registered_) RevokeDragDrop(hwnd());
        registered_ = false;
        savePlacement();
        if (!ownerDestroys_) PostQuitMessage(0);
        return 0;
    case WM_MOVE:
    case WM_SIZE:
        if (!restoring_) savePlacement();
        if (message == WM_SIZE) fitClient();
        return 0;
    case WM_SETFOCUS:
        if (clientHwnd_) SetFocus(clientHwnd_);
        return 0;
    case WM_CLOSE:
        if (mayClose()) destroy();
        return 0;
    case WM_QUERYENDSESSION:
        return mayClose() ? TRUE : FALSE;
    case WM_ENDSESSION:
        if (wParam) app_.save();
        return 0;
    case WM_MENUSELECT:
    case WM_INITMENUPOPUP:
    case WM_COMMAND:
        if (clientHwnd_) return SendMessageA(clientHwnd_, message, wParam, lParam);
        break;
    default:
        break;
    }
    return ZWindow::onMessage(message, wParam, lParam);
}
