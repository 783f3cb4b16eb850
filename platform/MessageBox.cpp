#include "platform/MessageBox.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<MessageBoxHook> gHook{nullptr};
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) { return gHook.exchange(hook); }

int ShowMessageBox(void* owner, const char* text, const char* title, MessageIcon icon, MessageButtons buttons) {
    if (!text) text = "";
    if (!title) title = "";
    if (MessageBoxHook hook = gHook.load()) return hook(owner, text, title, icon, buttons);
    return SystemMessageBox(owner, text, title, icon, buttons);
}

}  // namespace platform
