#pragma once
// A download into a folder on a full (small) disk: it ends with 112, and
// what fitted is left as the partial file for a later resume, nothing else.

#include <gtest/gtest.h>

#include <string>

#include "WorkerJob.h"

namespace workertest {

inline void ExpectDiskFullDownload(const std::string& dir) {
    Job job;
    job.out.path = dir;
    uint32_t r = job.fetch(HttpUrl("/w/full.bin"));
    EXPECT_EQ(ThreadData::kDiskFull, r);
    EXPECT_TRUE(job.worker->savedFile().empty());
    auto temps = job.out.temporaryFiles();
    if (!job.worker->partialFile().empty()) {
        ASSERT_EQ(1u, temps.size());
        EXPECT_EQ(job.worker->partialFile().view(), temps[0]);
    } else {
        EXPECT_TRUE(temps.empty());
    }
    job.worker->release();
    job.worker = nullptr;
    job.out.path = fs::path(dir) / "none";  // the folder itself is the caller's
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir, ec)) fs::remove_all(e.path(), ec);
}

}  // namespace workertest
