#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "app/ProgramOptions.h"

namespace {

struct Settings {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
        ("zb-options-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini");
    explicit Settings(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    ~Settings() { std::error_code e; std::filesystem::remove(path, e); }
    std::string text() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

TEST(ProgramOptions, MissingKeysGiveTheDefaults) {
    Settings s("[Window]\r\nX=1\r\n");
    ProgramOptions o;
    o.read(ApplicationProfile(s.path.string().c_str()));
    EXPECT_EQ(o.language, "enu");
    EXPECT_EQ(o.braskDir, "");
    EXPECT_EQ(o.internetAgent, "");
    EXPECT_TRUE(o.showRefName && o.showPageTitle && o.showRefUrl);
}

TEST(ProgramOptions, WrittenInOrderBesideTheWindowsOwnOptions) {
    // "options" of the main window is the same section: keys ignore case.
    Settings s("[options]\r\nseppos1=50\r\n");
    ApplicationProfile f(s.path.string().c_str());
    ProgramOptions o;
    o.language = "rus";
    o.braskDir = "C:\\Sites";
    o.internetAgent = "Agent/1.0 (x)";
    o.showPageTitle = false;
    ASSERT_EQ(o.write(f), 0);
    EXPECT_EQ(s.text(), "[options]\r\nseppos1=50\r\nlanguage=rus\r\nbraskdir=C:\\Sites\r\n"
                        "InternetAgent=Agent/1.0 (x)\r\nShowRefName=1\r\nShowPageTitle=0\r\nShowRefUrl=1\r\n");
    ProgramOptions r;
    r.read(f);
    EXPECT_TRUE(r == o);
}

TEST(ProgramOptions, BooleansAreIntegers) {
    Settings s("[Options]\r\nShowRefName=2\r\nShowPageTitle=0\r\nShowRefUrl=no\r\nlanguage=\r\n");
    ProgramOptions o;
    o.read(ApplicationProfile(s.path.string().c_str()));
    EXPECT_TRUE(o.showRefName);
    EXPECT_FALSE(o.showPageTitle);
    EXPECT_TRUE(o.showRefUrl);  // not a number: the default
    EXPECT_EQ(o.language, "");  // a stored empty value is a value
}
