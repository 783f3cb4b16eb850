#pragma once
// A dialog of the language library with one line of input (dialog 1000:
// the edit field 1001, its prompt 1002, OK and Cancel), modal over its
// owner.

#include <windows.h>

#include "framework/AStr.h"

class InputDialog {
public:
    static constexpr int kTemplate = 1000;
    static constexpr int kEditId = 1001;
    static constexpr int kPromptId = 1002;

    // Shows the dialog with text in the field; true and the field's text
    // when the user confirmed, false when canceled or when the library has
    // no such dialog. A title or prompt given replaces the template's.
    static bool ask(HWND owner, AStr& text, const AStr& title = AStr(), const AStr& prompt = AStr());
};
