#pragma once
// The main window's menu, keys and commands: menu 1 and accelerators 1 of
// the language library, the states of the menu items and toolbar buttons
// as the job allows them, the project commands with the recent list, the
// job's commands behind the engine's gate, and the language switch.

#include <windows.h>

#include <functional>
#include <memory>

#include "app/RecentProjects.h"
#include "batch/Batch.h"
#include "framework/AStr.h"
#include "ui/panes/CommandStates.h"

class DialDialog;
class EngineMainWindow;

class MainCommands {
public:
    // The texts of the commands.
    static constexpr int kTextAboutTitle = 22190;
    static constexpr int kTextAbout = 22191;          // with the version
    static constexpr int kTextDeleteDownloads = 22192;  // with the output folder
    static constexpr int kTextStopped = 22193;
    static constexpr int kTextNoLanguage = 22194;     // with the library's path
    static constexpr int kTextLanguageLater = 22072;  // the language chosen waits for the next start
    static constexpr int kMenuId = 1, kAcceleratorsId = 1;
    // The separator put in above the recent projects.
    static constexpr UINT kRecentSeparator = 189;

    explicit MainCommands(EngineMainWindow& window);
    ~MainCommands();
    MainCommands(const MainCommands&) = delete;
    MainCommands& operator=(const MainCommands&) = delete;

    // After the window is made: the recent list, the keys, the states.
    void start();
    // True when id is one of these commands (then it was carried out).
    bool run(UINT id);
    // The frame's menu and the keys from the language library again.
    void reloadMenu();
    // Enables, disables and checks every item of menu (the frame's when
    // null), the recent projects put in.
    void refreshMenu(HMENU menu = nullptr);
    // The toolbar's buttons, when what decides them changed.
    void refreshToolbar();
    // The accelerators: true when m was a key of a command (then it was
    // sent).
    bool translate(MSG& m);

    // The code of the language library in use ("enu"), from its file name.
    AStr languageCode() const;
    // Loads another language library and shows the window in it: menu,
    // keys, toolbar, status bar. False (nothing changed) while downloads
    // run or when there is no library for code.
    bool switchLanguage(const AStr& code);

    bool enabled(int id) const { return CommandEnabled(id, snapshot()); }
    const RecentProjects& recent() const { return recent_; }
    // Where a project file is chosen: save or open, the name offered, the
    // folder to start in. The common dialog by default; tests replace it.
    std::function<AStr(bool save, const AStr& name, const AStr& folder)> choosePath;
    // The start address of a new download: the input dialog by default.
    std::function<bool(AStr& url)> askUrl;

    // What the gate calls to name an unnamed project that is to be saved.
    AStr chooseSaveName(const AStr& offered);
    // The batch dialog on a copy of the batch: the result it ended with
    // (IDOK, IDCANCEL, or 103 when the batch was started). The dialog by
    // default; tests replace how it runs.
    std::function<INT_PTR(Batch& copy, const AStr& project)> runBatchDialog;
    // The modeless dial-up dialog, null until it was first opened.
    DialDialog* dialDialog() const { return dial_.get(); }

private:
    JobSnapshot snapshot() const;
    void newDownload();
    void open();
    void openRecent(int index);
    // After a successful open or save: the recent list, written at once.
    void remember(const AStr& path);
    void save();
    void saveAs();
    void updateRun();
    void copyUrl();
    void openInBrowser();
    void about();
    void deleteDownloads();
    void batch();
    void dialUp();
    // The settings dialogs: the current project's mission sheet, the
    // defaults' sheet, the program options.
    void missionSheet();
    void defaultSettings();
    void programOptions();
    void putRecentItems(HMENU file);
    void refreshItems(HMENU menu, const JobSnapshot& job);
    HWND frame() const;
    AStr languageFolder() const;

    EngineMainWindow& w_;
    RecentProjects recent_;
    HACCEL accelerators_ = nullptr;  // owned: a copy, so that no library holds it
    // What the toolbar shows now, so that the idle steps change nothing
    // that did not change.
    JobSnapshot shown_;
    uint32_t shownViews_ = 0;
    int shownTab_ = 0;
    bool toolbarShown_ = false;
    std::unique_ptr<DialDialog> dial_;
};
