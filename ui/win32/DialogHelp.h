#pragma once
// The help buttons of the dialogs: the language's help file opened at a
// context. Without a help file the button is disabled rather than left to
// fail.

#include <windows.h>

#include <functional>

#include "framework/AStr.h"

// Whether the language in use has its help file on the disk.
bool HelpInstalled();
// Opens the help file at context over owner; false when there is none.
bool ShowHelp(HWND owner, int context);
// What opens the help file (WinHelp by default): tests see the call here
// instead of a help window.
using HelpOpener = std::function<void(HWND owner, const AStr& path, int context)>;
void SetHelpOpener(HelpOpener opener);
