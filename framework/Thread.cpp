#include "framework/Thread.h"

#include <system_error>

#include "framework/ZThreadCache.h"
#include "platform/Clock.h"

Thread::Thread(platform::WindowHandle owner, bool useCache) : owner_(owner), useCache_(useCache) {}

Thread::~Thread() { dropHolder(); }

uint32_t Thread::endMessage() {
    static const uint32_t id = platform::RegisterMessage("_WM_THREADEND");
    return id;
}

uint32_t ThreadBase::bytesReadMessage() {
    static const uint32_t id = platform::RegisterMessage("_WM_BYTESREAD");
    return id;
}

bool Thread::post(uint32_t id, uintptr_t wParam) const {
    return owner_ && platform::PostMessageTo(owner_, id, wParam, reinterpret_cast<intptr_t>(this));
}

uint32_t Thread::run() {
    post(endMessage(), 0);
    return 0;
}

void Thread::stop() {
    stopEvent_.set();
    std::lock_guard<std::mutex> g(cancelLock_);
    if (cancelTarget_) cancelTarget_->cancel();
}

void Thread::setCancelTarget(Cancelable* target) {
    std::lock_guard<std::mutex> g(cancelLock_);
    cancelTarget_ = target;
}

int32_t Thread::addRef() {
    std::lock_guard<std::mutex> g(countLock_);
    return ++refCount_;
}

int32_t Thread::release() {
    int32_t n;
    {
        std::lock_guard<std::mutex> g(countLock_);
        n = --refCount_;
    }
    // Deleted outside the lock: the lock is part of the object.
    if (n == 0) delete this;
    return n;
}

void Thread::finish() {
    int32_t n;
    {
        std::lock_guard<std::mutex> g(countLock_);
        finishedEvent_.set();
        n = --refCount_;
    }
    if (n == 0) delete this;
}

void Thread::body(Thread* t) {
    {
        std::lock_guard<std::mutex> g(t->holderLock_);
        t->running_ = platform::TakeCurrentThread();
        if (t->priority_) (void)platform::SetThreadPriorityOf(t->running_, t->priority_);
    }
    t->exitCode_ = t->run();
    {
        // A cached thread goes on serving others at the normal priority.
        std::lock_guard<std::mutex> g(t->holderLock_);
        if (t->priority_) (void)platform::SetThreadPriorityOf(t->running_, 0);
        platform::ReleaseThread(t->running_);
        t->running_ = 0;
    }
    t->finish();
}

bool Thread::setPriority(int priority) {
    std::lock_guard<std::mutex> g(holderLock_);
    priority_ = priority;
    return !running_ || platform::SetThreadPriorityOf(running_, priority);
}

void Thread::dropHolder() {
    std::lock_guard<std::mutex> g(holderLock_);
    // A new thread was detached when it started and ends by itself; a
    // cached one goes back to idle once the body returned.
    started_ = false;
    cached_ = nullptr;
}

bool Thread::hasThread() const {
    std::lock_guard<std::mutex> g(holderLock_);
    return started_ || cached_;
}

bool Thread::start() {
    addRef();
    dropHolder();
    finishedEvent_.reset();
    std::lock_guard<std::mutex> g(holderLock_);
    if (useCache_) {
        cached_ = ZThreadCache::instance().take();
        if (cached_) {
            cached_->serve(this);
            return true;
        }
    } else {
        try {
            std::thread(body, this).detach();
            started_ = true;
            return true;
        } catch (const std::system_error&) {
        }
    }
    finishedEvent_.set();
    // The starter still holds its reference, so this never deletes.
    release();
    return false;
}

uint32_t Thread::waitForExitCode() {
    if (!hasThread()) return exitCode_;
    finishedEvent_.wait();
    return exitCode_;
}

void ThreadBase::reportProgress(uint32_t n) {
    if (interval_ == 0) return;
    uint32_t now = platform::TickCount();
    if (nextReport_ == 0) nextReport_ = now + interval_;
    unreported_ += n;
    if (n > 0 && !platform::TickPassed(now, nextReport_)) return;
    if (unreported_) post(bytesReadMessage(), unreported_);
    unreported_ = 0;
    nextReport_ = now + interval_;
}
