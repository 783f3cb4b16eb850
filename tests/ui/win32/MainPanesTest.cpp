// The main window's panes under Wine: their names and ids, where they
// stand for every combination of shown panes at two window sizes (the
// children's real rectangles against the layout's rules), and a splitter
// dragged with the mouse.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/win32/MainPanes.h"
#include "ui/win32/ZWindow.h"

namespace {

class Parent final : public ZWindow {
public:
    std::vector<WPARAM> commands;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) commands.push_back(wParam);
        return ZWindow::onMessage(message, wParam, lParam);
    }
};

RECT InParent(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Fixture {
    Parent parent;
    MainPanes panes;
    explicit Fixture(int w, int h) {
        RECT r = {0, 0, w, h};
        AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
        EXPECT_TRUE(parent.create(0, "panes", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, r.right - r.left,
                                  r.bottom - r.top, nullptr, nullptr));
        EXPECT_TRUE(panes.create(parent.hwnd(), [](int id) { return "text " + std::to_string(id); }));
    }
};

void ExpectAt(HWND w, int x, int y, int width, int height, const char* what, unsigned v) {
    RECT r = InParent(w);
    EXPECT_EQ(r.left, x) << what << " flags " << v;
    EXPECT_EQ(r.top, y) << what << " flags " << v;
    EXPECT_EQ(r.right - r.left, width) << what << " flags " << v;
    EXPECT_EQ(r.bottom - r.top, height) << what << " flags " << v;
}

}  // namespace

TEST(MainPanes, NamesAndIds) {
    Fixture f(640, 480);
    HWND p = f.parent.hwnd();
    EXPECT_EQ(FindWindowExA(p, nullptr, nullptr, "Info1"), f.panes.lowerLeft());
    EXPECT_EQ(GetDlgCtrlID(f.panes.lowerLeft()), 0);
    EXPECT_EQ(FindWindowExA(p, nullptr, nullptr, "Tree3"), f.panes.lowerRight());
    HWND host = FindWindowExA(p, nullptr, nullptr, "HtmlView");
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(GetDlgCtrlID(host), 12);
    for (const char* viewer : {"HtmlViewer", "BitmapViewer", "NoneViewer"})
        EXPECT_NE(FindWindowExA(host, nullptr, nullptr, viewer), nullptr) << viewer;
    EXPECT_EQ(GetDlgCtrlID(f.panes.vertical().hwnd()), 91);
    EXPECT_EQ(GetDlgCtrlID(f.panes.horizontal().hwnd()), 92);
    EXPECT_EQ(GetDlgCtrlID(f.panes.toolbar()), 10011);
    EXPECT_EQ(GetDlgCtrlID(f.panes.tools().list()), 3426);
    EXPECT_EQ(FindWindowExA(f.panes.toolbar(), nullptr, nullptr, "BraskingWindow"), f.panes.tools().animation().hwnd());
    EXPECT_EQ(GetDlgCtrlID(f.panes.tools().animation().hwnd()), 99999);
    EXPECT_EQ(FindWindowExA(p, nullptr, nullptr, "ZToolbar"), f.panes.toolbar());
    EXPECT_EQ(GetDlgCtrlID(f.panes.statusBar().hwnd()), 10012);
    EXPECT_TRUE(IsWindowVisible(f.panes.fileView()));
    EXPECT_FALSE(IsWindowVisible(f.panes.linkView()));
    // Only the empty viewer shows until there is something to show.
    EXPECT_TRUE(IsWindowVisible(f.panes.pageView().viewer(PageViewHost::Mode::None)));
    EXPECT_FALSE(IsWindowVisible(f.panes.pageView().viewer(PageViewHost::Mode::Html)));
}

TEST(MainPanes, EveryCombinationOfShownPanesAtTwoSizes) {
    for (SIZE size : {SIZE{800, 600}, SIZE{517, 333}}) {
        Fixture f(size.cx, size.cy);
        const int W = size.cx, H = size.cy;
        for (unsigned v = 0; v < 32; ++v) {
            PaneLayout layout;
            layout.load(v & 1 ? PaneLayout::kLinkView : PaneLayout::kFileView, v, 37, 71);
            if (v == 0) continue;  // an empty set reads as every pane: tested natively
            f.panes.place(layout);
            RECT tb = InParent(f.panes.toolbar()), sb = InParent(f.panes.statusBar().hwnd());
            int top = v & 8 ? tb.bottom - tb.top : 0;
            int bottom = v & 16 ? H - (sb.bottom - sb.top) : H;
            int left = v & 2 ? W * 37 / 100 : W;
            if (!(v & 1)) left = 0;
            int split = v & 4 ? top + (bottom - top) * 71 / 100 : bottom;
            EXPECT_EQ(IsWindowVisible(f.panes.toolbar()) != 0, (v & 8) != 0) << v;
            EXPECT_EQ(IsWindowVisible(f.panes.statusBar().hwnd()) != 0, (v & 16) != 0) << v;
            if (v & 16) {
                EXPECT_EQ(sb.top, bottom) << v;
            }
            HWND shown = f.panes.leftView(layout);
            HWND other = shown == f.panes.fileView() ? f.panes.linkView() : f.panes.fileView();
            EXPECT_FALSE(IsWindowVisible(other)) << v;
            EXPECT_EQ(IsWindowVisible(shown) != 0, left > 0) << v;
            if (left > 0) {
                ExpectAt(shown, 0, top, left, split - top, "left pane", v);
            }
            EXPECT_EQ(IsWindowVisible(f.panes.pageView().hwnd()) != 0, left < W) << v;
            if (left < W) {
                ExpectAt(f.panes.pageView().hwnd(), left, top, W - left, split - top, "page view", v);
            }
            EXPECT_EQ(IsWindowVisible(f.panes.lowerLeft()) != 0, (v & 4) != 0) << v;
            if (v & 4) {
                ExpectAt(f.panes.lowerLeft(), 0, split, W / 3, bottom - split, "lower left", v);
                ExpectAt(f.panes.lowerRight(), W / 3, split, W - W / 3, bottom - split, "lower right", v);
            }
            ExpectAt(f.panes.horizontal().hwnd(), 0, split - 2, W, 4, "horizontal splitter", v);
            if (left > 0 && left < W) {
                ExpectAt(f.panes.vertical().hwnd(), left - 2, top, 4, split - top, "vertical splitter", v);
            }
        }
    }
}

