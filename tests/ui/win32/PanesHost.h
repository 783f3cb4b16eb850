#pragma once
// The views' tests: a top-level window holding the main window's panes,
// laid out as the main window first shows them, that hands the views'
// notifications to View (a view class with onNotify).

#include <windows.h>

#include <string>

#include "ui/panes/PaneLayout.h"
#include "ui/win32/MainPanes.h"
#include "ui/win32/ZWindow.h"

template <class View>
class PanesHost final : public ZWindow {
public:
    View view;
    MainPanes panes;

    explicit PanesHost(const char* title) {
        created = create(0, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr) &&
                  panes.create(hwnd(), [](int) { return std::string(); });
        if (created) panes.place(PaneLayout());
    }
    bool created = false;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT r = 0;
        if (message == WM_NOTIFY && view.onNotify(reinterpret_cast<const NMHDR*>(lParam), r)) return r;
        return ZWindow::onMessage(message, wParam, lParam);
    }
};
