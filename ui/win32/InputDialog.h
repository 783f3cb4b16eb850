#pragma once
// A dialog of the language library with one line of input (dialog 1000:
// the edit field 1001, OK and Cancel), modal over its owner.

#include <windows.h>

#include "framework/AStr.h"

class InputDialog {
public:
    static constexpr int kTemplate = 1000;
    static constexpr int kEditId = 1001;

    // Shows the dialog with text in the field; true and the field's text
    // when the user confirmed, false when canceled or when the library has
    // no such dialog.
    static bool ask(HWND owner, AStr& text);
};
