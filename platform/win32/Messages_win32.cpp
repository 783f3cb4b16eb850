#include <windows.h>

#include "platform/Messages.h"

namespace platform {

struct MessageQueue::Impl {
    HWND window = nullptr;
};

uint32_t RegisterMessage(const char* name) { return name && *name ? RegisterWindowMessageA(name) : 0; }

bool PostMessageTo(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    return window && PostMessageA(static_cast<HWND>(window), id, wParam, lParam) != 0;
}

MessageQueue::MessageQueue() : impl_(std::make_unique<Impl>()) {
    // A message-only window of the predefined static class: no class to
    // register, never shown.
    impl_->window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

MessageQueue::~MessageQueue() {
    if (impl_->window) DestroyWindow(impl_->window);
}

WindowHandle MessageQueue::handle() const { return impl_->window; }

bool MessageQueue::wait(uint32_t timeoutMs, Message& out) {
    if (!impl_->window) return false;
    DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        if (PeekMessageA(&m, impl_->window, 0, 0, PM_REMOVE)) {
            out = Message{m.message, m.wParam, m.lParam};
            return true;
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - spent, QS_POSTMESSAGE);
    }
}

}  // namespace platform
