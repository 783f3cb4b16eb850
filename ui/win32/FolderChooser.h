#pragma once
// The shell's folder chooser over owner, titled with text 22063 and
// opened at start; the chosen folder, or empty when canceled.

#include <windows.h>

#include "framework/AStr.h"

AStr ChooseFolder(HWND owner, const AStr& start);
