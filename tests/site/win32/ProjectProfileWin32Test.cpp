// The project file against the system's own private-profile calls: the
// stored example is what they write for the same keys in the same order,
// and what the project writes reads back through them.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "site/Project.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Get(const std::string& file, const char* section, const char* key) {
    char buf[4096];
    GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf, file.c_str());
    return buf;
}

}  // namespace

TEST(ProjectProfileWin32, SystemWritesTheStoredExample) {
    std::string file = (fs::temp_directory_path() / "zb-example-system.zbp").string();
    fs::remove(file);
    const char* rows[][3] = {
        {"URLs", "count", "1"}, {"URLs", "0", "http://www.example.com/index.html"},
        {"output", "path", ""}, {"output", "namesin83", "0"}, {"output", "nosubdir", "0"},
        {"levels", "internal", "1"}, {"levels", "external", "0"},
        {"Filter", "AllowPicture", "1"}, {"Filter", "AllowSound", "0"}, {"Filter", "AllowVideo", "0"},
        {"Filter", "AllowDownload", "0"},
        {"Options", "MaxNumFiles", "1000"}, {"Options", "MaxSizeFiles", "100"}, {"Options", "MaxNumThread", "5"},
        {"Options", "timeMaxWait", "10"}, {"Options", "CodePref", "1"}, {"Options", "Stubs", "0"},
        {"Options", "Priority", "0"}, {"Options", "AllowOutPicture", "1"}, {"Options", "OnlyInDirectory", "0"},
        {"Authenticate", "save", "0"}, {"Authenticate", "user", ""}, {"Authenticate", "password", ""},
        {"Options", "HtmlFirst", "0"},
    };
    for (auto& r : rows) ASSERT_TRUE(WritePrivateProfileStringA(r[0], r[1], r[2], file.c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // flush the system's cache
    EXPECT_EQ(Slurp(file), Slurp(fs::path(ZB_SOURCE_DIR) / "tests/data/example.zbp"));
    fs::remove(file);
}

TEST(ProjectProfileWin32, SystemReadsWhatTheProjectWrites) {
    std::string file = (fs::temp_directory_path() / "zb-project-system.zbp").string();
    std::string settings = (fs::temp_directory_path() / "zb-project-system.ini").string();
    fs::remove(file);
    std::ofstream(settings, std::ios::binary) << "";
    Project p{ApplicationProfile(settings.c_str())};
    p.urls.add("http://a/");
    p.urls.add("http://b/x y");
    p.excludeUrls.add("http://a/private");
    p.timeMaxWait = 150000;
    p.saveCredentials = true;
    p.user = "me";
    p.password = "abc";
    p.outputFlags = Mission::kOutputNoSubdir;
    ASSERT_EQ(p.save(file.c_str()), 0);
    EXPECT_EQ(GetPrivateProfileIntA("URLs", "count", -1, file.c_str()), 2);
    EXPECT_EQ(Get(file, "URLs", "1"), "http://b/x y");
    EXPECT_EQ(Get(file, "ExcludeUrl", "0"), "http://a/private");
    EXPECT_EQ(Get(file, "IncludeUrl", "count"), "<missing>");
    EXPECT_EQ(GetPrivateProfileIntA("Options", "timeMaxWait", -1, file.c_str()), 2);
    EXPECT_EQ(GetPrivateProfileIntA("output", "nosubdir", -1, file.c_str()), 1);
    EXPECT_EQ(Get(file, "Authenticate", "password"), "MHMIMJ");

    // And the system's edits read back into the project.
    ASSERT_TRUE(WritePrivateProfileStringA("levels", "internal", "4", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Options", "MaxNumFiles", "  -12", file.c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
    Project r{ApplicationProfile(settings.c_str())};
    ASSERT_EQ(r.open(file.c_str()), 0);
    EXPECT_EQ(r.levelsInternal, 4);
    EXPECT_EQ(r.maxNumFiles, -12);
    EXPECT_EQ(r.password, "abc");
    EXPECT_EQ(r.urls[1], "http://b/x y");
    fs::remove(file);
    fs::remove(settings);
}
