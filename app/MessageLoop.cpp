#include "app/MessageLoop.h"

#include <algorithm>

#include "platform/Clock.h"

namespace {
constexpr uint32_t kForever = 0xFFFFFFFFu;
bool reached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }
}  // namespace

MessageLoop::MessageLoop(platform::MessageQueue& queue, std::function<uint32_t()> clock)
    : queue_(queue), clock_(std::move(clock)) {}

uint32_t MessageLoop::now() const { return clock_ ? clock_() : platform::TickCount(); }

void MessageLoop::setTimer(uint32_t id, uint32_t periodMs) {
    killTimer(id);
    timers_.push_back({id, periodMs ? periodMs : 1, now() + (periodMs ? periodMs : 1)});
}

void MessageLoop::killTimer(uint32_t id) {
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.id == id; }),
                  timers_.end());
}

void MessageLoop::quit(int code) {
    quit_ = true;
    code_ = code;
}

bool MessageLoop::fireTimers(Handler& handler) {
    const uint32_t t = now();
    // A timer handler may set or kill timers: work on ids, not positions.
    std::vector<uint32_t> due;
    for (const Timer& timer : timers_)
        if (reached(t, timer.due)) due.push_back(timer.id);
    for (uint32_t id : due) {
        auto it = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& x) { return x.id == id; });
        if (it == timers_.end()) continue;
        it->due = t + it->period;  // a late timer fires once, as the window system's does
        handler.dispatch({kTimerMessage, id, 0});
        if (quit_) break;
    }
    return !due.empty();
}

uint32_t MessageLoop::untilNextTimer(uint32_t limit) const {
    const uint32_t t = now();
    for (const Timer& timer : timers_)
        limit = std::min(limit, reached(t, timer.due) ? 0u : timer.due - t);
    return limit;
}

int MessageLoop::run(Handler& handler) {
    quit_ = false;
    int count = 0;
    Idle last = Idle::More;
    platform::Message m;
    while (!quit_) {
        if (queue_.wait(0, m)) {
            handler.dispatch(m);
        } else if (fireTimers(handler)) {
            // timer messages count as messages
        } else if (count == 0 || last == Idle::More) {
            last = handler.idle(count++);
            continue;
        } else {
            // Sleep: until a message or timer when the idle step is done;
            // at most the poll interval while it waits on others.
            uint32_t limit = last == Idle::Done ? kForever : kPollMs;
            uint32_t wait = untilNextTimer(limit);
            if (queue_.wait(wait, m)) {
                handler.dispatch(m);
            } else {
                if (wait == limit && last == Idle::Waiting) last = Idle::More;  // poll again
                continue;
            }
        }
        count = 0;
        last = Idle::More;
    }
    return code_;
}
