#pragma once
// The terminal front-end of the application: a message queue and the
// portable loop, with the terminal's main window. The loop ends when the
// main window says the run is over; the exit status is its code.

#include <memory>
#include <utility>

#include "app/ApplicationFrontEnd.h"
#include "app/MessageLoop.h"
#include "platform/Messages.h"
#include "ui/console/program/ConsoleMainWindow.h"

class ConsoleFrontEnd final : public ApplicationFrontEnd {
public:
    // updateRun: a project opened from the command line is refreshed (every
    // stored file asked again) instead of continued. options: the command
    // line's settings of its job; quiet: only failures are said.
    explicit ConsoleFrontEnd(int codePage, bool updateRun = false, JobOptions options = {}, bool quiet = false)
        : codePage_(codePage), updateRun_(updateRun), options_(std::move(options)), quiet_(quiet) {}
    ~ConsoleFrontEnd() override;

    MainWindow* createMainWindow(Application& app) override;
    int runLoop(MessageLoop::Handler& handler) override;

private:
    int codePage_;
    bool updateRun_;
    JobOptions options_;
    bool quiet_;
    platform::MessageQueue queue_;
    MessageLoop loop_{queue_};
    std::unique_ptr<ConsoleMainWindow> main_;
};
