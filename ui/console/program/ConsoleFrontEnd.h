#pragma once
// The terminal front-end of the application: a message queue and the
// portable loop, with the terminal's main window. The loop ends when the
// main window says the run is over; the exit status is its code.

#include <memory>

#include "app/ApplicationFrontEnd.h"
#include "app/MessageLoop.h"
#include "platform/Messages.h"
#include "ui/console/program/ConsoleMainWindow.h"

class ConsoleFrontEnd final : public ApplicationFrontEnd {
public:
    // updateRun: a project opened from the command line is refreshed (every
    // stored file asked again) instead of continued.
    explicit ConsoleFrontEnd(int codePage, bool updateRun = false) : codePage_(codePage), updateRun_(updateRun) {}
    ~ConsoleFrontEnd() override;

    MainWindow* createMainWindow(Application& app) override;
    int runLoop(MessageLoop::Handler& handler) override;

private:
    int codePage_;
    bool updateRun_;
    platform::MessageQueue queue_;
    MessageLoop loop_{queue_};
    std::unique_ptr<ConsoleMainWindow> main_;
};
