#pragma once
// The framework's window: one window class whose procedure finds the
// object from the creation parameters and forwards every message to its
// virtual handler. The object destroys its window when it goes.

#include <windows.h>

class ZWindow {
public:
    ZWindow() = default;
    ZWindow(const ZWindow&) = delete;
    ZWindow& operator=(const ZWindow&) = delete;
    virtual ~ZWindow();

    HWND hwnd() const { return hwnd_; }
    // A window of the framework's class; false when it was not made.
    bool create(DWORD exStyle, const char* title, DWORD style, int x, int y, int w, int h, HWND parent, HMENU menu);
    void destroy();

    static HINSTANCE instance();
    static constexpr const char* kClassName = "ZWindow";

protected:
    virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static bool registerClass();
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};
