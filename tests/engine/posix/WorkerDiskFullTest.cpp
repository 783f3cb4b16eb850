// The download worker on a full disk: a small tmpfs as the output folder
// (mounting needs root; the test is skipped otherwise).

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "../WorkerJob.h"

using namespace workertest;

TEST(ThreadDataDiskFull, FullDiskEndsWith112AndKeepsOnlyThePartialFile) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    Output place;
    std::string dir = place.str();
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    {
        Job job;
        job.out.path = dir;
        uint32_t r = job.fetch(HttpUrl("/w/full.bin"));
        EXPECT_EQ(ThreadData::kDiskFull, r);
        EXPECT_TRUE(job.worker->savedFile().empty());
        // What fitted is the partial file for a later resume; nothing else
        // is left of the attempt.
        auto temps = job.out.temporaryFiles();
        if (!job.worker->partialFile().empty()) {
            ASSERT_EQ(1u, temps.size());
            EXPECT_EQ(job.worker->partialFile().view(), temps[0]);
        } else {
            EXPECT_TRUE(temps.empty());
        }
        job.worker->release();
        job.worker = nullptr;
        job.out.path = fs::path(dir) / "none";  // the mount point is removed below
    }
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir, ec)) fs::remove_all(e.path(), ec);
    EXPECT_EQ(0, umount(dir.c_str())) << std::strerror(errno);
}
