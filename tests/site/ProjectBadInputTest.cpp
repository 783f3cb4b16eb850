// Damaged and hostile project files: every read ends with sane values and
// without a crash, and writing the project back keeps every field that the
// mission holds.

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "site/Project.h"

namespace fs = std::filesystem;

namespace {

struct Damaged : ::testing::Test {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::path project = fs::temp_directory_path() / ("zb-damaged-" + name + ".zbp");
    fs::path again = fs::temp_directory_path() / ("zb-damaged-" + name + "-again.zbp");
    fs::path settings = fs::temp_directory_path() / ("zb-damaged-" + name + ".ini");
    ApplicationProfile defaults{settings.string().c_str()};

    Damaged() { std::ofstream(settings, std::ios::binary) << ""; }
    ~Damaged() override {
        std::error_code e;
        for (const fs::path& p : {project, again, settings}) fs::remove(p, e);
    }

    // Opens the bytes, then checks that a write and a second read give the
    // same mission, HtmlFirst and output flags included.
    void openAndWriteBack(const std::string& bytes, Project& p) {
        std::ofstream(project, std::ios::binary) << bytes;
        ASSERT_EQ(p.open(project.string().c_str()), 0);
        ASSERT_EQ(p.save(again.string().c_str()), 0);
        Project r(defaults);
        ASSERT_EQ(r.open(again.string().c_str()), 0);
        EXPECT_TRUE(r == p);
        EXPECT_EQ(r.htmlFirst, p.htmlFirst);
        EXPECT_EQ(r.outputFlags, p.outputFlags);
    }
};

std::string Example() {
    return "[URLs]\r\ncount=2\r\n0=http://a/\r\n1=http://b/\r\n[output]\r\npath=out\r\nnamesin83=1\r\n"
           "[levels]\r\ninternal=3\r\nexternal=1\r\n[Options]\r\nMaxNumFiles=10\r\ntimeMaxWait=5\r\nHtmlFirst=1\r\n"
           "[Authenticate]\r\nsave=1\r\nuser=me\r\npassword=MHMIMJ\r\n";
}

}  // namespace

TEST_F(Damaged, TruncatedAtEveryLength) {
    std::string full = Example();
    for (size_t n = 0; n <= full.size(); n += 7) {
        Project p(defaults);
        openAndWriteBack(full.substr(0, n), p);
        EXPECT_LE(p.urls.count(), 2u);
    }
    Project p(defaults);
    openAndWriteBack(full.substr(0, full.find("1=http://b/")), p);  // count says 2, one key left
    EXPECT_EQ(p.urls.count(), 2u);
    EXPECT_EQ(p.urls[1], "");
}

TEST_F(Damaged, BinaryBytes) {
    std::string bytes;
    uint32_t x = 12345;
    for (int i = 0; i < 64 * 1024; ++i) {
        x = x * 1103515245 + 12345;
        bytes += static_cast<char>(x >> 16);
    }
    bytes.insert(1000, "\r\n[Options]\r\nMaxNumThread=3\r\n");
    Project p(defaults);
    openAndWriteBack(bytes, p);
    EXPECT_EQ(p.maxNumThread, 3);
}

TEST_F(Damaged, HugeOrNegativeCounts) {
    {
        Project p(defaults);
        // Reads only the keys that exist: a list of two billion elements
        // would not fit in memory.
        openAndWriteBack("[URLs]\r\ncount=2147483647\r\n0=http://a/\r\n5=http://f/\r\n"
                         "[IncludeUrl]\r\ncount=-5\r\n0=http://x/\r\n[ExcludeUrl]\r\ncount=99999999999\r\n0=y\r\n", p);
        EXPECT_EQ(p.urls.count(), 6u);
        EXPECT_EQ(p.urls[5], "http://f/");
        EXPECT_TRUE(p.includeUrls.empty());
        EXPECT_LE(p.excludeUrls.count(), 1u);
    }
}

TEST_F(Damaged, HundredThousandListKeys) {
    std::string text = "[URLs]\r\ncount=100000\r\n";
    for (int i = 0; i < 100000; ++i) text += std::to_string(i) + "=http://h/" + std::to_string(i) + "\r\n";
    Project p(defaults);
    openAndWriteBack(text, p);
    ASSERT_EQ(p.urls.count(), 100000u);
    EXPECT_EQ(p.urls[99999], "http://h/99999");
}

TEST_F(Damaged, OneMegabyteUrl) {
    std::string url = "http://h/" + std::string(1 << 20, 'a');
    Project p(defaults);
    openAndWriteBack("[URLs]\r\ncount=1\r\n0=" + url + "\r\n[output]\r\npath=" + url + "\r\n", p);
    EXPECT_EQ(p.urls[0], url);
    EXPECT_EQ(p.outputPath, url);
}

TEST_F(Damaged, NumbersThatOverflow) {
    Project p(defaults);
    openAndWriteBack("[levels]\r\ninternal=99999999999999999999\r\nexternal=-99999999999999999999\r\n"
                     "[Options]\r\nMaxNumFiles=99999999999999999999\r\nMaxSizeFiles=-99999999999\r\n"
                     "MaxNumThread=4294967297\r\ntimeMaxWait=99999999999\r\nCodePref=0xFFFFFFFFFF\r\n"
                     "Priority=-2147483649\r\n",
                     p);
    EXPECT_EQ(p.maxNumFiles, INT32_MAX);
    EXPECT_EQ(p.maxSizeFiles, INT32_MIN);
    EXPECT_GE(p.timeMaxWait, 0);
}
