#include "ui/panes/PaneLayout.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW = 800, kH = 600, kToolbar = 28, kStatus = 20;

PaneLayout Layout(uint32_t visible, int left = 50, int upper = 80) {
    PaneLayout l;
    l.load(PaneLayout::kFileView, visible, left, upper);
    return l;
}

}  // namespace

TEST(PaneLayout, EveryPaneShown) {
    PaneRects r = Layout(PaneLayout::kAllPanes).place(kW, kH, kToolbar, kStatus);
    EXPECT_EQ(r.toolbar, (PaneRect{0, 0, 800, 28}));
    EXPECT_EQ(r.statusBar, (PaneRect{0, 580, 800, 20}));
    // 80 % of the 552 pixels between toolbar and status bar, toward zero.
    EXPECT_EQ(r.leftPane, (PaneRect{0, 28, 400, 441}));
    EXPECT_EQ(r.pageView, (PaneRect{400, 28, 400, 441}));
    EXPECT_EQ(r.lowerLeft, (PaneRect{0, 469, 266, 111}));
    EXPECT_EQ(r.lowerRight, (PaneRect{266, 469, 534, 111}));
    EXPECT_EQ(r.vertical, (PaneRect{398, 28, 4, 441}));
    EXPECT_EQ(r.horizontal, (PaneRect{0, 467, 800, 4}));
}

TEST(PaneLayout, HiddenPanesGiveTheirRoomToTheOthers) {
    // Neither the left pane nor the page view beside it: the page view
    // fills the whole upper band.
    PaneRects r = Layout(PaneLayout::kLowerPanes).place(kW, kH, kToolbar, kStatus);
    EXPECT_EQ(r.toolbar, PaneRect{});
    EXPECT_EQ(r.pageView, (PaneRect{0, 0, 800, 480}));
    EXPECT_EQ(r.leftPane.width, 0);

    // No lower panes: the horizontal splitter lies on the status bar.
    r = Layout(PaneLayout::kLeftPane | PaneLayout::kPageView | PaneLayout::kStatusBar).place(kW, kH, kToolbar, kStatus);
    EXPECT_EQ(r.lowerLeft.height, 0);
    EXPECT_EQ(r.lowerRight.height, 0);
    EXPECT_EQ(r.horizontal.y, 580 - 2);
    EXPECT_EQ(r.pageView, (PaneRect{400, 0, 400, 580}));

    // The left pane without the page view takes the whole width.
    r = Layout(PaneLayout::kLeftPane).place(kW, kH, kToolbar, kStatus);
    EXPECT_EQ(r.leftPane, (PaneRect{0, 0, 800, 600}));
    EXPECT_EQ(r.pageView.width, 0);
}

TEST(PaneLayout, TinyWindowsGiveNoNegativeSizes) {
    for (int h : {0, 10, 30, 47}) {
        for (uint32_t v = 1; v <= PaneLayout::kAllPanes; ++v) {
            PaneRects r = Layout(v, 100, 100).place(3, h, kToolbar, kStatus);
            for (const PaneRect& p : {r.toolbar, r.statusBar, r.leftPane, r.pageView, r.lowerLeft, r.lowerRight}) {
                EXPECT_GE(p.width, 0) << v << " " << h;
                EXPECT_GE(p.height, 0) << v << " " << h;
                EXPECT_LE(p.y + p.height, h) << v << " " << h;
            }
        }
    }
}

TEST(PaneLayout, VerticalSplitterAtTheEdgesHidesAPane) {
    PaneLayout l = Layout(PaneLayout::kAllPanes);
    EXPECT_TRUE(l.moveVertical(800, kW));
    EXPECT_EQ(l.leftPercent(), 100);
    EXPECT_FALSE(l.shows(PaneLayout::kPageView));
    EXPECT_TRUE(l.togglePageView());  // back at 50, to be written
    EXPECT_EQ(l.leftPercent(), 50);
    EXPECT_TRUE(l.shows(PaneLayout::kPageView));

    l.moveVertical(-30, kW);
    EXPECT_EQ(l.leftPercent(), 0);
    EXPECT_FALSE(l.shows(PaneLayout::kLeftPane));
    EXPECT_TRUE(l.showTab(PaneLayout::kLinkView));  // the left pane comes back at 50
    EXPECT_EQ(l.tab(), PaneLayout::kLinkView);
    EXPECT_EQ(l.leftPercent(), 50);
    EXPECT_TRUE(l.shows(PaneLayout::kLeftPane) && l.shows(PaneLayout::kPageView));

    l.moveVertical(267, kW);  // 33.4 %
    EXPECT_EQ(l.leftPercent(), 33);
    l.moveVertical(396, kW);  // 49.5 %, rounded up
    EXPECT_EQ(l.leftPercent(), 50);
    EXPECT_FALSE(l.showTab(PaneLayout::kFileView));  // shown already: nothing to write
}

TEST(PaneLayout, HorizontalSplitterAndTheLowerPanes) {
    PaneLayout l = Layout(PaneLayout::kAllPanes);
    EXPECT_TRUE(l.moveHorizontal(580, 28, 580));
    EXPECT_EQ(l.upperPercent(), 100);
    EXPECT_FALSE(l.shows(PaneLayout::kLowerPanes));
    EXPECT_TRUE(l.toggleLowerPanes());
    EXPECT_EQ(l.upperPercent(), 80);

    l.moveHorizontal(28 + 138, 28, 580);  // a quarter of the band
    EXPECT_EQ(l.upperPercent(), 25);
    EXPECT_FALSE(l.toggleLowerPanes());  // off: the percentage stays
    EXPECT_FALSE(l.toggleLowerPanes());
    EXPECT_EQ(l.upperPercent(), 25);
    l.moveHorizontal(0, 28, 580);
    EXPECT_EQ(l.upperPercent(), 0);
    EXPECT_TRUE(l.shows(PaneLayout::kLowerPanes));
}

TEST(PaneLayout, SettingsOutOfRangeReadAsAUsableLayout) {
    PaneLayout l;
    l.load(9, 255, -5, 5000);
    EXPECT_EQ(l.tab(), PaneLayout::kFileView);
    // The splitters at the edges: the left pane and the lower panes hidden
    // until asked for, and then given room.
    EXPECT_EQ(l.visible(), PaneLayout::kPageView | PaneLayout::kToolbar | PaneLayout::kStatusBar);
    EXPECT_EQ(l.leftPercent(), 0);
    EXPECT_EQ(l.upperPercent(), 100);
    EXPECT_TRUE(l.showTab(PaneLayout::kFileView));
    EXPECT_EQ(l.leftPercent(), 50);
    EXPECT_TRUE(l.toggleLowerPanes());
    EXPECT_EQ(l.upperPercent(), 80);
    EXPECT_EQ(l.visible(), PaneLayout::kAllPanes);
    l.load(PaneLayout::kFileView, PaneLayout::kAllPanes, 100, 80);
    EXPECT_FALSE(l.shows(PaneLayout::kPageView));
    l.load(PaneLayout::kLinkView, 0, 50, 80);
    EXPECT_EQ(l.visible(), PaneLayout::kAllPanes);
    EXPECT_EQ(l.tab(), PaneLayout::kLinkView);
    l.load(PaneLayout::kFileView, -1, 50, 80);
    EXPECT_EQ(l.visible(), PaneLayout::kAllPanes);
    l.load(PaneLayout::kFileView, PaneLayout::kToolbar | 64, 50, 80);
    EXPECT_EQ(l.visible(), PaneLayout::kToolbar);
}
