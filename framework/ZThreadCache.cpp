#include "framework/ZThreadCache.h"

#include <system_error>

#include "framework/Thread.h"

ZCachedThread::ZCachedThread() { thread_ = std::thread([this] { loop(); }); }

ZCachedThread::~ZCachedThread() {
    {
        std::lock_guard<std::mutex> g(lock_);
        quit_ = true;
    }
    wakeEvent_.set();
    if (thread_.joinable()) thread_.join();
}

void ZCachedThread::serve(Thread* work) {
    {
        std::lock_guard<std::mutex> g(lock_);
        work_ = work;
    }
    wakeEvent_.set();
}

void ZCachedThread::loop() {
    idleEvent_.set();
    for (;;) {
        wakeEvent_.wait();
        Thread* work;
        {
            std::lock_guard<std::mutex> g(lock_);
            wakeEvent_.reset();
            if (quit_ && !work_) return;
            work = work_;
            work_ = nullptr;
        }
        if (work) Thread::body(work);
        idleEvent_.set();
    }
}

ZThreadCache::~ZThreadCache() {
    std::lock_guard<std::mutex> g(lock_);
    threads_.clear();
}

ZThreadCache& ZThreadCache::instance() {
    static ZThreadCache cache;
    return cache;
}

ZCachedThread* ZThreadCache::take() {
    std::lock_guard<std::mutex> g(lock_);
    for (auto& t : threads_) {
        if (t->idle()) {
            t->takeIdle();
            return t.get();
        }
    }
    try {
        threads_.push_back(std::make_unique<ZCachedThread>());
    } catch (const std::system_error&) {
        return nullptr;
    }
    ZCachedThread* t = threads_.back().get();
    t->waitIdle();
    t->takeIdle();
    return t;
}

size_t ZThreadCache::size() {
    std::lock_guard<std::mutex> g(lock_);
    return threads_.size();
}
