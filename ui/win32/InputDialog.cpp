#include "ui/win32/InputDialog.h"

#include <string_view>

#include "app/Lang.h"

namespace {
// The longest line taken: the longest URL the internet library takes, and
// room to see that a paste was longer.
constexpr int kMostChars = 4096;

struct State {
    AStr* text;
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* s = reinterpret_cast<State*>(lParam);
        HWND edit = GetDlgItem(dialog, InputDialog::kEditId);
        SendMessageA(edit, EM_LIMITTEXT, kMostChars, 0);
        SetWindowTextA(edit, s->text->c_str());
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SetFocus(edit);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
        auto* s = reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (LOWORD(wParam) == IDOK && s) {
            HWND edit = GetDlgItem(dialog, InputDialog::kEditId);
            int n = GetWindowTextLengthA(edit);
            AStr text;
            if (n > 0) {
                char* p = text.resize(static_cast<size_t>(n));
                GetWindowTextA(edit, p, n + 1);
                text.fixLength();
            }
            *s->text = text;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}
}  // namespace

bool InputDialog::ask(HWND owner, AStr& text) {
    std::string_view bytes = ProgramLanguage().dialog(kTemplate);
    if (bytes.empty()) return false;
    AStr answer = text;
    State s{&answer};
    INT_PTR r = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                        owner, Procedure, reinterpret_cast<LPARAM>(&s));
    if (r != IDOK) return false;
    text = answer;
    return true;
}
