#pragma once
// The priority of a running thread, changed from another thread. The
// thread takes its own handle when it starts and gives it back before it
// ends; the numbers are the window system's (-2 lowest, -1 below normal,
// 0 normal, 1 above normal, 2 highest, -15 idle, 15 time critical).

#include <cstdint>

namespace platform {

using ThreadRef = uintptr_t;  // 0: none

// Called on the thread itself.
ThreadRef TakeCurrentThread();
void ReleaseThread(ThreadRef t);
// False when the system refuses (POSIX: raising needs privileges).
bool SetThreadPriorityOf(ThreadRef t, int priority);

}  // namespace platform
