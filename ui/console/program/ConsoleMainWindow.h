#pragma once
// The terminal's main window: the download engine behind a queue instead
// of a window. The message pane's lines go to stderr, the status bar is
// one line there; a run ends when its job or batch ends, and a first
// interrupt stops it the way the stop command does (a second one ends the
// process at once, from the signal handler).

#include <cstdint>
#include <memory>

#include "app/MainWindow.h"
#include "batch/Batch.h"
#include "engine/Window.h"
#include "engine/WindowViews.h"
#include "framework/AStr.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/JobOptions.h"

class Application;

class ConsoleMainWindow final : public MainWindow, private BatchHost, private WindowViews {
public:
    // Exit statuses of the program.
    enum Status {
        kAllReceived = 0,
        kSomeFailed = 1,   // a file failed, or a project of the batch could not be opened
        kStopped = 2,      // interrupted before the end
        kDiskFull = 3,
        kFolderInUse = 4,  // another job works in the output folder: this one did not start
        kCannotWrite = 5,  // the output folder, a file of the copy or the project cannot be written
        kNoProject = 66,   // "/f" named a project that cannot be opened
    };

    ConsoleMainWindow(Application& app, platform::MessageQueue& queue, MessageLoop& loop, int codePage);
    ~ConsoleMainWindow() override;
    // A project opened by "/f" is refreshed rather than continued.
    void setUpdateRun(bool on) { updateRun_ = on; }
    // The command line's settings of the job it starts or opens, saved
    // with its project; quiet: only what failed is said.
    void setJobOptions(const JobOptions& options, bool quiet);

    Window& engine() { return *engine_; }
    // The message pane of the text source: the terminal's output.
    MessagePane* messagePane() { return &out_; }
    // After each idle step of the program: a pending interrupt, the end of
    // a job, and the end of the run, which quits the loop.
    void afterIdle();
    // Saves the current project and tree file and says where the copy is.
    void finish();
    int exitStatus() const { return status_; }

    // Installs the interrupt handlers (SIGINT, SIGTERM).
    static void catchInterrupts();

    // MainWindow
    MessageLoop::Idle idle() override;
    void dispatch(const platform::Message& m) override;
    platform::WindowHandle handle() const override { return queue_.handle(); }
    bool jobIdle() const override { return engine_->jobState() == Window::kIdle; }
    bool startUrl(const char* url) override;
    // "/f": the project is opened and its job continued.
    bool openProject(const char* path) override;
    void postCommand(uint32_t command) override;
    bool mayClose() override;
    BatchHost& batchHost() override { return *this; }

private:
    bool open(const char* path);
    // The connection of a job whose project file is project (see
    // ConnectionOf).
    void useConnection(const ApplicationProfile& project, const JobOptions& given);
    // After a job given options started: they go into its project file.
    void saveOptions();
    // After the engine was asked to start a job: a job refused its output
    // folder keeps nothing, and the run ends with the reason's status.
    void checkStarted();
    void onCommand(uint32_t id);
    void jobEnded();
    // The bytes still to come of this job, -1 when not known.
    int64_t bytesLeft() const;
    void showStatus(bool force);
    void worsen(Status s);

    // WindowViews
    // The status line is redrawn from the idle step.
    void refreshStatusBar() override {}
    void refreshThreadView() override {}
    // Through the program's message history, as the text source's own.
    void showMessage(const AStr& text) override;
    void showStatusText(const AStr& text) override;
    void showProgress(const AStr& text) override;
    void updateNode(ToBeOpenTN*) override {}
    void updateCommands() override {}
    Answer askYesNoCancel(const AStr&) override { return Answer::Yes; }  // nobody to ask: keep the project
    AStr chooseProjectFile() override;

    // BatchHost
    bool idle() const override { return jobIdle(); }
    bool hasNamedProject() const override { return !projectPath_.empty(); }
    void saveAndCloseProject() override;
    bool openProject(const AStr& path) override;
    void resetStatistics() override { engine_->resetStatistics(); }
    void startDialUpDeadline() override { engine_->startDialUpDeadline(); }
    void command(int id) override { onCommand(static_cast<uint32_t>(id)); }
    void postCommand(int id) override { postCommand(static_cast<uint32_t>(id)); }
    void requestExit() override {}
    bool startTimer(int id, uint32_t periodMs) override;
    void stopTimer(int id) override;
    void restoreMenu() override {}

    Application& app_;
    platform::MessageQueue& queue_;
    MessageLoop& loop_;
    ConsoleOutput out_;
    std::unique_ptr<Window> engine_;
    AStr projectPath_;     // the current job's project file; empty while unnamed
    AStr defaultProject_;  // where an unnamed job's project goes
    bool unnamed_ = false;
    bool refused_ = false;  // the current job could not have its output folder
    bool jobRunning_ = false;
    bool stopping_ = false;
    uint32_t lastStatus_ = 0;
    int status_ = kAllReceived;
    bool updateRun_ = false;
    JobOptions options_;
    bool quiet_ = false;
    JobConnection programConnection_;  // the program's own settings
};
