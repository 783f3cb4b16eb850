#include "ui/win32/ZApplication.h"

int ZApplication::run(MessageLoop::Handler& idle) {
    int count = 0;
    MessageLoop::Idle last = MessageLoop::Idle::More;
    for (;;) {
        MSG m;
        if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) return static_cast<int>(m.wParam);
            if (m.message == WM_KEYUP && m.wParam == VK_PAUSE) onPauseKey();
            processMessage(m);
            count = 0;
            last = MessageLoop::Idle::More;
            continue;
        }
        if (count > 0 && last == MessageLoop::Idle::Done) {
            WaitMessage();
            continue;
        }
        if (count > 0 && last == MessageLoop::Idle::Waiting) {
            // Sleep until a message or the poll interval, then idle again.
            if (MsgWaitForMultipleObjectsEx(0, nullptr, MessageLoop::kPollMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
                WAIT_TIMEOUT)
                continue;
        }
        last = idle.idle(count++);
    }
}

void ZApplication::processMessage(MSG& m) {
    if (preTranslateMessage(m)) return;
    TranslateMessage(&m);
    DispatchMessageA(&m);
}

bool ZApplication::preTranslateMessage(MSG& m) {
    HWND dialog = modelessDialog();
    return dialog && IsDialogMessageA(dialog, &m);
}
