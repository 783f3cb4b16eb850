#pragma once
// A lower pane: lines shown as the items of a tree view without branches.
// Only lines that changed are set again, so a pane updated many times a
// second neither flickers nor costs more than its changes.

#include <windows.h>

#include <string>
#include <vector>

class LineList {
public:
    void attach(HWND tree) { tree_ = tree; }
    HWND hwnd() const { return tree_; }
    // The pane's lines from now on; the last one scrolled into view when
    // follow is set.
    void setLines(const std::vector<std::string>& lines, bool follow);
    const std::vector<std::string>& lines() const { return lines_; }
    // The text the control holds for line i, as read back from it.
    std::string shown(size_t i) const;

private:
    HWND tree_ = nullptr;
    std::vector<std::string> lines_;
    std::vector<void*> items_;  // HTREEITEM of each line
};

// The message history's pane text as lines: one a message, oldest first.
std::vector<std::string> MessageLines(const std::string& pane);
