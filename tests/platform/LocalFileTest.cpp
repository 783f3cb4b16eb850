#include <gtest/gtest.h>

#include <string>

#include "platform/File.h"

// File::Mode::ReadLocalFile, the way a file: URL is read: a regular file
// opens as with Read, everything else fails with 5 and is never read.

namespace {

class LocalFileOpen : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::string(ZB_BINARY_DIR) + "/testtmp";
        (void)platform::MakeFolder(dir_.c_str());
        dir_ += std::string("/localfile-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        (void)platform::MakeFolder(dir_.c_str());
        file_ = dir_ + "/page.html";
        platform::File f;
        ASSERT_EQ(0, f.open(file_.c_str(), platform::File::Mode::Write));
        ASSERT_EQ(5, f.write("hello", 5));
    }
    void TearDown() override {
        (void)platform::DeleteFile(file_.c_str());
        (void)platform::RemoveFolder(dir_.c_str());
    }

    static int open(const std::string& path) {
        platform::File f;
        int e = f.open(path.c_str(), platform::File::Mode::ReadLocalFile);
        EXPECT_EQ(e == 0, f.isOpen()) << path;
        if (e != 0) {
            EXPECT_EQ(e, f.lastError()) << path;
        }
        return e;
    }

    std::string dir_, file_;
};

}  // namespace

TEST_F(LocalFileOpen, ARegularFileIsReadAsWithRead) {
    platform::File f;
    ASSERT_EQ(0, f.open(file_.c_str(), platform::File::Mode::ReadLocalFile));
    char buf[16] = {};
    EXPECT_EQ(5, f.read(buf, sizeof buf));
    EXPECT_EQ(std::string(buf), "hello");
    EXPECT_EQ(5, f.size());
    EXPECT_EQ(-1, f.write("x", 1));  // read only
}

TEST_F(LocalFileOpen, AFolderAMissingFileAndTwoSeparatorsFail) {
    EXPECT_EQ(5, open(dir_));
    int missing = open(dir_ + "/none.html");
    EXPECT_TRUE(missing == 2 || missing == 3) << missing;
    int missingFolder = open(dir_ + "/none/none.html");
    EXPECT_TRUE(missingFolder == 2 || missingFolder == 3) << missingFolder;
    for (const char* p : {"//server/share/x", "\\\\server\\share\\x", "\\\\.\\NUL", "//./NUL", "\\\\?\\C:\\x",
                          "/\\server\\share"})
        EXPECT_EQ(5, open(p)) << p;
}

TEST(WindowsDeviceNames, AreKnownOnEveryPlatform) {
    for (const char* n : {"CON", "con", "PRN", "AUX", "NUL", "nul", "Nul", "COM1", "com9", "COM0", "LPT1", "lpt9",
                          "CONIN$", "conout$", "CLOCK$", "NUL.txt", "nul.tar.gz", "con .html", "aux:", "NUL:stream",
                          "nul ", "nul.", " nul", "COM\xB9", "LPT\xC2\xB2", "prn..txt"})
        EXPECT_TRUE(platform::IsWindowsDeviceName(n)) << n;
    for (const char* n : {"", ".", "..", "CONS", "NULL", "nul1", "COM", "COM10", "LPT", "xnul", "anul.txt",
                          "COMA", "COM\xB4", "CON$", "console.txt", "index.html"})
        EXPECT_FALSE(platform::IsWindowsDeviceName(n)) << n;
}