TEST(MainPanes, SplitterDraggedWithTheMouseTellsItsParent) {
    Fixture f(800, 600);
    PaneLayout layout;
    layout.load(PaneLayout::kFileView, PaneLayout::kAllPanes, 50, 80);
    f.panes.place(layout);
    HWND s = f.panes.vertical().hwnd();
    RECT before = InParent(s);
    // Grabbed one pixel right of its centre line, let go 150 pixels to the left.
    SendMessageA(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 10));
    SendMessageA(s, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-97), 10));
    EXPECT_EQ(InParent(s).left, before.left - 100);  // it follows the pointer
    EXPECT_TRUE(f.parent.commands.empty());
    // The pointer's place is taken in the splitter's new place.
    SendMessageA(s, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-47), 10));
    ASSERT_EQ(f.parent.commands.size(), 1u);
    EXPECT_EQ(f.parent.commands[0], MAKEWPARAM(91, ZSplitter::kMoved));
    EXPECT_EQ(f.panes.vertical().position(), (before.left + 2) - 150);
    EXPECT_EQ(InParent(s).left, before.left - 150);

    // Dragged beyond the window's edge it stops at the edge.
    HWND h = f.panes.horizontal().hwnd();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 2));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 2000));
    ASSERT_EQ(f.parent.commands.size(), 2u);
    EXPECT_EQ(f.parent.commands[1], MAKEWPARAM(92, ZSplitter::kMoved));
    EXPECT_EQ(f.panes.horizontal().position(), 600);
}

TEST(MainPanes, ToolbarButtonsListAndTips) {
    Fixture f(800, 600);
    HWND tb = f.panes.toolbar();
    // (picture, command) from the left; 0 for a separator.
    const int expected[][2] = {{0, 125}, {1, 126}, {8, 128}, {-1, 0}, {2, 401}, {3, 402}, {9, 403}, {10, 408},
                               {-1, 0},  {11, 400}, {12, 404}, {-1, 0}, {5, 3420}, {6, 3421}, {7, 3422}, {-1, 0}};
    int n = static_cast<int>(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0));
    ASSERT_EQ(n, 17);  // and the place of the list box
    for (int i = 0; i < 16; ++i) {
        TBBUTTON b = {};
        SendMessageA(tb, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
        if (expected[i][0] < 0) {
            EXPECT_TRUE(b.fsStyle & BTNS_SEP) << i;
            continue;
        }
        EXPECT_EQ(b.iBitmap, expected[i][0]) << i;
        EXPECT_EQ(b.idCommand, expected[i][1]) << i;
    }
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(tb, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 13);

    HWND list = f.panes.tools().list();
    ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 3);
    char text[64] = {};
    SendMessageA(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "text 22165");
    SendMessageA(list, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "text 22163");

    NMTTDISPINFOW tip = {};
    tip.hdr.code = TTN_GETDISPINFOW;
    tip.hdr.idFrom = 128;
    ASSERT_TRUE(f.panes.tools().onNotify(&tip.hdr));
    EXPECT_STREQ(tip.lpszText, L"text 26602");  // the third button's
    tip.hdr.idFrom = 3422;
    ASSERT_TRUE(f.panes.tools().onNotify(&tip.hdr));
    EXPECT_STREQ(tip.lpszText, L"text 26611");
    tip.hdr.idFrom = 3426;
    EXPECT_FALSE(f.panes.tools().onNotify(&tip.hdr));

    // The animation stands at the right end.
    PaneLayout layout;
    layout.load(PaneLayout::kFileView, PaneLayout::kAllPanes, 50, 80);
    f.panes.place(layout);
    RECT a = InParent(f.panes.tools().animation().hwnd());
    RECT bar;
    GetClientRect(tb, &bar);
    EXPECT_GT(a.left, bar.right - 48);
    EXPECT_LE(a.right, bar.right);
}

TEST(MainPanes, AnimationPlaysOnlyWhileAsked) {
    Fixture f(640, 480);
    Animation& movie = f.panes.tools().animation();
    ASSERT_EQ(movie.frames(), 8);  // the resource was found and read
    movie.play(true);
    DWORD until = GetTickCount() + 2000;
    MSG m;
    while (movie.frame() < 2 && GetTickCount() < until) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(10);
    }
    EXPECT_GE(movie.frame(), 2);
    movie.play(false);
    EXPECT_EQ(movie.frame(), 0);
    Sleep(3 * Animation::kFrameMs);
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    EXPECT_EQ(movie.frame(), 0);
}
