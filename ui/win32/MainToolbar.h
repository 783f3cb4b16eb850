#pragma once
// The main window's toolbar: the job's and the views' buttons with their
// pictures (bitmap 101) and tooltips, the list box of what the views name
// a node by, and the animation at the right end.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "ui/win32/Animation.h"

class MainToolbar {
public:
    static constexpr int kId = 10011;
    static constexpr int kListId = 3426;
    static constexpr int kBitmapId = 101;
    static constexpr int kButtonSize = 16;
    // The first of the tooltip texts, one a button in order.
    static constexpr int kFirstTip = 26600;
    // The list box's texts, in order.
    static constexpr int kListTexts[3] = {22165, 22164, 22163};

    struct Button {
        int image;    // index in the bitmap; -1 for a separator
        int command;
    };
    static const Button kButtons[];
    static const int kButtonCount;

    using TextSource = std::function<std::string(int)>;

    MainToolbar() = default;
    MainToolbar(const MainToolbar&) = delete;
    MainToolbar& operator=(const MainToolbar&) = delete;
    ~MainToolbar();

    bool create(HWND parent, TextSource texts);
    HWND hwnd() const { return hwnd_; }
    HWND list() const { return list_; }
    Animation& animation() { return animation_; }
    int height() const;
    // Follows a new width: the animation stays at the right end.
    void fit(int width);
    // The list box's texts again, after a change of language.
    void refreshTexts();
    // Answers the toolbar's request for a tooltip; true when it was one.
    bool onNotify(const NMHDR* header);
    // The tooltip text of a command, as the toolbar shows it.
    std::string tipOf(int command) const;

private:
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HIMAGELIST images_ = nullptr;
    Animation animation_;
    TextSource texts_;
    std::wstring tip_;  // the text handed to the tooltip, kept until it asks again
};
