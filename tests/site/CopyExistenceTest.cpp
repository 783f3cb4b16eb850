// Whether stored copies exist, asked for many files of a page: folders read
// once must give the answers that asking for each file gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/File.h"
#include "site/CopyExistence.h"

namespace fs = std::filesystem;

namespace {

class CopyExistenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        out = fs::path(ZB_BINARY_DIR) / "testtmp" / ("copies-" + std::to_string(std::random_device{}()));
        fs::create_directories(out);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(out, ec);
    }
    void file(const std::string& relative) {
        fs::create_directories((out / relative).parent_path());
        std::ofstream(out / relative) << "x";
    }
    // What asking the file system for the one file says.
    bool asked(const std::string& relative) const { return platform::FileExists((out / relative).string().c_str()); }

    fs::path out;
};

TEST_F(CopyExistenceTest, AReadFolderAnswersAsEachFileWould) {
    for (int i = 0; i < 30; ++i) file("h/a/p" + std::to_string(i) + ".htm");
    fs::create_directories(out / "h/a/sub.htm");  // a folder is no copy
    file("h/b/only.htm");                         // asked once: not read
    CopyExistence copies(out.string());
    std::vector<std::string> questions;
    for (int i = 0; i < 40; ++i) questions.push_back("h/a/p" + std::to_string(i) + ".htm");
    questions.insert(questions.end(), {"h/a/sub.htm", "h/a/", "h/b/only.htm", "h/b/none.htm", "h/c/none.htm"});
    for (const std::string& q : questions) copies.expect(q);

    EXPECT_TRUE(copies.exists("h/a/p0.htm"));  // the folder is read here
    file("h/a/late.htm");                       // stored after that
    questions.push_back("h/a/late.htm");
    questions.push_back("h\\a/p3.htm");  // another spelling of the folder
    for (const std::string& q : questions) EXPECT_EQ(asked(q), copies.exists(q)) << q;
    EXPECT_TRUE(copies.exists("h/a/p29.htm"));
    EXPECT_FALSE(copies.exists("h/a/p30.htm"));
    EXPECT_TRUE(copies.exists("unannounced/../h/b/only.htm") == asked("unannounced/../h/b/only.htm"));
}

TEST_F(CopyExistenceTest, NamesCompareAsTheFileSystemCompares) {
    for (int i = 0; i < 10; ++i) file("h/p" + std::to_string(i) + ".htm");
    CopyExistence copies(out.string());
    for (int i = 0; i < 10; ++i) copies.expect("h/P" + std::to_string(i) + ".HTM");
    // Windows finds a name in any case; POSIX only in its own.
    for (int i = 0; i < 10; ++i) {
        std::string q = "h/P" + std::to_string(i) + ".HTM";
        EXPECT_EQ(asked(q), copies.exists(q)) << q;
    }
}

// A folder much larger than what is asked of it is not read through; the
// files are asked for one by one, with the same answers.
TEST_F(CopyExistenceTest, AHugeFolderIsNotReadThrough) {
    for (int i = 0; i < 300; ++i) file("big/f" + std::to_string(i));
    std::vector<std::string> names;
    EXPECT_FALSE(platform::ListFileNames((out / "big").string().c_str(), 100, names));
    ASSERT_TRUE(platform::ListFileNames((out / "big").string().c_str(), 1000, names));
    EXPECT_EQ(300u, names.size());
    EXPECT_FALSE(platform::ListFileNames((out / "missing").string().c_str(), 1000, names));

    CopyExistence copies(out.string());
    for (int i = 0; i < 10; ++i) copies.expect("big/f" + std::to_string(i * 40));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(i * 40 < 300, copies.exists("big/f" + std::to_string(i * 40))) << i;
}

}  // namespace
