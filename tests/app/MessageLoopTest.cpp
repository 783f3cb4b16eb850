// The message loop: messages first, idle steps between them, timers, and
// no spinning while the idle step only waits.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/MessageLoop.h"
#include "platform/Clock.h"

namespace {

// Application message numbers: the window system refuses to post some of
// its own low-numbered messages.
constexpr uint32_t kFirst = 0x8000;
constexpr uint32_t kQuit = kFirst + 99;

struct Recorder : MessageLoop::Handler {
    MessageLoop* loop = nullptr;
    std::vector<std::string> log;
    std::vector<MessageLoop::Idle> answers;  // idle answers in turn; then Done
    int idles = 0;
    int timers = 0;
    int quitAfterTimers = 0;

    MessageLoop::Idle idle(int count) override {
        ++idles;
        log.push_back("idle " + std::to_string(count));
        if (answers.empty()) return MessageLoop::Idle::Done;
        MessageLoop::Idle a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void dispatch(const platform::Message& m) override {
        if (m.id == MessageLoop::kTimerMessage) {
            ++timers;
            if (timers == quitAfterTimers) loop->quit(7);
            return;
        }
        log.push_back("msg " + std::to_string(m.id - kFirst));
        if (m.id == kQuit) loop->quit(static_cast<int>(m.wParam));
    }
};

}  // namespace

TEST(MessageLoop, MessagesFirstThenIdleStepsUntilDone) {
    platform::MessageQueue q;
    MessageLoop loop(q);
    Recorder r;
    r.loop = &loop;
    r.answers = {MessageLoop::Idle::More, MessageLoop::Idle::More};
    ASSERT_TRUE(platform::PostMessageTo(q.handle(), kFirst, 0, 0));
    ASSERT_TRUE(platform::PostMessageTo(q.handle(), kFirst + 1, 0, 0));
    std::thread later([&] {
        platform::SleepMs(50);
        platform::PostMessageTo(q.handle(), kQuit, 5, 0);
    });
    EXPECT_EQ(5, loop.run(r));
    later.join();
    // Idle steps run until one says done; then the loop sleeps until the
    // next message, and a message resets the count.
    EXPECT_EQ((std::vector<std::string>{"msg 0", "msg 1", "idle 0", "idle 1", "idle 2", "msg 99"}),
              r.log);
}

TEST(MessageLoop, AWaitingIdleStepIsPolledNotSpun) {
    platform::MessageQueue q;
    MessageLoop loop(q);
    Recorder r;
    r.loop = &loop;
    r.answers.assign(1000000, MessageLoop::Idle::Waiting);
    r.quitAfterTimers = 1;
    loop.setTimer(11, 450);
    uint32_t start = platform::TickCount();
    EXPECT_EQ(7, loop.run(r));
    uint32_t took = platform::TickCount() - start;
    EXPECT_GE(took, 440u);
    // About one idle step per poll interval, not hundreds of thousands.
    EXPECT_LE(r.idles, 20);
    EXPECT_GE(r.idles, 3);
}

TEST(MessageLoop, TimersFireAtTheirPeriodAndStopWhenKilled) {
    platform::MessageQueue q;
    MessageLoop loop(q);
    Recorder r;
    r.loop = &loop;
    r.quitAfterTimers = 3;
    loop.setTimer(1, 20);
    loop.setTimer(2, 100000);
    loop.killTimer(2);
    uint32_t start = platform::TickCount();
    EXPECT_EQ(7, loop.run(r));
    EXPECT_GE(platform::TickCount() - start, 55u);
    EXPECT_EQ(3, r.timers);
}
