#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/File.h"
#include "platform/Shell.h"

namespace {

// A folder first on PATH with fake programs that write the arguments they
// got, one a line, to args.txt (through a rename, so a reader never sees
// half of it).
class FakeProgramsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string base = std::string(ZB_BINARY_DIR) + "/testtmp";
        (void)platform::MakeFolder(base.c_str());
        dir_ = base + "/fakebin-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        (void)platform::MakeFolder(dir_.c_str());
        out_ = dir_ + "/args.txt";
        (void)platform::DeleteFile(out_.c_str());
        (void)platform::DeleteFile((dir_ + "/pwned").c_str());
        for (const char* name : {"xdg-open", "fakebrowser"}) {
            std::string script = dir_ + "/" + name;
            std::ofstream f(script);
            f << "#!/bin/sh\n"
                 "printf '%s\\n' \"$0\" \"$#\" \"$@\" > \"" << out_ << ".tmp\"\n"
                 "mv \"" << out_ << ".tmp\" \"" << out_ << "\"\n";
            f.close();
            chmod(script.c_str(), 0755);
        }
        const char* p = std::getenv("PATH");
        oldPath_ = p ? p : "";
        setenv("PATH", (dir_ + ":" + oldPath_).c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", oldPath_.c_str(), 1);
        for (const char* f : {"xdg-open", "fakebrowser", "args.txt", "pwned"})
            (void)platform::DeleteFile((dir_ + "/" + f).c_str());
        (void)platform::RemoveFolder(dir_.c_str());
    }

    // The lines the fake program wrote: its name, the count, the arguments.
    std::vector<std::string> waitForArgs() {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!platform::FileExists(out_.c_str()) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream f(out_);
        std::vector<std::string> lines;
        for (std::string l; std::getline(f, l);) lines.push_back(l);
        return lines;
    }

    std::string dir_, out_, oldPath_;
};

TEST_F(FakeProgramsTest, ShellOpenHandsTheTargetOverUnsplitAndUnexpanded) {
    std::string target = "http://a/b c \"q\" 'x' $(touch " + dir_ + "/pwned) ; touch " + dir_ + "/pwned `id` $HOME";
    ASSERT_GT(platform::ShellOpen(nullptr, target.c_str()), 32);
    std::vector<std::string> lines = waitForArgs();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(lines[0].rfind('/') + 1), "xdg-open");
    EXPECT_EQ(lines[1], "1");
    EXPECT_EQ(lines[2], target);
    EXPECT_FALSE(platform::FileExists((dir_ + "/pwned").c_str())) << "no shell ran the target";
}

TEST_F(FakeProgramsTest, ShellOpenKeepsATargetFromBeingAnOption) {
    ASSERT_GT(platform::ShellOpen(nullptr, "--help"), 32);
    std::vector<std::string> lines = waitForArgs();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "./--help");
}

TEST_F(FakeProgramsTest, RunProgramSplitsParametersAtBlanksOutsideQuotes) {
    ASSERT_GT(platform::RunProgram(nullptr, "fakebrowser", "-url \"http://a/b c;$(x)\" two"), 32);
    std::vector<std::string> lines = waitForArgs();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "3");
    EXPECT_EQ(lines[2], "-url");
    EXPECT_EQ(lines[3], "http://a/b c;$(x)");
    EXPECT_EQ(lines[4], "two");
}

TEST_F(FakeProgramsTest, MissingProgramsFailWithFileNotFound) {
    setenv("PATH", (dir_ + "/none").c_str(), 1);
    EXPECT_EQ(platform::ShellOpen(nullptr, "http://a/"), 2);
    EXPECT_EQ(platform::RunProgram(nullptr, "fakebrowser", ""), 2);
    EXPECT_EQ(platform::RunProgram(nullptr, "", "x"), 2);
    EXPECT_EQ(platform::HtmOpenCommand(), "") << "no registry of programs here";
}

}  // namespace
