#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include "platform/ThreadPriority.h"

namespace platform {

// A thread is named by its kernel id, whose nice value is its own.
ThreadRef TakeCurrentThread() { return static_cast<ThreadRef>(syscall(SYS_gettid)); }

void ReleaseThread(ThreadRef) {}

bool SetThreadPriorityOf(ThreadRef t, int priority) {
    if (!t) return false;
    // Five nice steps per step of the window system's scale.
    int nice = std::clamp(-priority * 5, -20, 19);
    return setpriority(PRIO_PROCESS, static_cast<id_t>(t), nice) == 0;
}

}  // namespace platform
