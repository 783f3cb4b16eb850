#pragma once
// The page view: a host window ("HtmlView") over three viewers of which
// one is shown at a time: the HTML viewer for pages, the bitmap viewer for
// pictures, and the empty viewer when the current node has nothing to show.

#include <string>

#include "ui/win32/ZWindow.h"

class PageViewHost final : public ZWindow {
public:
    static constexpr int kId = 12;
    enum class Mode { Html, Bitmap, None };

    PageViewHost() = default;
    ~PageViewHost() override;

    bool create(HWND parent);
    Mode mode() const { return mode_; }
    void setMode(Mode mode);
    HWND viewer(Mode mode) const;
    // Shows a BMP file in the bitmap viewer; false (and the empty viewer)
    // when the file is no picture this viewer can draw.
    bool showBitmap(const std::string& path);
    // Shows a stored page (or any other stored file) in the HTML viewer.
    void showPage(const std::string& path);
    // The file the HTML viewer shows; empty when none.
    const std::string& pagePath() const { return pagePath_; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    class Viewer final : public ZWindow {
    public:
        HBITMAP bitmap = nullptr;  // the bitmap viewer's picture, owned
        ~Viewer() override;

    protected:
        LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    };

    Viewer html_, bitmap_, none_;
    Mode mode_ = Mode::None;
    std::string pagePath_;
};
