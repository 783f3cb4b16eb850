// The thread classes and the message service they post through: reference
// counting with self-deletion, stop with its cancel target, the exit code,
// cached threads, progress reports by interval.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "framework/Thread.h"
#include "framework/ZThreadCache.h"
#include "platform/Messages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

std::atomic<int> gDeleted{0};

// Runs until stopped, or returns 7 at once.
struct Worker : Thread {
    explicit Worker(platform::WindowHandle owner, bool wait = false, bool cache = false)
        : Thread(owner, cache), wait_(wait) {}
    ~Worker() override { ++gDeleted; }
    uint32_t run() override {
        ranOn = std::this_thread::get_id();
        while (wait_ && !stopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        post(endMessage(), 42);
        return stopRequested() ? 1223 : 7;
    }
    bool wait_;
    std::thread::id ranOn;
};

struct Canceler : Cancelable {
    void cancel() override { ++calls; }
    int calls = 0;
};

TEST(MessageService, RegisteredNamesArePostedInOrder) {
    uint32_t a = platform::RegisterMessage("_WM_TEST_A");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(a, platform::RegisterMessage("_wm_test_a"));
    uint32_t b = platform::RegisterMessage("_WM_TEST_B");
    EXPECT_NE(a, b);
    EXPECT_EQ(0u, platform::RegisterMessage(""));

    platform::MessageQueue q;
    platform::Message m;
    EXPECT_FALSE(q.wait(10, m));
    std::thread t([&] {
        EXPECT_TRUE(platform::PostMessageTo(q.handle(), a, 1, -5));
        EXPECT_TRUE(platform::PostMessageTo(q.handle(), b, 2, 6));
    });
    t.join();
    ASSERT_TRUE(q.wait(1000, m));
    EXPECT_EQ(a, m.id);
    EXPECT_EQ(1u, m.wParam);
    EXPECT_EQ(-5, m.lParam);
    ASSERT_TRUE(q.wait(1000, m));
    EXPECT_EQ(b, m.id);
    EXPECT_FALSE(platform::PostMessageTo(nullptr, a, 0, 0));
}

TEST(MessageService, PostingToAGoneQueueFails) {
    platform::WindowHandle h;
    {
        platform::MessageQueue q;
        h = q.handle();
    }
    EXPECT_FALSE(platform::PostMessageTo(h, platform::RegisterMessage("_WM_TEST_A"), 0, 0));
}

TEST(Thread, RunsPostsEndsAndDeletesItselfAtTheLastRelease) {
    platform::MessageQueue q;
    int before = gDeleted;
    auto* w = new Worker(q.handle());
    ASSERT_TRUE(w->start());
    EXPECT_EQ(7u, w->waitForExitCode());
    EXPECT_FALSE(w->stillRunning());
    EXPECT_NE(std::this_thread::get_id(), w->ranOn);
    platform::Message m;
    ASSERT_TRUE(q.wait(2000, m));
    EXPECT_EQ(Thread::endMessage(), m.id);
    EXPECT_EQ(42u, m.wParam);
    EXPECT_EQ(reinterpret_cast<intptr_t>(w), m.lParam);
    EXPECT_EQ(before, gDeleted.load());  // the starter's reference is still held
    EXPECT_EQ(2, w->addRef());
    EXPECT_EQ(1, w->release());
    EXPECT_EQ(0, w->release());
    EXPECT_EQ(before + 1, gDeleted.load());
}

TEST(Thread, ReleasedWhileRunningIsDeletedByItsThread) {
    int before = gDeleted;
    auto* w = new Worker(nullptr, true);
    Canceler c;
    w->setCancelTarget(&c);
    ASSERT_TRUE(w->start());
    EXPECT_TRUE(w->stillRunning());
    w->stop();
    EXPECT_EQ(1, c.calls);
    EXPECT_TRUE(w->stopRequested());
    w->release();  // the thread's own reference keeps it alive until it ends
    for (int i = 0; i < 400 && gDeleted == before; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(before + 1, gDeleted.load());
}

TEST(Thread, StopRequestEndsTheRunWithItsCode) {
    auto* w = new Worker(nullptr, true);
    ASSERT_TRUE(w->start());
    EXPECT_FALSE(w->waitFinished(50));
    w->stop();
    EXPECT_EQ(1223u, w->waitForExitCode());
    w->release();
}

// The calling thread's priority on the window system's scale.
int OwnPriority() {
#ifdef _WIN32
    return GetThreadPriority(GetCurrentThread());
#else
    return -getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))) / 5;
#endif
}

struct PriorityProbe : Thread {
    PriorityProbe() : Thread(nullptr, false) {}
    uint32_t run() override {
        while (!stopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        seen = OwnPriority();
        return 0;
    }
    std::atomic<int> seen{99};
};

TEST(Thread, PriorityIsThatOfTheRunningThread) {
    // Set before the run begins, and changed while it runs.
    auto* a = new PriorityProbe;
    EXPECT_TRUE(a->setPriority(-1));
    ASSERT_TRUE(a->start());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(a->setPriority(-2));
    a->stop();
    a->waitForExitCode();
    EXPECT_EQ(-2, a->seen.load());
    a->release();
}

TEST(ZThreadCache, CachedThreadsAreReused) {
    auto* a = new Worker(nullptr, false, true);
    ASSERT_TRUE(a->start());
    EXPECT_EQ(7u, a->waitForExitCode());
    std::thread::id first = a->ranOn;
    a->release();
    // The thread goes back to idle right after the run's end.
    for (int i = 0; i < 100; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    size_t size = ZThreadCache::instance().size();
    auto* b = new Worker(nullptr, false, true);
    ASSERT_TRUE(b->start());
    EXPECT_EQ(7u, b->waitForExitCode());
    EXPECT_EQ(first, b->ranOn);
    EXPECT_EQ(size, ZThreadCache::instance().size());
    b->release();
}

struct Reporter : ThreadBase {
    Reporter(platform::WindowHandle owner, uint32_t interval) : ThreadBase(owner, interval) {}
};

TEST(ThreadBase, ProgressIsSummedPerIntervalAndFlushedByZero) {
    platform::MessageQueue q;
    auto* r = new Reporter(q.handle(), 200);
    r->reportProgress(10);
    r->reportProgress(20);
    platform::Message m;
    EXPECT_FALSE(q.wait(0, m));
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    r->reportProgress(5);
    ASSERT_TRUE(q.wait(100, m));
    EXPECT_EQ(ThreadBase::bytesReadMessage(), m.id);
    EXPECT_EQ(35u, m.wParam);
    r->reportProgress(3);
    EXPECT_FALSE(q.wait(0, m));
    r->reportProgress(0);
    ASSERT_TRUE(q.wait(100, m));
    EXPECT_EQ(3u, m.wParam);
    r->reportProgress(0);  // nothing pending: nothing posted
    EXPECT_FALSE(q.wait(0, m));
    r->release();

    auto* silent = new Reporter(q.handle(), 0);
    silent->reportProgress(0);
    EXPECT_FALSE(q.wait(0, m));
    silent->release();
}

}  // namespace
