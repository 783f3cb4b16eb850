#pragma once
// The toolbar's animation ("BraskingWindow"): the frames of the program's
// resource "MOVIE" 1, a BMP strip of equal frames side by side, played
// while a job runs and standing on its first frame otherwise.

#include <vector>

#include "ui/win32/ZWindow.h"

class Animation final : public ZWindow {
public:
    static constexpr int kId = 99999;
    static constexpr int kFrameWidth = 32, kFrameHeight = 24;
    static constexpr UINT kFrameMs = 120;

    bool create(HWND parent);
    void play(bool on);
    bool playing() const { return playing_; }
    int frame() const { return frame_; }
    int frames() const { return frames_; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void paint(HDC dc);

    std::vector<unsigned char> movie_;  // the resource's BMP file, header and bits
    int frames_ = 0;
    int frame_ = 0;
    bool playing_ = false;
};
