#pragma once
// The Windows front-end of the application: the frame window with the
// main window inside, and the loop over the thread's messages.

#include <memory>

#include "app/ApplicationFrontEnd.h"
#include "ui/win32/FrameWindow.h"
#include "ui/win32/EngineMainWindow.h"
#include "ui/win32/ZApplication.h"

class WinFrontEnd final : public ApplicationFrontEnd {
public:
    WinFrontEnd(HINSTANCE instance, const char* commandLine, int show);
    ~WinFrontEnd() override;

    MainWindow* createMainWindow(Application& app) override;
    int runLoop(MessageLoop::Handler& handler) override { return loop_.run(handler); }
    void* ownerWindow() const override { return frame_ ? frame_->hwnd() : nullptr; }

    FrameWindow* frame() const { return frame_.get(); }
    EngineMainWindow* main() const { return main_.get(); }

private:
    // The loop routes keyboard messages to the application's modeless dialog.
    class Loop final : public ZApplication {
    public:
        using ZApplication::ZApplication;
        HWND modelessDialog() const override;
        // The modeless dialog's, then the main window's keys.
        bool preTranslateMessage(MSG& m) override;
        Application* app = nullptr;
        EngineMainWindow* main = nullptr;
    };

    Loop loop_;
    // The main window goes before the frame that holds it.
    std::unique_ptr<FrameWindow> frame_;
    std::unique_ptr<EngineMainWindow> main_;
};
