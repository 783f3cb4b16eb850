#include "engine/NetTarget.h"

#include <cstdio>
#include <unistd.h>

size_t ResidentBytes() {
    FILE* f = fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long size = 0, resident = 0;
    int n = fscanf(f, "%lu %lu", &size, &resident);
    fclose(f);
    return n == 2 ? resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

const bool kGopherSupported = true;
const bool kEndlessHeadersRefused = true;
const bool kLongHeaderRefused = true;
const bool kEveryStepReported = true;
