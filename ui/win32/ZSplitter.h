#pragma once
// A splitter between two panes: a thin window the user drags with the
// mouse. While the button is down it follows the pointer along its one
// axis within its parent; when the button is let go it tells the parent
// with WM_COMMAND (its child id, notification kMoved) where its centre line
// now lies. The parent lays its panes out again from that.

#include "ui/win32/ZWindow.h"

class ZSplitter final : public ZWindow {
public:
    static constexpr WORD kMoved = 100;
    enum class Axis { Vertical, Horizontal };  // a vertical one moves left and right

    explicit ZSplitter(Axis axis) : axis_(axis) {}

    bool create(HWND parent, int id);
    // The centre line last dropped at, in the parent's client coordinates.
    int position() const { return position_; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int pointerInParent(LPARAM lParam) const;
    void follow(int line);

    Axis axis_;
    int id_ = 0;
    int position_ = 0;
    int grabOffset_ = 0;  // from the pointer to the splitter's centre line
    bool dragging_ = false;
};
