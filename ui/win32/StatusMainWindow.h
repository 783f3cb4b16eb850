#pragma once
// The main window until the download engine's window takes its place: a
// status bar with the job state, the counts the workers' messages report
// and the last URL or project it was given. It takes no job of its own:
// a URL is shown, not downloaded, and projects do not open.

#include <cstdint>

#include "app/MainWindow.h"
#include "batch/Batch.h"
#include "framework/AStr.h"
#include "ui/win32/ZStatusBar.h"
#include "ui/win32/ZWindow.h"

class Application;

class StatusMainWindow final : public ZWindow, public MainWindow, private BatchHost {
public:
    static constexpr DWORD kStyle = 0x52000000;  // visible child, clipped children and siblings
    static constexpr int kStatusBarId = 10012;

    explicit StatusMainWindow(Application& app);

    bool create(HWND frame);
    const ZStatusBar& statusBar() const { return status_; }
    uint32_t files() const { return files_; }
    uint64_t bytes() const { return bytes_; }

    // MainWindow
    MessageLoop::Idle idle() override { return MessageLoop::Idle::Done; }
    void dispatch(const platform::Message& m) override;
    platform::WindowHandle handle() const override { return hwnd(); }
    bool jobIdle() const override { return state_ == 0; }
    bool startUrl(const char* url) override;
    bool openProject(const char* path) override;
    void postCommand(uint32_t command) override;
    bool mayClose() override { return true; }
    BatchHost& batchHost() override { return *this; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void refreshStatusBar();
    void layout();
    void onCommand(UINT id);

    // BatchHost: no project opens here, so a batch ends at its first step.
    bool idle() const override { return jobIdle(); }
    bool hasNamedProject() const override { return false; }
    void saveAndCloseProject() override {}
    bool openProject(const AStr& path) override { return openProject(path.c_str()); }
    void resetStatistics() override;
    void startDialUpDeadline() override {}
    void command(int id) override { onCommand(static_cast<UINT>(id)); }
    void postCommand(int id) override { postCommand(static_cast<uint32_t>(id)); }
    void requestExit() override {}
    bool startTimer(int id, uint32_t periodMs) override;
    void stopTimer(int id) override;
    void restoreMenu() override {}

    Application& app_;
    ZStatusBar status_;
    const UINT bytesRead_;
    const UINT threadEnd_;
    int state_ = 0;  // job state: 0 idle, 1 running, 2 finishing, 3 stopping, 4 dialling
    uint32_t files_ = 0;
    uint64_t bytes_ = 0;
    AStr message_;
};
