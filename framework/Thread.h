#pragma once
// Background threads. A Thread is shared by the thread that runs it and
// the window that started it: the reference count starts at 1 (the
// starter's), start adds the running thread's, and the last release
// deletes the object. The owner window gets the end message; stop sets the
// stop event and cancels the cancel target's work.

#include <cstdint>
#include <mutex>
#include <thread>

#include "framework/Event.h"
#include "platform/Messages.h"
#include "platform/ThreadPriority.h"

class ZCachedThread;

// Work that another thread can break off (a session whose close makes
// blocked reads fail).
class Cancelable {
public:
    virtual void cancel() = 0;

protected:
    ~Cancelable() = default;
};

class Thread {
public:
    explicit Thread(platform::WindowHandle owner = nullptr, bool useCache = false);
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Virtual operations in this order.
    virtual ~Thread();
    // The work; the default posts the end message with wParam 0.
    virtual uint32_t run();
    virtual void stop();
    virtual bool stopRequested() const { return stopEvent_.isSet(); }
    virtual bool stillRunning() const { return !finishedEvent_.isSet(); }
    virtual int32_t addRef();
    // At 0 the object deletes itself; returns the new count.
    virtual int32_t release();
    // Called on the running thread when run returned.
    virtual void finish();

    // False when no thread could be had; the reference start took is then
    // given back.
    bool start();
    // Waits without limit for the end of a started run, then gives its
    // result (0 when never started).
    uint32_t waitForExitCode();
    bool waitFinished(uint32_t timeoutMs) const { return finishedEvent_.wait(timeoutMs); }
    uint32_t exitCode() const { return exitCode_; }
    // Whether a thread serves this object (it has been started).
    bool hasThread() const;
    void setCancelTarget(Cancelable* target);
    // The window system's priority numbers; kept for a thread that has not
    // begun yet. False when the system refuses it.
    bool setPriority(int priority);
    platform::WindowHandle owner() const { return owner_; }

    // The registered end message, "_WM_THREADEND".
    static uint32_t endMessage();

protected:
    // Posts to the owner window; false when there is none or it is gone.
    bool post(uint32_t id, uintptr_t wParam) const;

private:
    friend class ZCachedThread;
    // The body of every thread that serves a Thread.
    static void body(Thread* t);
    void dropHolder();

    platform::WindowHandle owner_;
    Event finishedEvent_;
    Event stopEvent_;
    uint32_t exitCode_ = 0;

    mutable std::mutex holderLock_;
    bool started_ = false;                  // a new thread, detached, was started
    ZCachedThread* cached_ = nullptr;       // or a cached one serves this object
    platform::ThreadRef running_ = 0;        // the system's thread while run is under way
    int priority_ = 0;
    bool useCache_;

    std::mutex countLock_;
    int32_t refCount_ = 1;

    std::mutex cancelLock_;
    Cancelable* cancelTarget_ = nullptr;
};

// A thread that reports progress: what arrives between reports is summed
// and posted at most once an interval as "_WM_BYTESREAD".
class ThreadBase : public Thread {
public:
    ThreadBase(platform::WindowHandle owner, uint32_t intervalMs) : Thread(owner), interval_(intervalMs) {}

    // Adds n bytes; posts the sum when the interval has passed. n = 0
    // always posts what is pending.
    void reportProgress(uint32_t n);

    static uint32_t bytesReadMessage();

private:
    uint32_t interval_;
    uint32_t nextReport_ = 0;
    uint32_t unreported_ = 0;
};
