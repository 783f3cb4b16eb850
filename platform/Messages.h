#pragma once
// Registered messages posted to a window from any thread and handled on
// the window's own thread. Windows: RegisterWindowMessage and PostMessage
// to a window handle. POSIX: the handle names a thread-safe queue that the
// console's loop drains; posting to a queue that is gone fails instead of
// touching freed memory, as posting to a destroyed window fails.

#include <cstdint>
#include <memory>

namespace platform {

using WindowHandle = void*;

struct Message {
    uint32_t id = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// The same number for the same name (compared without case) within the
// process; registered numbers lie from 0xC000 to 0xFFFF. 0 when it fails.
uint32_t RegisterMessage(const char* name);

// Puts the message behind the others of the window and returns at once;
// false (nothing posted) for a null or dead window.
bool PostMessageTo(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam);

// A receiver of posted messages, created on and drained by one thread:
// Windows a message-only window, POSIX the queue itself.
class MessageQueue {
public:
    MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;
    ~MessageQueue();

    WindowHandle handle() const;
    // The oldest message, waiting up to timeoutMs for one; false when none
    // came. Call it on the thread that created the queue.
    bool wait(uint32_t timeoutMs, Message& out);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
