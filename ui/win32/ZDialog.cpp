#include "ui/win32/ZDialog.h"

#include <string>

#include "app/Lang.h"
#include "app/LanguageFile.h"
#include "ui/win32/DialogHelp.h"
#include "ui/win32/DialogText.h"

ZDialog::~ZDialog() {
    if (hwnd_ && modeless_) DestroyWindow(hwnd_);
}

AStr ZDialog::helpFile() { return HelpInstalled() ? ProgramHelpPath() : AStr(); }

INT_PTR ZDialog::runModal(HWND owner) {
    std::string_view bytes = ProgramLanguage().dialog(template_);
    if (bytes.empty()) return -1;
    modeless_ = false;
    result_ = -1;
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), owner,
                                   procedure, reinterpret_cast<LPARAM>(this));
}

bool ZDialog::createModeless(HWND owner) {
    if (hwnd_) return true;
    std::string_view bytes = ProgramLanguage().dialog(template_);
    if (bytes.empty()) return false;
    modeless_ = true;
    result_ = -1;
    HWND h = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                        owner, procedure, reinterpret_cast<LPARAM>(this));
    if (!h) return false;
    ShowWindow(h, SW_SHOW);
    return true;
}

void ZDialog::end(INT_PTR result) {
    result_ = result;
    if (!hwnd_) return;
    if (modeless_) DestroyWindow(hwnd_);
    else EndDialog(hwnd_, result);
}

AStr ZDialog::itemText(int id) const { return ItemAStr(hwnd_, id); }

void ZDialog::setItemText(int id, std::string_view text) const { SetItemText(hwnd_, id, text); }

bool ZDialog::checked(int id) const { return Checked(hwnd_, id); }

void ZDialog::setChecked(int id, bool on) const { SetChecked(hwnd_, id, on); }

void ZDialog::enable(int id, bool on) const { EnableItem(hwnd_, id, on); }

void ZDialog::focus(int id) const {
    if (HWND h = item(id)) PostMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
}

void ZDialog::showHelp() const {
    if (helpContext_) (void)ShowHelp(hwnd_, helpContext_);
}

INT_PTR CALLBACK ZDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ZDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ZDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->hwnd_ = dialog;
    } else {
        self = reinterpret_cast<ZDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR r = self->dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        if (self->modeless_) self->onDestroyed();
    }
    return r;
}

INT_PTR ZDialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // Help where a help file is there to open.
        enable(IDHELP, helpContext_ != 0 && !helpFile().empty());
        if (!onInit()) {
            end(-1);
            return TRUE;
        }
        return TRUE;
    case WM_COMMAND: {
        UINT id = LOWORD(wParam), code = HIWORD(wParam);
        if (onCommand(id, code)) return TRUE;
        if (id == IDHELP && code == BN_CLICKED) {
            showHelp();
            return TRUE;
        }
        if (id == IDCANCEL) {
            end(IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        showHelp();
        return TRUE;
    default: {
        INT_PTR result = 0;
        if (onMessage(message, wParam, lParam, result)) return result;
        return FALSE;
    }
    }
}
