#include <windows.h>

#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace platform {

int SystemMessageBox(void* owner, const char* text, const char* title, MessageIcon icon, MessageButtons buttons) {
    UINT type = MB_TASKMODAL;
    switch (buttons) {
    case MessageButtons::Ok: type |= MB_OK; break;
    case MessageButtons::OkCancel: type |= MB_OKCANCEL; break;
    case MessageButtons::YesNo: type |= MB_YESNO; break;
    }
    switch (icon) {
    case MessageIcon::None: break;
    case MessageIcon::Error: type |= MB_ICONERROR; break;
    case MessageIcon::Warning: type |= MB_ICONWARNING; break;
    case MessageIcon::Information: type |= MB_ICONINFORMATION; break;
    case MessageIcon::Question: type |= MB_ICONQUESTION; break;
    }
    return MessageBoxW(static_cast<HWND>(owner), WideText(text ? text : "").c_str(), WideText(title ? title : "").c_str(),
                       type);
}

}  // namespace platform
