#pragma once
// The program options (dialog 102 of the language library): the interface
// language, the default output folder, the user agent, what the link view
// shows, and the connection: proxy, its login, exit at the end of a job.

#include <windows.h>

#include <functional>

#include "app/ProgramOptions.h"
#include "app/ProxySettings.h"
#include "framework/AStr.h"

struct ProgramSettings {
    ProgramOptions options;
    ProxySettings proxy;
    bool exitOnEnd = false;  // "DLoad" / "ExitOnEnd"
};

struct OptionsSetup {
    // Where the language libraries "zb???.dll" are listed from.
    AStr languageFolder;
    int helpContext = kHelpContext;
    // The folder chooser of the default folder (ChooseFolder by default).
    std::function<AStr(HWND owner, const AStr& start)> chooseFolder;

    static constexpr int kHelpContext = 102;
};

class OptionsDialog {
public:
    static constexpr int kTemplate = 102;
    static constexpr int kBadPortText = 22240;

    // 1 when confirmed (settings then holds the dialog's values), 0 when
    // canceled, -1 when the language library has no such dialog. A proxy
    // port that is no port is said, and the dialog stays open.
    static int edit(HWND owner, ProgramSettings& settings, const OptionsSetup& setup);
};
