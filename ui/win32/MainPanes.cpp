#include "ui/win32/MainPanes.h"

#include <commctrl.h>

#include <vector>

namespace {

// branches: a tree with buttons and lines; without, a list of lines.
HWND MakeTree(HWND parent, const char* name, int id, bool visible, bool branches) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | TVS_SHOWSELALWAYS | (visible ? WS_VISIBLE : 0) |
                  (branches ? TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT : 0);
    HWND tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, name, style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (tree) SendMessageA(tree, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return tree;
}

void Put(HDWP& moves, HWND w, const PaneRect& r, bool shown) {
    if (!w) return;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    if (moves) moves = DeferWindowPos(moves, w, nullptr, r.x, r.y, r.width, r.height, flags);
    else SetWindowPos(w, nullptr, r.x, r.y, r.width, r.height, flags);
}

}  // namespace

MainPanes::~MainPanes() {
    for (HWND w : {lowerLeft_, lowerRight_, fileView_, linkView_})
        if (w && IsWindow(w)) DestroyWindow(w);
}

bool MainPanes::create(HWND parent, MainToolbar::TextSource texts) {
    static const bool ready = [] {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)ready;  // a failure shows as a window not made below
    parent_ = parent;
    lowerLeft_ = MakeTree(parent, "Info1", kLowerLeftId, true, false);
    if (lowerLeft_) SendMessageA(lowerLeft_, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
    lowerRight_ = MakeTree(parent, "Tree3", 0, true, false);
    fileView_ = MakeTree(parent, "", 0, true, true);
    linkView_ = MakeTree(parent, "", 0, false, true);
    if (!lowerLeft_ || !lowerRight_ || !fileView_ || !linkView_ || !page_.create(parent)) return false;
    if (!vertical_.create(parent, kVerticalId) || !horizontal_.create(parent, kHorizontalId)) return false;
    if (!toolbar_.create(parent, std::move(texts))) return false;
    return status_.create(parent, kStatusBarId);
}

RECT MainPanes::place(const PaneLayout& layout) {
    RECT client;
    GetClientRect(parent_, &client);
    // The bars' own heights: the toolbar's rows of buttons, the status
    // bar's font.
    int toolbarHeight = toolbar_.height();
    int statusHeight = status_.fit();
    PaneRects r = layout.place(client.right, client.bottom, toolbarHeight, statusHeight);

    bool left = layout.shows(PaneLayout::kLeftPane) && r.leftPane.width > 0;
    bool page = r.pageView.width > 0;
    bool lower = layout.shows(PaneLayout::kLowerPanes);
    HWND shownView = leftView(layout);
    HWND hiddenView = shownView == fileView_ ? linkView_ : fileView_;
    HDWP moves = BeginDeferWindowPos(10);
    Put(moves, toolbar_.hwnd(), r.toolbar, layout.shows(PaneLayout::kToolbar));
    Put(moves, status_.hwnd(), r.statusBar, layout.shows(PaneLayout::kStatusBar));
    Put(moves, shownView, r.leftPane, left);
    Put(moves, hiddenView, r.leftPane, false);
    Put(moves, page_.hwnd(), r.pageView, page);
    Put(moves, lowerLeft_, r.lowerLeft, lower);
    Put(moves, lowerRight_, r.lowerRight, lower);
    if (moves) EndDeferWindowPos(moves);
    toolbar_.fit(client.right);
    // The splitters above the panes they lie on.
    UINT splitterFlags = SWP_NOACTIVATE;
    SetWindowPos(vertical_.hwnd(), HWND_TOP, r.vertical.x, r.vertical.y, r.vertical.width, r.vertical.height,
                 splitterFlags | (left && page ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    SetWindowPos(horizontal_.hwnd(), HWND_TOP, r.horizontal.x, r.horizontal.y, r.horizontal.width,
                 r.horizontal.height, splitterFlags | SWP_SHOWWINDOW);
    RECT band = {0, r.leftPane.y, client.right, r.statusBar.height > 0 ? r.statusBar.y : client.bottom};
    return band;
}
