// The download worker on a full disk: a small tmpfs as the output folder
// (mounting needs root; the test is skipped otherwise).

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "../WorkerDiskFull.h"

using namespace workertest;

TEST(ThreadDataDiskFull, FullDiskEndsWith112AndKeepsOnlyThePartialFile) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    Output place;
    std::string dir = place.str();
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    ExpectDiskFullDownload(dir);
    EXPECT_EQ(0, umount(dir.c_str())) << std::strerror(errno);
}
