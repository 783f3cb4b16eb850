#pragma once
// The common file dialogs for project files: the filter of text 25001,
// extension ".zbp".

#include <windows.h>

#include "framework/AStr.h"

// The file the user chose, "" when canceled. name: the file offered at
// first (may be ""); folder: where the dialog starts when name has none. A
// dialog that fails is said in a message box with the library's text for
// its error.
AStr ChooseProjectFile(HWND owner, bool save, const AStr& name, const AStr& folder);
