#pragma once
// The framework's dialog: a template of the language library, run modal
// over its owner or kept modeless, with OnInit/OnCommand handlers. The
// controls hold their texts in UTF-16, read and written here in the
// program's own code page (the language library's), so that a Russian
// library reads right whatever the system's code page. A Help button
// (IDHELP) opens the language's help file at the dialog's context and is
// disabled when no help file is installed.

#include <windows.h>

#include "framework/AStr.h"

class ZDialog {
public:
    explicit ZDialog(int templateId, int helpContext = 0) : template_(templateId), helpContext_(helpContext) {}
    ZDialog(const ZDialog&) = delete;
    ZDialog& operator=(const ZDialog&) = delete;
    virtual ~ZDialog();

    // Runs the dialog until it ends; its result, or -1 when the library
    // has no such template or the dialog could not be made.
    INT_PTR runModal(HWND owner);
    // Makes the dialog and returns at once; false when it could not be
    // made. end() destroys it then, and result() tells how it ended.
    bool createModeless(HWND owner);
    HWND hwnd() const { return hwnd_; }
    bool modeless() const { return modeless_; }
    INT_PTR result() const { return result_; }
    void end(INT_PTR result);

    // The help file for the dialogs; replaceable in tests. Empty: none.
    static AStr helpFile();

    // Control texts in the program's code page.
    AStr itemText(int id) const;
    void setItemText(int id, std::string_view text) const;
    bool checked(int id) const;
    void setChecked(int id, bool on) const;
    void enable(int id, bool on) const;
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    // The keyboard focus to a control, once the message being handled
    // (a button's click) is done with it.
    void focus(int id) const;

protected:
    // WM_INITDIALOG; false when the dialog is not to be shown (it ends
    // with -1 then).
    virtual bool onInit() { return true; }
    // A command of a control; true when it was handled. IDCANCEL ends the
    // dialog unless handled here.
    virtual bool onCommand(UINT id, UINT code) {
        (void)id, (void)code;
        return false;
    }
    // Any other message; true with result set when it was handled.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
        (void)message, (void)wParam, (void)lParam, (void)result;
        return false;
    }
    // The modeless dialog's window is gone.
    virtual void onDestroyed() {}
    // Opens the help file at the dialog's context.
    void showHelp() const;

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int template_;
    int helpContext_;
    HWND hwnd_ = nullptr;
    bool modeless_ = false;
    INT_PTR result_ = -1;
};
