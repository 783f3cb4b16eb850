// The download worker on a full disk under Wine: tests/engine/full_disk.sh
// mounts a small tmpfs and names it in ZB_FULL_DISK (the test is skipped
// without it).

#include <gtest/gtest.h>

#include <cstdlib>

#include "../WorkerDiskFull.h"

TEST(ThreadDataDiskFull, FullDiskEndsWith112AndKeepsOnlyThePartialFile) {
    const char* dir = std::getenv("ZB_FULL_DISK");
    if (!dir || !*dir) GTEST_SKIP() << "no small disk given (tests/engine/full_disk.sh mounts one)";
    workertest::ExpectDiskFullDownload(dir);
}
