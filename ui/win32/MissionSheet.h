#pragma once
// The mission settings sheet: pages 100 (addresses, levels, output
// folder) and 101 (limits, file classes, code page, login) of the
// language library over a mission. Used for the current project, for the
// defaults and for a mission of the batch list.

#include <windows.h>

#include <functional>

#include "framework/AStr.h"

class ApplicationProfile;
class Mission;

struct MissionSheetSetup {
    // The defaults: no lists, no path, no login, no "also store".
    bool defaults = false;
    // While a job runs nothing may change: only Cancel and Help are left.
    bool jobRunning = false;
    // 0 or 1 for that page; -1 for the page that was open last.
    int firstPage = -1;
    // The help file's context of the Help button.
    int helpContext = kHelpContext;
    // What the output folder field shows while the mission has no path.
    AStr currentFolder;
    // Where the folder chooser opens when the field is empty.
    AStr defaultFolder;
    // Where the defaults are written (section "Defaults"); null: "also
    // store as defaults" is disabled and defaults mode writes nothing.
    ApplicationProfile* settings = nullptr;
    // The folder chooser (ChooseFolder by default); tests replace it.
    std::function<AStr(HWND owner, const AStr& start)> chooseFolder;

    static constexpr int kHelpContext = 100;
};

class MissionSheet {
public:
    static constexpr int kPages[2] = {100, 101};
    static constexpr int kCaption = 22008, kDefaultsCaption = 22180;
    static constexpr int kOkText = 25005, kCancelText = 25006, kHelpText = 22004;

    // Edits mission in place: 1 when the user confirmed (the mission then
    // holds the fields), 0 when canceled (the mission is as it was), -1
    // when the language library has no pages. In defaults mode, or when
    // "also store as defaults" was ticked, the edited settings are written
    // as the defaults into setup.settings.
    static int edit(HWND owner, Mission& mission, const MissionSheetSetup& setup);

    // The page that was open when the sheet last closed.
    static int lastPage();
};

// The batch dialog's entry: edit one mission of the batch list.
inline int EditMission(HWND owner, Mission& mission, const MissionSheetSetup& setup) {
    return MissionSheet::edit(owner, mission, setup);
}
