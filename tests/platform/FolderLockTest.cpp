// One program at a time in a folder: the lock of a folder refuses a second
// holder (in the same process too: two open files), goes with release, and
// a lock file left behind by a run that ended without letting go holds
// nothing back.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/FolderLock.h"

namespace fs = std::filesystem;

namespace {

struct Folder {
    fs::path path = fs::temp_directory_path() / ("zb-lock-" + std::to_string(std::random_device{}()));
    Folder() { fs::create_directories(path); }
    ~Folder() {
        std::error_code e;
        fs::remove_all(path, e);
    }
    std::string str() const { return path.string(); }
};

}  // namespace

TEST(FolderLock, OneHolderAtATime) {
    Folder f;
    platform::FolderLock a, b;
    EXPECT_FALSE(a.held());
    ASSERT_EQ(a.acquire(f.str()), 0);
    EXPECT_TRUE(a.held());
    EXPECT_EQ(a.folder(), f.str());
    EXPECT_EQ(b.acquire(f.str()), platform::FolderLock::kInUse);
    EXPECT_FALSE(b.held());
    a.release();
    EXPECT_FALSE(a.held());
    EXPECT_FALSE(fs::exists(f.path / platform::FolderLock::kFileName));
    ASSERT_EQ(b.acquire(f.str()), 0);
    EXPECT_EQ(a.acquire(f.str()), platform::FolderLock::kInUse);
}

TEST(FolderLock, ALeftLockFileHoldsNothing) {
    Folder f;
    std::ofstream(f.path / platform::FolderLock::kFileName) << "left by a killed run";
    platform::FolderLock a;
    EXPECT_EQ(a.acquire(f.str()), 0);
}

TEST(FolderLock, TakingAnotherFolderLetsTheFirstGo) {
    Folder f, g;
    platform::FolderLock a, b;
    ASSERT_EQ(a.acquire(f.str()), 0);
    ASSERT_EQ(a.acquire(g.str()), 0);
    EXPECT_EQ(b.acquire(f.str()), 0);
    EXPECT_EQ(b.acquire(g.str()), platform::FolderLock::kInUse);
}

TEST(FolderLock, AFileOrNothingWhereTheFolderShouldBe) {
    Folder f;
    std::ofstream(f.path / "file") << "in the way";
    platform::FolderLock a;
    EXPECT_EQ(a.acquire((f.path / "file").string()), platform::FolderLock::kNotAFolder);
    EXPECT_FALSE(a.held());
    int missing = a.acquire((f.path / "none").string());
    EXPECT_NE(missing, 0);
    EXPECT_NE(missing, platform::FolderLock::kInUse);
    EXPECT_FALSE(a.held());
}
