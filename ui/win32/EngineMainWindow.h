#pragma once
// The main window with the download engine behind it: the engine's
// workers post to this window, its idle step runs from the program's loop,
// and the status bar shows the job's state and counts. The panes come
// later; until then the message pane's lines go to the status bar.

#include <cstdint>
#include <memory>

#include "app/MainWindow.h"
#include "app/ZBraskLibrary.h"
#include "batch/Batch.h"
#include "engine/Window.h"
#include "engine/WindowViews.h"
#include "framework/AStr.h"
#include "ui/win32/ZStatusBar.h"
#include "ui/win32/ZWindow.h"

class Application;

class EngineMainWindow final : public ZWindow,
                               public MainWindow,
                               private BatchHost,
                               private WindowViews,
                               private MessagePane {
public:
    static constexpr DWORD kStyle = 0x52000000;  // visible child, clipped children and siblings
    static constexpr int kStatusBarId = 10012;

    explicit EngineMainWindow(Application& app);
    ~EngineMainWindow() override;

    bool create(HWND frame);
    const ZStatusBar& statusBar() const { return status_; }
    Window& engine() { return *engine_; }
    // The message pane of the text source; until the window has one, its
    // newest message goes to the status bar's message field.
    MessagePane* messagePane() { return this; }

    // MainWindow
    MessageLoop::Idle idle() override { return engine_->idle(); }
    void dispatch(const platform::Message& m) override;
    platform::WindowHandle handle() const override { return hwnd(); }
    bool jobIdle() const override { return engine_->jobState() == Window::kIdle; }
    bool startUrl(const char* url) override;
    bool openProject(const char* path) override;
    void postCommand(uint32_t command) override;
    bool mayClose() override;
    BatchHost& batchHost() override { return *this; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void onCommand(UINT id);

    // MessagePane
    void setMessages(const AStr& pane, const AStr& newest, bool repeat) override;

    // WindowViews
    void refreshStatusBar() override;
    void refreshThreadView() override {}
    void showMessage(const AStr& text) override;
    void updateNode(ToBeOpenTN*) override {}
    void updateCommands() override {}
    Answer askYesNoCancel(const AStr& text) override;
    AStr chooseProjectFile() override;

    // BatchHost
    bool idle() const override { return jobIdle(); }
    bool hasNamedProject() const override { return !projectPath_.empty(); }
    void saveAndCloseProject() override;
    bool openProject(const AStr& path) override { return openProject(path.c_str()); }
    void resetStatistics() override { refreshStatusBar(); }
    void startDialUpDeadline() override {}
    void command(int id) override { onCommand(static_cast<UINT>(id)); }
    void postCommand(int id) override { postCommand(static_cast<uint32_t>(id)); }
    void requestExit() override { postCommand(static_cast<uint32_t>(Window::kCommandExit)); }
    bool startTimer(int id, uint32_t periodMs) override;
    void stopTimer(int id) override;
    void restoreMenu() override {}

    Application& app_;
    ZStatusBar status_;
    std::unique_ptr<Window> engine_;
    AStr projectPath_;      // the current job's project file; empty while unnamed
    AStr defaultProject_;   // where an unnamed job's project goes when saved
    bool endingByItself_ = false;  // the job's end posted the exit command
    // The message field: the newest of the messages shown and the job
    // messages the engine set (stopping, canceled, a limit reached).
    AStr messageField_;
    AStr jobMessageSeen_;
};
