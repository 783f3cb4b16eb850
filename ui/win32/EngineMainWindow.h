#pragma once
// The main window with the download engine behind it: the engine's
// workers post to this window, its idle step runs from the program's loop.
// It holds the panes, lays them out as the view state says and keeps that
// state in the settings file; the status bar shows the job's state and
// counts.

#include <cstdint>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "app/ZBraskLibrary.h"
#include "batch/Batch.h"
#include "engine/Window.h"
#include "engine/WindowViews.h"
#include "framework/AStr.h"
#include "ui/panes/PaneLayout.h"
#include "ui/win32/FileView.h"
#include "ui/win32/LineList.h"
#include "ui/win32/LinkView.h"
#include "ui/win32/MainCommands.h"
#include "ui/win32/MainPanes.h"
#include "ui/win32/ZWindow.h"

class Application;

class EngineMainWindow final : public ZWindow,
                               public MainWindow,
                               private BatchHost,
                               private WindowViews,
                               private MessagePane {
public:
    static constexpr DWORD kStyle = 0x52000000;  // visible child, clipped children and siblings
    // The dial-up dialog's two connection buttons.
    static constexpr UINT kCommandDial = 3310;
    static constexpr UINT kCommandHangUp = 3309;

    explicit EngineMainWindow(Application& app);
    ~EngineMainWindow() override;

    bool create(HWND frame);
    const ZStatusBar& statusBar() const { return panes_.statusBar(); }
    MainPanes& panes() { return panes_; }
    FileView& fileView() { return fileView_; }
    LinkView& linkView() { return linkView_; }
    const LineList& messageList() const { return messages_; }
    const LineList& threadView() const { return threads_; }
    const PaneLayout& layout() const { return layout_; }
    Window& engine() { return *engine_; }
    MainCommands& commands() { return commands_; }
    // The node the views have chosen (the file view's selection): what
    // "copy URL" copies. Null: the project's first start URL.
    void setCurrentNode(const ToBeOpenTN* node);
    AStr currentUrl() const;
    // What double-click and Enter do on a node of the views: its stored
    // file shown in the page view, or, when it has none, the offer to fetch it.
    void openNode(ToBeOpenTN* node);
    // What "open in the web browser" opens: the page the page view shows,
    // else the current node's stored file, else its address.
    std::string browserTarget();
    const AStr& projectPath() const { return projectPath_; }
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
    friend class MainCommands;
    // An unnamed job whose one start URL is url, without asking the gate.
    bool startNewJob(const char* url);
    void onCommand(UINT id, UINT notification);
    // Lays the panes out again; writes a splitter percentage that changed.
    void relayout(bool writePercentages);
    void writeViewState();
    // The views' notifications: their items, their selection, a node opened.
    bool onViewNotify(const NMHDR* header, LRESULT& result);
    void showStoredFile(const std::string& path);
    // With the engine's news: the nodes made meanwhile show in batches,
    // and everything the job met once it ended.
    void catchUpViews();
    // The node's stored file when it is on disk; empty otherwise.
    std::string storedFileOf(const ToBeOpenTN& node) const;

    // MessagePane
    void setMessages(const AStr& pane, const AStr& newest, bool repeat) override;

    // WindowViews
    void refreshStatusBar() override;
    void refreshThreadView() override;
    void showMessage(const AStr& text) override;
    void showStatusText(const AStr& text) override;
    void showProgress(const AStr& text) override;
    void updateNode(ToBeOpenTN* node) override;
    void nodeAdded(ToBeOpenTN* node) override;
    void nodeRemoved(ToBeOpenTN* node) override;
    void graphReset() override;
    void updateCommands() override;
    Answer askYesNoCancel(const AStr& text) override;
    AStr chooseProjectFile() override;

    // BatchHost
    bool idle() const override { return jobIdle(); }
    bool hasNamedProject() const override { return !projectPath_.empty(); }
    void saveAndCloseProject() override;
    bool openProject(const AStr& path) override { return openProject(path.c_str()); }
    void resetStatistics() override { engine_->resetStatistics(); }
    void startDialUpDeadline() override { engine_->startDialUpDeadline(); }
    void command(int id) override { onCommand(static_cast<UINT>(id), 0); }
    void postCommand(int id) override { postCommand(static_cast<uint32_t>(id)); }
    void requestExit() override { postCommand(static_cast<uint32_t>(Window::kCommandExit)); }
    bool startTimer(int id, uint32_t periodMs) override;
    void stopTimer(int id) override;
    void restoreMenu() override { commands_.reloadMenu(); }

    Application& app_;
    MainPanes panes_;
    FileView fileView_;
    LinkView linkView_;
    LineList messages_;  // the lower-left pane: the message history
    LineList threads_;   // the lower-right pane: the running downloads
    PaneLayout layout_;
    RECT band_ = {};  // between toolbar and status bar, as last laid out
    std::unique_ptr<Window> engine_;
    AStr projectPath_;      // the current job's project file; empty while unnamed
    AStr defaultProject_;   // where an unnamed job's project goes when saved
    bool endingByItself_ = false;  // the job's end posted the exit command
    bool wasIdle_ = true;          // the job's state at the last news, to see its end
    // The message field: the newest of the messages shown and the job
    // messages the engine set (stopping, canceled, a limit reached).
    AStr messageField_;
    AStr jobMessageSeen_;
    AStr statusText_;  // a passing text (the tree file read, links taken in) over the message
    DWORD progressTick_ = 0;  // when progress was last painted
    AStr currentUrl_;         // the current node's; empty: the first start URL
    MainCommands commands_{*this};
};
