#pragma once
// Where the main window's panes stand: which of them are shown, where the
// two splitters are, and the rectangles that follow for a client area.
// Portable, so that every rule is tested natively; the window applies the
// rectangles and keeps the state in the settings file ("options").

#include <cstdint>

struct PaneRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PaneRect&) const = default;
};

// The panes' places for one client area, in the order the window moves them.
struct PaneRects {
    PaneRect toolbar, statusBar;
    PaneRect leftPane;       // the file view or the link view
    PaneRect pageView;
    PaneRect lowerLeft, lowerRight;
    PaneRect vertical, horizontal;  // the splitters
};

class PaneLayout {
public:
    // Bits of "flagsVisibleView".
    static constexpr uint32_t kLeftPane = 1, kPageView = 2, kLowerPanes = 4, kToolbar = 8, kStatusBar = 16;
    static constexpr uint32_t kAllPanes = 31;
    // "iCurTab": what the left pane shows.
    static constexpr int kFileView = 2, kLinkView = 3;
    static constexpr int kSplitterThickness = 4;

    // Values from a settings file, brought into range: unknown bits
    // dropped, percentages within 0..100, an unknown tab read as the file
    // view. A state with nothing shown at all reads as everything shown; a
    // splitter at an edge hides the pane behind it.
    void load(int tab, int64_t visible, int64_t leftPercent, int64_t upperPercent);

    int tab() const { return tab_; }
    uint32_t visible() const { return visible_; }
    int leftPercent() const { return leftPercent_; }    // "seppos1"
    int upperPercent() const { return upperPercent_; }  // "seppos2"
    bool shows(uint32_t bit) const { return (visible_ & bit) != 0; }

    PaneRects place(int width, int height, int toolbarHeight, int statusHeight) const;

    // The commands and splitter moves. Each returns whether a splitter
    // percentage changed and is to be written back at once.
    bool showTab(int tab);
    bool togglePageView();
    bool toggleLowerPanes();
    void toggle(uint32_t bit) { visible_ ^= bit; }
    // x: the vertical splitter's new position in a client area width wide.
    bool moveVertical(int x, int width);
    // y: the horizontal splitter's new position; top and bottom: the band
    // between toolbar and status bar.
    bool moveHorizontal(int y, int top, int bottom);

private:
    static int percentOf(int offset, int length);

    int tab_ = kFileView;
    uint32_t visible_ = kAllPanes;
    int leftPercent_ = 50;
    int upperPercent_ = 80;
};
