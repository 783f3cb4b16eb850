#pragma once
// Message boxes. Windows: a task-modal box over an owner window, its texts
// taken in the program's text code page (platform/Text.h).
// POSIX (console): "title: text" on stderr, answered without asking.

namespace platform {

enum class MessageIcon { None, Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };

// The button that closed the box, as Windows numbers them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// owner is the HWND the box is modal to, or null. Returns the button
// pressed; on POSIX the box is written out and answered with the cautious
// choice (OK, Cancel, No), since a console run has nobody to ask.
int ShowMessageBox(void* owner, const char* text, const char* title, MessageIcon icon = MessageIcon::None,
                   MessageButtons buttons = MessageButtons::Ok);

// Replaces every box with a call of hook (tests capture the messages this
// way); null restores the system's box. Returns the hook it replaced.
using MessageBoxHook = int (*)(void* owner, const char* text, const char* title, MessageIcon icon,
                               MessageButtons buttons);
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// The platform's own box; ShowMessageBox calls it when no hook is set.
int SystemMessageBox(void* owner, const char* text, const char* title, MessageIcon icon, MessageButtons buttons);

}  // namespace platform
