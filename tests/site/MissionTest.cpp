#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "site/Mission.h"

namespace fs = std::filesystem;

namespace {
struct TempIni {
    fs::path path = fs::temp_directory_path() /
                    ("zb-mission-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini");
    explicit TempIni(const char* text = "") {
        std::ofstream(path, std::ios::binary) << text;
    }
    ~TempIni() { std::error_code e; fs::remove(path, e); }
};
}  // namespace

TEST(Mission, MissingDefaultsGiveTheBuiltInValues) {
    TempIni ini("[Defaults]\r\nunrelated=1\r\n");
    ApplicationProfile settings(ini.path.string().c_str());
    Mission m(settings);
    EXPECT_EQ(m.levelsInternal, Mission::kDefLevelsInternal);
    EXPECT_EQ(m.maxNumFiles, Mission::kDefMaxNumFiles);
    EXPECT_EQ(m.timeMaxWait, Mission::kDefTimeMaxWait);
    EXPECT_TRUE(m.allowPicture);
    EXPECT_TRUE(m.allowOutPicture);
    EXPECT_FALSE(m.allowDownload);
    EXPECT_TRUE(m.urls.empty());
}

TEST(Mission, DefaultsWrittenReadBackUnchanged) {
    TempIni ini;
    ApplicationProfile settings(ini.path.string().c_str());
    Mission written(settings);
    written.levelsInternal = 4;
    written.levelsExternal = 2;
    written.allowPicture = false;
    written.allowDownload = true;
    written.onlyInDirectory = true;
    written.maxNumFiles = 0;
    written.maxSizeFiles = 7;
    written.maxNumThread = 9;
    written.timeMaxWait = 59999;
    written.priority = -1;
    written.writeDefaults(settings);

    Mission read(settings);
    EXPECT_TRUE(read == written);
    EXPECT_EQ(read.timeMaxWait, 59999);  // milliseconds in "Defaults": nothing rounded
    EXPECT_EQ(read.maxNumFiles, 0);
    EXPECT_EQ(read.priority, -1);
}

TEST(Mission, ResetEmptiesTheJobButKeepsNothingOfIt) {
    TempIni ini;
    ApplicationProfile settings(ini.path.string().c_str());
    Mission m(settings);
    m.urls.add("http://host/");
    m.user = "u";
    m.password = "p";
    m.saveCredentials = true;
    m.outputPath = "out";
    m.outputFlags = Mission::kOutputNoSubdir;
    m.levelsInternal = 5;
    m.reset(settings);
    EXPECT_TRUE(m.urls.empty());
    EXPECT_TRUE(m.user.empty());
    EXPECT_TRUE(m.password.empty());
    EXPECT_FALSE(m.saveCredentials);
    EXPECT_TRUE(m.outputPath.empty());
    EXPECT_EQ(m.outputFlags, 0u);
    EXPECT_EQ(m.levelsInternal, Mission::kDefLevelsInternal);
}

TEST(Mission, HtmlFirstAndOutputFlagsAreNoPartOfCopyOrEquality) {
    TempIni ini;
    ApplicationProfile settings(ini.path.string().c_str());
    Mission a(settings);
    a.urls.add("http://host/a/");
    a.excludeUrls.add("http://host/a/private/");
    Mission b(a);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(b.urls[0], "http://host/a/");

    b.htmlFirst = 1;  // only HtmlFirst changed: not a change of the job
    b.outputFlags = Mission::kOutputNames83;
    EXPECT_TRUE(a == b);

    b.excludeUrls.element(0)->str = "http://host/a/other/";
    EXPECT_FALSE(a == b);
    Mission c(settings);
    c.htmlFirst = 1;
    c = b;
    EXPECT_EQ(c.htmlFirst, 1);  // copying leaves the target's own HtmlFirst
    EXPECT_TRUE(c == b);
}
