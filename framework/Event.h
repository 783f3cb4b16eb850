#pragma once
// A manual-reset event: once set it stays set, and every waiter goes on,
// until it is reset.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class Event {
public:
    void set() {
        {
            std::lock_guard<std::mutex> g(lock_);
            set_ = true;
        }
        changed_.notify_all();
    }
    void reset() {
        std::lock_guard<std::mutex> g(lock_);
        set_ = false;
    }
    bool isSet() const {
        std::lock_guard<std::mutex> g(lock_);
        return set_;
    }
    void wait() const {
        std::unique_lock<std::mutex> l(lock_);
        changed_.wait(l, [&] { return set_; });
    }
    // False when the time ran out first.
    bool wait(uint32_t timeoutMs) const {
        std::unique_lock<std::mutex> l(lock_);
        return changed_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return set_; });
    }

private:
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};
