#pragma once
// The program's top-level window: it holds the main window in its client
// area, takes dropped URLs for it, passes commands on to it, keeps its own
// placement in section "Window" of the settings file, and ends the loop
// when it is destroyed.

#include "ui/win32/DropWin.h"
#include "ui/win32/ZWindow.h"

class Application;
class MainWindow;

class FrameWindow final : public ZWindow, public DropWin {
public:
    static constexpr DWORD kStyle = 0x02CF0000;    // overlapped window, clipped children
    static constexpr DWORD kExStyle = 0x00040100;  // application window, window edge
    static constexpr UINT kExitCommand = 199;

    explicit FrameWindow(Application& app) : app_(app) {}
    ~FrameWindow() override;

    // Creates the window with the program title and menu 1, and restores
    // the saved placement (or shows it with the entry's show command).
    bool create();
    // The main window that fills the client area, and its window.
    void setClient(MainWindow* main, HWND hwnd);
    HWND client() const { return clientHwnd_; }
    // The placement as it is saved.
    void savePlacement();

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool acceptsDrop() const override;
    void dropped(const AStr& url) override;

private:
    void restorePlacement();
    void fitClient();
    bool mayClose();

    Application& app_;
    MainWindow* main_ = nullptr;
    HWND clientHwnd_ = nullptr;
    bool restoring_ = false;    // a placement is being restored: its moves are not saved
    bool registered_ = false;   // the drop target is registered
    bool ownerDestroys_ = false;  // destroyed with the front-end, not closed: no quit message
};
