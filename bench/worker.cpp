// Throughput of one download worker storing a URL: bench_worker URL
// [rounds]. Prints bytes, seconds, MB/s (10^6 bytes) and the peak resident
// memory per round; the stored file is deleted after each round.
// bench/worker.sh runs it beside curl -o against the same local server.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/InternetSession.h"
#include "engine/ThreadData.h"
#include "platform/File.h"

namespace {

// VmHWM of /proc/self/status in kB (also the Wine process's own under Wine).
long PeakResidentKb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_worker URL [rounds]\n");
        return 2;
    }
    int rounds = argc > 2 ? atoi(argv[2]) : 1;
    std::filesystem::path out = std::filesystem::temp_directory_path() / "bench_worker_out";
    out.make_preferred();
    for (int r = 0; r < rounds; ++r) {
        std::filesystem::create_directories(out);
        CInternetSession session("zbrask bench", 1, 0, nullptr, nullptr, 0, "", "");
        long before = PeakResidentKb();
        auto start = std::chrono::steady_clock::now();
        auto* w = new ThreadData(&session, argv[1], "", "", "", 0, out.string().c_str(), nullptr, 0, true);
        if (!w->start()) {
            fprintf(stderr, "no thread\n");
            return 1;
        }
        uint32_t result = w->waitForExitCode();
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        long long size = 0;
        {
            platform::File f;
            if (f.open(w->savedFile().c_str(), platform::File::Mode::Read) == 0) size = f.size();
        }
        printf("worker: result %u, %lld bytes in %.3f s: %.1f MB/s, peak resident %ld kB (before %ld kB)\n", result,
               size, secs, size / secs / 1e6, PeakResidentKb(), before);
        w->release();
        std::error_code ec;
        std::filesystem::remove_all(out, ec);
    }
    return 0;
}
