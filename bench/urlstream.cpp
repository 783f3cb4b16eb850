// Throughput of reading one URL through the URL input stream, as the
// download worker reads it: bench_urlstream URL [rounds]. Prints bytes,
// seconds and MB/s per round (MB of 10^6 bytes). bench/urlstream.sh runs
// it beside curl against the same local server.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/InternetSession.h"
#include "engine/iurlwstream.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_urlstream URL [rounds]\n");
        return 2;
    }
    int rounds = argc > 2 ? atoi(argv[2]) : 1;
    constexpr uint32_t kFlags = 0x84000002;  // reload, no cache write, binary
    for (int r = 0; r < rounds; ++r) {
        CInternetSession session("zbrask bench", 1, 0, nullptr, nullptr, 0, "", "");
        auto start = std::chrono::steady_clock::now();
        iurlwstream s(session, argv[1], 1, kFlags, nullptr, 0);
        if (s.fail()) {
            fprintf(stderr, "open failed: %d\n", s.openError());
            return 1;
        }
        std::vector<char> buf(65536);
        long long total = 0;
        for (;;) {
            size_t n = s.read(buf.data(), buf.size());
            total += static_cast<long long>(n);
            if (n < buf.size()) break;
        }
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bool failed = s.fail() && !s.eof();
        printf("iurlwstream: %lld bytes in %.3f s: %.1f MB/s%s\n", total, secs, total / secs / 1e6,
               failed ? " (read failed)" : "");
    }
    return 0;
}
