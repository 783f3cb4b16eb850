#include "ui/console/program/ConsoleFrontEnd.h"

#include "app/ZBraskLibrary.h"

namespace {

// The application's idle step, then the main window's look at the run.
class RunWatch final : public MessageLoop::Handler {
public:
    RunWatch(MessageLoop::Handler& app, ConsoleMainWindow& main) : app_(app), main_(main) {}
    MessageLoop::Idle idle(int count) override {
        MessageLoop::Idle r = app_.idle(count);
        main_.afterIdle();
        return r;
    }
    void dispatch(const platform::Message& m) override { app_.dispatch(m); }

private:
    MessageLoop::Handler& app_;
    ConsoleMainWindow& main_;
};

}  // namespace

ConsoleFrontEnd::~ConsoleFrontEnd() {
    if (main_ && ProgramTextSource().mainWindow() == main_->messagePane()) ProgramTextSource().setMainWindow(nullptr);
    main_.reset();
}

MainWindow* ConsoleFrontEnd::createMainWindow(Application& app) {
    main_ = std::make_unique<ConsoleMainWindow>(app, queue_, loop_, codePage_);
    main_->setUpdateRun(updateRun_);
    main_->setJobOptions(options_, quiet_);
    // Dial-up states and the engine's messages reach the terminal.
    ProgramTextSource().setMainWindow(main_->messagePane());
    ConsoleMainWindow::catchInterrupts();
    return main_.get();
}

int ConsoleFrontEnd::runLoop(MessageLoop::Handler& handler) {
    if (!main_) return -1;
    RunWatch watch(handler, *main_);
    (void)loop_.run(watch);
    main_->finish();
    return main_->exitStatus();
}
