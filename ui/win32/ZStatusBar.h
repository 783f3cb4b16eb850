#pragma once
// The status bar at the foot of a window: the common control, split into
// parts of given widths, the last one taking the rest.

#include <windows.h>

#include <string>
#include <vector>

class ZStatusBar {
public:
    ZStatusBar() = default;
    ZStatusBar(const ZStatusBar&) = delete;
    ZStatusBar& operator=(const ZStatusBar&) = delete;
    ~ZStatusBar();

    bool create(HWND parent, int id);
    HWND hwnd() const { return hwnd_; }
    // The widths of all parts but the last.
    void setParts(const std::vector<int>& widths);
    void setText(int part, const char* text);
    // Sets every part's text, each part but the last as wide as its text
    // in the bar's font, so that counts that grow never cut the message.
    void setTexts(const std::vector<std::string>& texts);
    std::string text(int part) const;
    // Follows the parent's new size; returns the bar's height.
    int fit();

private:
    HWND hwnd_ = nullptr;
    std::vector<int> widths_;  // of the parts set by setTexts()
};
