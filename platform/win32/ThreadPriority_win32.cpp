#include <windows.h>

#include "platform/ThreadPriority.h"

namespace platform {

ThreadRef TakeCurrentThread() {
    HANDLE h = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId());
    return reinterpret_cast<ThreadRef>(h);
}

void ReleaseThread(ThreadRef t) {
    if (t) CloseHandle(reinterpret_cast<HANDLE>(t));
}

bool SetThreadPriorityOf(ThreadRef t, int priority) {
    return t && SetThreadPriority(reinterpret_cast<HANDLE>(t), priority) != 0;
}

}  // namespace platform
