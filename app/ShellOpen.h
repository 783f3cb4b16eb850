#pragma once
// Opening a URL or a file with the user's programs: the browser (the
// ".htm" open command) or the shell's default "open".

#include "app/Lang.h"
#include "framework/AStr.h"

// How a target is to be started.
struct ShellCommand {
    bool useBrowser = false;  // false: the shell's default "open" of target
    AStr program;
    AStr parameters;
};

// With browser set and a target that is not a "mailto:" address (case
// ignored), the ".htm" open command htmCommand runs with the target put in
// for "%1", or after a blank when it has no "%1". The shell's default
// open is used otherwise, and when there is no such command.
ShellCommand BuildShellCommand(const AStr& target, bool browser, const AStr& htmCommand);

// The message for a file the existence check did not find: probeCode is
// the file search's error code (2 or 3: text 22073; 18 or 0: the error
// text for 2; any other: the error text for that code).
AStr MissingFileMessage(const LangWithError& lang, int probeCode);

// Opens target over window. With checkExists set a missing file is
// reported instead. A start that fails is reported with the run error
// text, titled with the target. Returns the shell's result: above 32
// when started.
int ShellOpen(void* window, const AStr& target, bool checkExists, bool browser);
