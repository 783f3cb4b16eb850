#pragma once
// The program-wide object of a normal run: the frame and main window, the
// dial-up object, the batch, the proxy and exit-on-end settings. It reads
// its settings when it is made, acts on the command line once the main
// window exists, drives the idle steps of the loop, and writes the
// settings back at the end.

#include <cstdint>
#include <functional>
#include <memory>

#include "app/ApplicationFrontEnd.h"
#include "app/ApplicationProfile.h"
#include "app/MessageLoop.h"
#include "app/ProgramOptions.h"
#include "app/shell/ApplicationSettings.h"
#include "batch/Batch.h"
#include "batch/DialUp.h"
#include "framework/AStr.h"

class MainWindow;

class Application : public MessageLoop::Handler {
public:
    // What the entry routine found before the application was made.
    struct Start {
        void* instance = nullptr;
        AStr commandLine;  // without the program name
        int show = 1;      // the entry's show command
        ApplicationProfile settings;
        bool firstRun = false;  // the settings file did not exist
        ProgramOptions options;
        int32_t splitter1 = 50, splitter2 = 80;  // "options" / "seppos1", "seppos2"
    };
    // Starts the updater program over the owner window (StartUpdater).
    using UpdaterStarter = std::function<void(void* owner)>;

    // Reads the settings in their fixed order. A null dial-up object gets
    // the platform's; a null updater starter the registered updater.
    Application(Start start, std::unique_ptr<ApplicationFrontEnd> frontEnd,
                std::unique_ptr<DialUp> dialUp = nullptr, UpdaterStarter updater = nullptr);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    bool initApplication() { return true; }
    // Creates the main window (initMainWindow) and acts on the command line.
    bool initInstance();
    bool initMainWindow();
    // initApplication, initInstance, then the loop; -1 when either failed.
    int run();
    // One idle step: the main window's, the updater once, one batch step,
    // then a waiting "/f" project.
    MessageLoop::Idle idleAction(int count);
    // Writes every setting back, in the settings file's fixed order.
    void save();

    // A URL dropped on the frame: a new download, taken only while no job
    // runs. False when it was not taken.
    bool dropUrl(const char* url);

    MessageLoop::Idle idle(int count) override { return idleAction(count); }
    void dispatch(const platform::Message& m) override;

    void* instance() const { return start_.instance; }
    const AStr& commandLine() const { return start_.commandLine; }
    int showCommand() const { return start_.show; }
    const Start& start() const { return start_; }
    // The program options, as the options dialog changes them.
    ProgramOptions& options() { return start_.options; }
    ApplicationProfile& settings() { return start_.settings; }
    MainWindow* mainWindow() const { return mainWindow_; }
    ApplicationFrontEnd& frontEnd() { return *frontEnd_; }
    DialUp& dialUp() { return *dialUp_; }
    Batch& batch() { return batch_; }
    BatchRunner& batchRunner() { return runner_; }
    ApplicationSettings& stored() { return stored_; }
    bool exitOnEnd() const { return stored_.exitOnEnd; }
    const ProxySettings& proxy() const { return stored_.proxy; }
    bool updaterPending() const { return updaterPending_; }
    const AStr& projectToOpen() const { return projectToOpen_; }
    // A modeless dialog (the dial-up status) whose keyboard messages the
    // loop routes to it; null when none.
    void* modelessDialog() const { return modelessDialog_; }
    void setModelessDialog(void* dialog) { modelessDialog_ = dialog; }

private:
    void actOnCommandLine();

    Start start_;
    MainWindow* mainWindow_ = nullptr;  // the front-end's
    // The frame: owns the main window.
    std::unique_ptr<ApplicationFrontEnd> frontEnd_;
    std::unique_ptr<DialUp> dialUp_;
    // The batch list is held ahead of its run-time state (batch running,
    // start time reached, next index) and the stored settings, which
    // refer to it.
    Batch batch_;
    BatchRunner runner_;
    ApplicationSettings stored_;  // exit on end, proxy; dial-up and batch through it
    bool updaterPending_ = true;
    AStr projectToOpen_;
    void* modelessDialog_ = nullptr;
    UpdaterStarter updater_;
};

// The running application, null before it is made and after it is gone.
Application* TheApplication();
void SetTheApplication(Application* app);
