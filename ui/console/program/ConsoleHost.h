#pragma once
// The terminal front-end's host of the download engine: it shows what the
// engine reports on stderr, runs the message loop until the job ends, and
// turns a first interrupt into the stop command (a second one ends the
// process at once, from the signal handler).

#include <atomic>
#include <csignal>
#include <memory>

#include "app/MessageLoop.h"
#include "batch/DialUp.h"
#include "engine/Window.h"
#include "ui/console/ConsoleOutput.h"

class ConsoleHost : public WindowViews, public MessageLoop::Handler {
public:
    ConsoleHost(EngineSettings settings, int codePage);
    ~ConsoleHost();

    Window& window() { return *window_; }
    // Runs until the job is idle or was stopped; the exit status of the
    // program: 0 when every file arrived, 1 when some failed, 2 when the
    // job was stopped before its end, 3 when the disk became full.
    int run();
    // Saves the project and tree file and prints where the copy lies.
    int finish(const AStr& projectPath, bool unnamed);

    // Installs the interrupt handlers (SIGINT, SIGTERM).
    static void catchInterrupts();

    // WindowViews
    void refreshStatusBar() override { statusDue_ = true; }
    void refreshThreadView() override { statusDue_ = true; }
    void showMessage(const AStr& text) override;
    void updateNode(ToBeOpenTN*) override {}
    void updateCommands() override {}
    void postCommand(uint32_t command) override;

    // MessageLoop::Handler
    MessageLoop::Idle idle(int count) override;
    void dispatch(const platform::Message& m) override;

private:
    void showStatus(bool force);
    uint32_t unfinishedFiles();

    platform::MessageQueue queue_;
    MessageLoop loop_{queue_};
    DialUp dialUp_;
    ConsoleOutput out_;
    std::unique_ptr<Window> window_;
    bool statusDue_ = true;
    uint32_t lastStatus_ = 0;
    bool stopping_ = false;
    bool stoppedEarly_ = false;
};
