#include <strings.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace platform {

struct MessageQueue::Impl {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<Message> messages;
};

namespace {

// The queues alive now: a post looks its target up here first.
std::mutex gQueuesLock;
std::set<MessageQueue::Impl*> gQueues;

std::mutex gNamesLock;
std::vector<std::string> gNames;

}  // namespace

uint32_t RegisterMessage(const char* name) {
    if (!name || !*name) return 0;
    std::lock_guard<std::mutex> g(gNamesLock);
    for (size_t i = 0; i < gNames.size(); ++i)
        if (strcasecmp(gNames[i].c_str(), name) == 0) return static_cast<uint32_t>(0xC000 + i);
    if (gNames.size() >= 0x4000) return 0;
    gNames.emplace_back(name);
    return static_cast<uint32_t>(0xC000 + gNames.size() - 1);
}

bool PostMessageTo(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    auto* q = static_cast<MessageQueue::Impl*>(window);
    std::lock_guard<std::mutex> g(gQueuesLock);
    if (!q || !gQueues.count(q)) return false;
    {
        std::lock_guard<std::mutex> ql(q->lock);
        q->messages.push_back(Message{id, wParam, lParam});
    }
    q->arrived.notify_one();
    return true;
}

MessageQueue::MessageQueue() : impl_(std::make_unique<Impl>()) {
    std::lock_guard<std::mutex> g(gQueuesLock);
    gQueues.insert(impl_.get());
}

MessageQueue::~MessageQueue() {
    std::lock_guard<std::mutex> g(gQueuesLock);
    gQueues.erase(impl_.get());
}

WindowHandle MessageQueue::handle() const { return impl_.get(); }

bool MessageQueue::wait(uint32_t timeoutMs, Message& out) {
    std::unique_lock<std::mutex> l(impl_->lock);
    if (!impl_->arrived.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return !impl_->messages.empty(); }))
        return false;
    out = impl_->messages.front();
    impl_->messages.pop_front();
    return true;
}

}  // namespace platform
