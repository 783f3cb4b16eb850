#pragma once
// Idle threads kept for background work: a Thread that asks for the cache
// is run on an idle cached thread, or on a new one that joins the cache
// when its work is done. The cache ends its threads when it is destroyed.

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/Event.h"

class Thread;

class ZCachedThread {
public:
    ZCachedThread();
    ~ZCachedThread();

    // Hands the work to this idle thread and wakes it.
    void serve(Thread* work);
    bool idle() const { return idleEvent_.isSet(); }
    // Marks an idle thread as taken (under the cache's lock).
    void takeIdle() { idleEvent_.reset(); }
    void waitIdle() const { idleEvent_.wait(); }

private:
    void loop();

    Event idleEvent_;
    Event wakeEvent_;
    std::mutex lock_;
    Thread* work_ = nullptr;
    bool quit_ = false;
    std::thread thread_;
};

class ZThreadCache {
public:
    ZThreadCache() = default;
    ZThreadCache(const ZThreadCache&) = delete;
    ZThreadCache& operator=(const ZThreadCache&) = delete;
    ~ZThreadCache();

    static ZThreadCache& instance();

    // An idle entry, taken out of the idle state, or a new one.
    ZCachedThread* take();
    size_t size();

private:
    std::mutex lock_;
    std::vector<std::unique_ptr<ZCachedThread>> threads_;
};
