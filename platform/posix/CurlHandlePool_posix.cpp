#include "platform/posix/CurlHandlePool_posix.h"

namespace platform {

CurlHandlePool& CurlHandlePool::instance() {
    static CurlHandlePool pool;
    return pool;
}

CurlHandlePool::~CurlHandlePool() {
    for (Idle& i : idle_) destroy(i.handles);
}

void CurlHandlePool::destroy(CurlHandles h) {
    if (h.easy) curl_easy_cleanup(h.easy);
    if (h.multi) curl_multi_cleanup(h.multi);
}

CurlHandles CurlHandlePool::take(const std::string& place) {
    std::vector<CurlHandles> stale;
    CurlHandles found;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto now = std::chrono::steady_clock::now();
        // Oldest first: the stale ones are at the front.
        size_t fresh = 0;
        while (fresh < idle_.size() && now - idle_[fresh].since > kMostIdleTime) stale.push_back(idle_[fresh++].handles);
        idle_.erase(idle_.begin(), idle_.begin() + static_cast<std::ptrdiff_t>(fresh));
        // The newest for the place: its connection has idled the least.
        for (size_t i = idle_.size(); i-- > 0;) {
            if (idle_[i].place == place) {
                found = idle_[i].handles;
                idle_.erase(idle_.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
    }
    // Closing connections may wait on the network: outside the lock.
    for (CurlHandles& h : stale) destroy(h);
    if (found.multi) return found;
    found.multi = curl_multi_init();
    found.easy = curl_easy_init();
    if (!found.multi || !found.easy) {
        destroy(found);
        return {};
    }
    // Left to itself a multi handle keeps four connections for each easy
    // handle in it: none once the transfer is out of it.
    curl_multi_setopt(found.multi, CURLMOPT_MAXCONNECTS, 4L);
    return found;
}

void CurlHandlePool::give(const std::string& place, CurlHandles handles) {
    CurlHandles evicted;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        idle_.push_back({place, handles, std::chrono::steady_clock::now()});
        if (idle_.size() > kMostIdle) {
            evicted = idle_.front().handles;
            idle_.erase(idle_.begin());
        }
    }
    destroy(evicted);
}

size_t CurlHandlePool::idleCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return idle_.size();
}

}  // namespace platform
