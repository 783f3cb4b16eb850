#pragma once
// The program's message loop: messages posted to the main window's queue
// are handed on one by one; between them the idle step runs; timers are
// delivered as messages. The loop never spins: an idle step that can only
// wait for others (downloads running) lets the loop sleep until the next
// message, timer or poll interval.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Messages.h"

class MessageLoop {
public:
    static constexpr uint32_t kTimerMessage = 0x0113;  // the window system's timer message; wParam is the id
    static constexpr uint32_t kPollMs = 100;            // a waiting idle step runs again at least this often

    enum class Idle {
        Done,     // nothing more to do until a message arrives
        More,     // work was done: run the idle step again at once
        Waiting,  // only others can make progress now: run it again soon
    };

    class Handler {
    public:
        virtual Idle idle(int count) = 0;  // count: idle steps since the last message
        virtual void dispatch(const platform::Message& m) = 0;

    protected:
        ~Handler() = default;
    };

    explicit MessageLoop(platform::MessageQueue& queue, std::function<uint32_t()> clock = nullptr);

    void setTimer(uint32_t id, uint32_t periodMs);  // replaces a timer of the same id
    void killTimer(uint32_t id);
    // Ends run with this code after the message being handled.
    void quit(int code);
    int run(Handler& handler);

private:
    struct Timer {
        uint32_t id, period, due;
    };
    uint32_t now() const;
    // Delivers every timer that is due; false when none was.
    bool fireTimers(Handler& handler);
    // The time to the next timer, at most limit.
    uint32_t untilNextTimer(uint32_t limit) const;

    platform::MessageQueue& queue_;
    std::function<uint32_t()> clock_;
    std::vector<Timer> timers_;
    bool quit_ = false;
    int code_ = 0;
};
