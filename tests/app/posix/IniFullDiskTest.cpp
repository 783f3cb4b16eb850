// A write that meets a full disk leaves the old settings file as it was.
// Needs a small file system of its own: a tmpfs mounted for the test, which
// only root may do; elsewhere the test is skipped.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "app/IniFile.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("ini-full-" + std::to_string(rd()));
        fs::create_directories(dir_);
        std::string cmd = "mount -t tmpfs -o size=128k tmpfs '" + dir_.string() + "' 2>/dev/null";
        mounted_ = std::system(cmd.c_str()) == 0;
    }
    void TearDown() override {
        if (mounted_) (void)std::system(("umount '" + dir_.string() + "'").c_str());
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // Fills the file system to the last byte.
    void fill() {
        std::ofstream f(dir_ / "filler", std::ios::binary);
        std::string block(4096, 'f');
        while (f.write(block.data(), 4096)) f.flush();
    }

    fs::path dir_;
    bool mounted_ = false;
};

TEST_F(FullDisk, WriteFailsAndTheOldFileStays) {
    if (!mounted_) GTEST_SKIP() << "cannot mount a tmpfs here";
    fs::path ini = dir_ / "zbrask.ini";
    ApplicationProfile p(ini.string().c_str());
    ASSERT_EQ(p.writeString("Options", "braskdir", std::string(20000, 'a').c_str()), 0);
    std::string before = ReadAll(ini);
    fill();

    std::string larger(30000, 'b');
    EXPECT_EQ(p.writeString("Options", "InternetAgent", larger.c_str()), 112);  // ERROR_DISK_FULL
    StrList list;
    list.add(larger.c_str());
    EXPECT_EQ(p.writeList(list, "MissionList", false, true), 112);
    EXPECT_EQ(ReadAll(ini), before);
    EXPECT_EQ(p.readString("Options", "InternetAgent", "none"), "none");  // memory follows the file
    size_t files = static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    EXPECT_EQ(files, 2u);  // the file and the filler: no temporary left behind

    fs::remove(dir_ / "filler");
    EXPECT_EQ(p.writeString("Options", "InternetAgent", larger.c_str()), 0);
    EXPECT_EQ(p.readString("Options", "InternetAgent", "").size(), larger.size());
    EXPECT_EQ(p.readString("Options", "braskdir", "").size(), 20000u);
}

}  // namespace
