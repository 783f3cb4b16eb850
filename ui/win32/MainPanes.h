#pragma once
// The main window's child windows, made in their fixed order with their
// window names and ids, and placed from the pane layout: the two lower
// panes, the file view and the link view that share the left pane, the
// page view, the two splitters, the toolbar and the status bar.

#include <windows.h>

#include "ui/panes/PaneLayout.h"
#include "ui/win32/MainToolbar.h"
#include "ui/win32/PageViewHost.h"
#include "ui/win32/ZSplitter.h"
#include "ui/win32/ZStatusBar.h"

class MainPanes {
public:
    static constexpr int kLowerLeftId = 0;
    static constexpr int kVerticalId = 91, kHorizontalId = 92;
    static constexpr int kStatusBarId = 10012;

    MainPanes() : vertical_(ZSplitter::Axis::Vertical), horizontal_(ZSplitter::Axis::Horizontal) {}
    MainPanes(const MainPanes&) = delete;
    MainPanes& operator=(const MainPanes&) = delete;
    ~MainPanes();

    // texts: the language library's texts by number, for the toolbar.
    bool create(HWND parent, MainToolbar::TextSource texts);
    // Moves and shows or hides every pane as layout says for the parent's
    // client area. Returns the band between toolbar and status bar, which
    // the horizontal splitter's percentage is taken of.
    RECT place(const PaneLayout& layout);

    HWND lowerLeft() const { return lowerLeft_; }
    HWND lowerRight() const { return lowerRight_; }
    HWND fileView() const { return fileView_; }
    HWND linkView() const { return linkView_; }
    HWND toolbar() const { return toolbar_.hwnd(); }
    MainToolbar& tools() { return toolbar_; }
    PageViewHost& pageView() { return page_; }
    ZStatusBar& statusBar() { return status_; }
    const ZStatusBar& statusBar() const { return status_; }
    ZSplitter& vertical() { return vertical_; }
    ZSplitter& horizontal() { return horizontal_; }
    // The file view or the link view, as the layout's tab says.
    HWND leftView(const PaneLayout& layout) const {
        return layout.tab() == PaneLayout::kLinkView ? linkView_ : fileView_;
    }

private:
    HWND parent_ = nullptr;
    HWND lowerLeft_ = nullptr, lowerRight_ = nullptr, fileView_ = nullptr, linkView_ = nullptr;
    MainToolbar toolbar_;
    PageViewHost page_;
    ZSplitter vertical_, horizontal_;
    ZStatusBar status_;
};
