#pragma once
// What the application needs of the front-end it runs in: the frame with
// the main window inside, and the message loop. Windows: the frame window
// and a loop over the thread's messages; the console and the tests: a
// queue and the portable MessageLoop.

#include <memory>

#include "app/MessageLoop.h"

class Application;
class MainWindow;

class ApplicationFrontEnd {
public:
    virtual ~ApplicationFrontEnd() = default;

    // Creates the frame and the main window in it, and shows them. The
    // front-end owns both; null when they could not be made.
    virtual MainWindow* createMainWindow(Application& app) = 0;
    // Runs the loop until the quit message; the handler's idle step runs
    // whenever no message waits. Returns the quit message's code.
    virtual int runLoop(MessageLoop::Handler& handler) = 0;
    // The window that message boxes and started programs belong to.
    virtual void* ownerWindow() const { return nullptr; }
};
