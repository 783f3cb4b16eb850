#include "ui/win32/InputDialog.h"

#include "platform/Text.h"
#include "ui/win32/ZDialog.h"

namespace {
// The longest line taken: the longest URL the internet library takes, and
// room to see that a paste was longer.
constexpr int kMostChars = 4096;

class Input final : public ZDialog {
public:
    Input(AStr& text, const AStr& title, const AStr& prompt)
        : ZDialog(InputDialog::kTemplate), text_(text), title_(title), prompt_(prompt) {}

private:
    bool onInit() override {
        if (!title_.empty()) SetWindowTextW(hwnd(), platform::WideText(title_).c_str());
        if (!prompt_.empty()) setItemText(InputDialog::kPromptId, prompt_);
        HWND edit = item(InputDialog::kEditId);
        SendMessageW(edit, EM_LIMITTEXT, kMostChars, 0);
        setItemText(InputDialog::kEditId, text_);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return true;
    }
    bool onCommand(UINT id, UINT) override {
        if (id != IDOK) return false;
        text_ = itemText(InputDialog::kEditId);
        end(IDOK);
        return true;
    }

    AStr& text_;
    const AStr& title_;
    const AStr& prompt_;
};
}  // namespace

bool InputDialog::ask(HWND owner, AStr& text, const AStr& title, const AStr& prompt) {
    AStr answer = text;
    Input dialog(answer, title, prompt);
    if (dialog.runModal(owner) != IDOK) return false;
    text = answer;
    return true;
}
