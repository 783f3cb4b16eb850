#include "ui/panes/PaneLayout.h"

#include <algorithm>

namespace {

int clampPercent(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, 100)); }

}  // namespace

void PaneLayout::load(int tab, int64_t visible, int64_t leftPercent, int64_t upperPercent) {
    tab_ = tab == kLinkView ? kLinkView : kFileView;
    visible_ = static_cast<uint32_t>(visible) & kAllPanes;
    // A window without a single pane is one a user cannot find a way out of.
    if (visible < 0 || visible_ == 0) visible_ = kAllPanes;
    leftPercent_ = clampPercent(leftPercent);
    upperPercent_ = clampPercent(upperPercent);
    // A splitter at the edge hides the pane it closes, as when it is dragged
    // there; the command that shows the pane again gives it room.
    if (leftPercent_ < 1 && shows(kPageView)) visible_ &= ~kLeftPane;
    if (leftPercent_ >= 100 && shows(kLeftPane)) visible_ &= ~kPageView;
    if (upperPercent_ >= 100) visible_ &= ~kLowerPanes;
}

PaneRects PaneLayout::place(int width, int height, int toolbarHeight, int statusHeight) const {
    width = std::max(width, 0);
    height = std::max(height, 0);
    PaneRects r;
    int top = shows(kToolbar) ? std::min(toolbarHeight, height) : 0;
    int bottom = shows(kStatusBar) ? std::max(height - statusHeight, top) : height;
    if (shows(kToolbar)) r.toolbar = {0, 0, width, top};
    if (shows(kStatusBar)) r.statusBar = {0, bottom, width, height - bottom};

    int left = shows(kPageView) ? static_cast<int>(int64_t(width) * leftPercent_ / 100) : width;
    if (!shows(kLeftPane)) left = 0;
    int split = shows(kLowerPanes) ? top + static_cast<int>(int64_t(bottom - top) * upperPercent_ / 100) : bottom;

    r.leftPane = {0, top, left, split - top};
    r.pageView = {left, top, width - left, split - top};
    int third = width / 3;
    r.lowerLeft = {0, split, third, bottom - split};
    r.lowerRight = {third, split, width - third, bottom - split};
    r.vertical = {left - kSplitterThickness / 2, top, kSplitterThickness, split - top};
    r.horizontal = {0, split - kSplitterThickness / 2, width, kSplitterThickness};
    return r;
}

bool PaneLayout::showTab(int tab) {
    tab_ = tab == kLinkView ? kLinkView : kFileView;
    if (shows(kLeftPane)) return false;
    visible_ |= kLeftPane | kPageView;
    if (leftPercent_ >= 1) return false;
    leftPercent_ = 50;
    return true;
}

bool PaneLayout::togglePageView() {
    if (shows(kPageView)) {
        visible_ = (visible_ & ~kPageView) | kLeftPane;
        return false;
    }
    visible_ |= kPageView;
    if (leftPercent_ < 100) return false;
    leftPercent_ = 50;
    return true;
}

bool PaneLayout::toggleLowerPanes() {
    visible_ ^= kLowerPanes;
    if (!shows(kLowerPanes) || upperPercent_ < 100) return false;
    upperPercent_ = 80;
    return true;
}

int PaneLayout::percentOf(int offset, int length) {
    if (length <= 0 || offset <= 0) return 0;
    int64_t p = (int64_t(offset) * 200 + length) / (int64_t(length) * 2);  // rounded
    return static_cast<int>(std::min<int64_t>(p, 100));
}

bool PaneLayout::moveVertical(int x, int width) {
    int p = percentOf(x, width);
    visible_ |= kLeftPane | kPageView;
    if (p >= 100) {
        p = 100;
        visible_ &= ~kPageView;
    } else if (p < 1) {
        p = 0;
        visible_ &= ~kLeftPane;
    }
    leftPercent_ = p;
    return true;
}

bool PaneLayout::moveHorizontal(int y, int top, int bottom) {
    int p = percentOf(y - top, bottom - top);
    visible_ |= kLowerPanes;
    if (p >= 100) {
        p = 100;
        visible_ &= ~kLowerPanes;
    } else if (p < 1) {
        p = 0;
    }
    upperPercent_ = p;
    return true;
}
