#pragma once
// The handles of finished transfers, kept for the next request to the same
// server. A multi handle keeps the connections its transfers opened, so a
// job of many files from one host opens about as many connections as it
// runs downloads at once instead of one a file. libcurl may not share one
// connection cache between threads: a pair here serves one request at a
// time, on whichever thread took it.

#include <curl/curl.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct CurlHandles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
};

class CurlHandlePool {
public:
    // As many as the engine runs downloads at once; a pair idle longer
    // than a minute is closed (servers drop idle connections sooner, which
    // libcurl notices on reuse and connects anew).
    static constexpr size_t kMostIdle = 32;
    static constexpr std::chrono::seconds kMostIdleTime{60};

    static CurlHandlePool& instance();
    CurlHandlePool() = default;
    CurlHandlePool(const CurlHandlePool&) = delete;
    CurlHandlePool& operator=(const CurlHandlePool&) = delete;
    ~CurlHandlePool();

    // The pair that last served place, with its connections, else a new
    // one; both null when libcurl cannot make them.
    CurlHandles take(const std::string& place);
    // A pair whose transfer ended; its easy handle is out of the multi handle.
    void give(const std::string& place, CurlHandles handles);
    static void destroy(CurlHandles handles);
    size_t idleCount() const;

private:
    struct Idle {
        std::string place;
        CurlHandles handles;
        std::chrono::steady_clock::time_point since;
    };

    mutable std::mutex mutex_;
    std::vector<Idle> idle_;  // oldest first
};

}  // namespace platform
