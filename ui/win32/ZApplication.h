#pragma once
// The framework's application: the program's instance, command line and
// show command, its main window, and the loop over the thread's messages
// with the idle step between them.

#include <windows.h>

#include "app/MessageLoop.h"
#include "framework/AStr.h"

class ZApplication {
public:
    ZApplication(HINSTANCE instance, const char* commandLine, int show)
        : instance_(instance), commandLine_(commandLine), show_(show) {}
    virtual ~ZApplication() = default;
    ZApplication(const ZApplication&) = delete;
    ZApplication& operator=(const ZApplication&) = delete;

    // Until the quit message: every message goes to processMessage; when
    // none waits, the idle step runs (count: steps since the last
    // message). An idle step that is done waits for the next message; one
    // that waits on others runs again at least every kPollMs.
    int run(MessageLoop::Handler& idle);

    virtual void processMessage(MSG& m);
    // True when the message was taken before translation.
    virtual bool preTranslateMessage(MSG& m);
    virtual void onPauseKey() {}

    HINSTANCE instance() const { return instance_; }
    HINSTANCE previousInstance() const { return nullptr; }  // always null on 32-bit Windows
    const AStr& commandLine() const { return commandLine_; }
    int showCommand() const { return show_; }
    HWND mainWindowHandle() const { return mainHwnd_; }
    void setMainWindowHandle(HWND hwnd) { mainHwnd_ = hwnd; }
    // A modeless dialog whose keyboard messages go to it; null when none.
    virtual HWND modelessDialog() const { return nullptr; }

private:
    HINSTANCE instance_;
    AStr commandLine_;
    int show_;
    HWND mainHwnd_ = nullptr;
};
