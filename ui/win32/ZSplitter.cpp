#include "ui/win32/ZSplitter.h"

#include <algorithm>

bool ZSplitter::create(HWND parent, int id) {
    id_ = id;
    return ZWindow::create(0, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

int ZSplitter::pointerInParent(LPARAM lParam) const {
    POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    MapWindowPoints(hwnd(), GetParent(hwnd()), &p, 1);
    return axis_ == Axis::Vertical ? p.x : p.y;
}

void ZSplitter::follow(int line) {
    RECT r, parent;
    GetWindowRect(hwnd(), &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd()), reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(GetParent(hwnd()), &parent);
    // Within the parent: a splitter dragged out of the window stops at its edge.
    int limit = axis_ == Axis::Vertical ? parent.right : parent.bottom;
    line = std::clamp(line, 0, std::max(limit, 0));
    int thickness = axis_ == Axis::Vertical ? r.right - r.left : r.bottom - r.top;
    int x = axis_ == Axis::Vertical ? line - thickness / 2 : r.left;
    int y = axis_ == Axis::Vertical ? r.top : line - thickness / 2;
    SetWindowPos(hwnd(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    position_ = line;
}

LRESULT ZSplitter::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(LoadCursor(nullptr, axis_ == Axis::Vertical ? IDC_SIZEWE : IDC_SIZENS));
        return TRUE;
    case WM_LBUTTONDOWN: {
        RECT r;
        GetClientRect(hwnd(), &r);
        int centre = (axis_ == Axis::Vertical ? r.right : r.bottom) / 2;
        int at = axis_ == Axis::Vertical ? static_cast<short>(LOWORD(lParam)) : static_cast<short>(HIWORD(lParam));
        grabOffset_ = centre - at;
        dragging_ = true;
        SetCapture(hwnd());
        return 0;
    }
    case WM_MOUSEMOVE:
        if (dragging_) follow(pointerInParent(lParam) + grabOffset_);
        return 0;
    case WM_LBUTTONUP:
        if (!dragging_) return 0;
        follow(pointerInParent(lParam) + grabOffset_);
        dragging_ = false;
        ReleaseCapture();
        SendMessageA(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id_, kMoved), reinterpret_cast<LPARAM>(hwnd()));
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;  // another window took the mouse: the drag is over, unreported
        return 0;
    default:
        break;
    }
    return ZWindow::onMessage(message, wParam, lParam);
}
