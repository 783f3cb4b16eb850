#pragma once
// What the application shell asks of the main window, the download
// engine's window inside the frame. The shell creates it through the
// front-end, feeds it the messages posted to it and its idle steps, and
// hands it the command line's URL and project file.

#include <cstdint>

#include "app/MessageLoop.h"
#include "platform/Messages.h"

class BatchHost;

class MainWindow {
public:
    virtual ~MainWindow() = default;

    // The window's own idle step: starts, watches and finishes downloads.
    virtual MessageLoop::Idle idle() = 0;
    // A message for the window: registered messages, timers, commands.
    // (On Windows the window procedure gets them; this serves queues
    // without one.)
    virtual void dispatch(const platform::Message& m) = 0;
    // What messages are posted to (Windows: the HWND).
    virtual platform::WindowHandle handle() const = 0;

    // No download job in progress: dropped URLs are taken only then.
    virtual bool jobIdle() const = 0;
    // "/url" and drops: asks whether a new download (command 121) may go
    // on, then starts an unnamed job whose one start URL is url. False when
    // it did not start.
    virtual bool startUrl(const char* url) = 0;
    // "/f": opens a project file as the current project. False on failure
    // (the window reports it itself).
    virtual bool openProject(const char* path) = 0;
    // Posts a command to the window, handled after the current message.
    virtual void postCommand(uint32_t command) = 0;
    // Whether the program may end now (command 199): running downloads are
    // stopped and a changed project saved or dropped first.
    virtual bool mayClose() = 0;

    // What a running batch asks of the window.
    virtual BatchHost& batchHost() = 0;
};
