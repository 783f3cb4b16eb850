#include "engine/NetTarget.h"

#include <windows.h>
#include <psapi.h>

size_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    return GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c) ? c.WorkingSetSize : 0;
}

const bool kGopherSupported = false;
const bool kEndlessHeadersRefused = false;
const bool kLongHeaderRefused = false;
const bool kEveryStepReported = false;
