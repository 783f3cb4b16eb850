// The folder lock between processes: a child that holds it keeps the
// parent out, and once the child is killed (no release, no clean-up) the
// lock is free again.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/FolderLock.h"

namespace fs = std::filesystem;

TEST(FolderLockPosix, AKilledHolderLetsGo) {
    fs::path folder = fs::temp_directory_path() / ("zb-lock-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::FolderLock held;
        char c = held.acquire(folder.string()) == 0 ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        for (;;) pause();
    }
    close(ready[1]);
    // Whatever fails below, the child does not outlive the test.
    struct Reap {
        pid_t pid;
        ~Reap() {
            if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
        }
    } reap{child};
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    EXPECT_EQ(c, 'y');
    platform::FolderLock mine;
    EXPECT_EQ(mine.acquire(folder.string()), platform::FolderLock::kInUse);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    reap.pid = 0;
    EXPECT_TRUE(fs::exists(folder / platform::FolderLock::kFileName));  // left behind
    EXPECT_EQ(mine.acquire(folder.string()), 0);
    mine.release();
    fs::remove_all(folder);
}
