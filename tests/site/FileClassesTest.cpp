#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ApplicationProfile.h"
#include "framework/FileExtension.h"
#include "site/FileClasses.h"
#include "site/Mission.h"

namespace {

Mission AllOff() {
    Mission m(ApplicationProfile(""));  // no file: the built-in defaults
    m.allowPicture = m.allowSound = m.allowVideo = m.allowDownload = false;
    return m;
}

}  // namespace

TEST(FileClasses, TablesHoldDottedExtensionsThatFitTheLimit) {
    size_t total = 0;
    for (FileClass c : {FileClass::Picture, FileClass::Sound, FileClass::Video, FileClass::Archive}) {
        for (std::string_view e : ExtensionsOf(c)) {
            EXPECT_LE(e.size(), kMaxExtension) << e;
            EXPECT_EQ(e[0], '.') << e;
            EXPECT_TRUE(ExtensionInClass(e, c)) << e;
            ++total;
        }
    }
    EXPECT_EQ(total, 24u);
    EXPECT_TRUE(ExtensionInClass(".JPG", FileClass::Picture));
    EXPECT_TRUE(ExtensionInClass(".Mpeg", FileClass::Video));
    EXPECT_FALSE(ExtensionInClass(".jpg", FileClass::Archive));
    EXPECT_FALSE(ExtensionInClass(".jpegx", FileClass::Picture));
    EXPECT_FALSE(ExtensionInClass(".jp", FileClass::Picture));
    EXPECT_FALSE(ExtensionInClass("", FileClass::Picture));
    EXPECT_FALSE(ExtensionInClass(".", FileClass::Picture));
}

TEST(FileClasses, SkipItemsAreOneExtensionWhateverTheirMarks) {
    for (const char* text : {"*.zip", "zip", ".zip", "?zip", " *.ZIP ", "x,*.zip", "a b,,zip"}) {
        SkipList s(text);
        EXPECT_TRUE(s.matches(".zip")) << text;
        EXPECT_TRUE(s.matches(".Zip")) << text;
        EXPECT_FALSE(s.matches(".zipx")) << text;
        EXPECT_FALSE(s.matches(".gz")) << text;
    }
}

TEST(FileClasses, SkipListBeyondTheOldTable) {
    // Twenty-five items: all are kept, the 99 characters bound the list.
    std::string many;
    for (char c = 'a'; c < 'a' + 25; ++c) many += std::string(".") + c + c + ",";
    SkipList s(many);
    EXPECT_EQ(s.count(), 25u);
    EXPECT_TRUE(s.matches(".yy"));

    // An item longer than any extension can be could never match and is
    // dropped, not cut to a shorter extension that the user did not name.
    SkipList longItems("*.jpeg,.html5,abcdefgh");
    ASSERT_EQ(longItems.count(), 1u);
    EXPECT_TRUE(longItems.matches(".jpeg"));
    EXPECT_FALSE(longItems.matches(".html"));
    EXPECT_FALSE(longItems.matches(".abcd"));

    // Only 99 characters are read.
    SkipList cut(std::string(97, ',') + "zip,arj");
    EXPECT_EQ(cut.count(), 1u);
    EXPECT_TRUE(cut.matches(".zi"));
    EXPECT_FALSE(cut.matches(".zip"));
    EXPECT_FALSE(cut.matches(".arj"));
}

TEST(FileClasses, SkipListFromTheSettingsFile) {
    auto path = std::filesystem::temp_directory_path() / "zb-skiplist.ini";
    std::ofstream(path, std::ios::binary) << "[Extensions]\r\nSkip=*.exe, .mp3,cab\r\n";
    SkipList s;
    s.read(ApplicationProfile(path.string().c_str()));
    std::filesystem::remove(path);
    EXPECT_EQ(s.count(), 3u);
    EXPECT_TRUE(s.matches(".CAB"));
}

TEST(FileClasses, TypeAllowedFollowsTheSwitchesAndTheSkipList) {
    SkipList none;
    Mission m = AllOff();
    EXPECT_TRUE(TypeAllowed(m, none, ""));
    EXPECT_TRUE(TypeAllowed(m, none, ".html"));
    EXPECT_FALSE(TypeAllowed(m, none, ".JPG"));
    EXPECT_FALSE(TypeAllowed(m, none, ".mp3"));
    EXPECT_FALSE(TypeAllowed(m, none, ".mov"));
    EXPECT_FALSE(TypeAllowed(m, none, Extension("http://h/get.cgi?f=a.zip")));
    m.allowPicture = m.allowSound = m.allowVideo = m.allowDownload = true;
    for (const char* e : {".jpg", ".mp3", ".mov", ".zip"}) EXPECT_TRUE(TypeAllowed(m, none, e)) << e;
    SkipList skip("html,zip");
    EXPECT_FALSE(TypeAllowed(m, skip, ".HTML"));
    EXPECT_FALSE(TypeAllowed(m, skip, ".zip"));  // the skip list wins over the switch
    EXPECT_TRUE(TypeAllowed(m, skip, ".htm"));
}
