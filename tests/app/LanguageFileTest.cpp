#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TestSupport.h"
#include "app/LanguageFile.h"
#include "platform/File.h"
#include "platform/Text.h"

namespace {

const std::string kExt = platform::kLibraryExtension;

struct Present {
    const char* name;  // file name in the program folder
    enum { English, Russian, NoName, Garbage, Empty } content;
};

void Populate(const ScratchFolder& folder, const std::vector<Present>& files) {
    for (const Present& p : files) {
        std::string path = folder.file(p.name);
        switch (p.content) {
        case Present::English: MakeTestLibrary(TestLibrary::English, path); break;
        case Present::Russian: MakeTestLibrary(TestLibrary::Russian, path); break;
        case Present::NoName: MakeTestLibrary(TestLibrary::NoName, path); break;
        case Present::Garbage: folder.write(p.name, "this is no language library\n"); break;
        case Present::Empty: folder.write(p.name, ""); break;
        }
    }
}

struct LibraryCase {
    const char* title;
    std::vector<Present> files;
    const char* wanted;
    const char* code;     // resulting code
    const char* file;     // resulting file name
    bool found;
};

TEST(FindLanguageFile, Library) {
    const std::string enu = "zbenu" + kExt, rus = "zbrus" + kExt, deu = "zbdeu" + kExt;
    const std::string xxx = "zbxxx" + kExt, bad = "zbbad" + kExt, ru = "zbru" + kExt, rusx = "zbrusx" + kExt;
    const LibraryCase cases[] = {
        {"the wanted library exists", {{enu.c_str(), Present::English}, {rus.c_str(), Present::Russian}},
         "rus", "rus", rus.c_str(), true},
        {"the wanted one is taken as it is, loadable or not", {{enu.c_str(), Present::English}, {rus.c_str(), Present::Garbage}},
         "rus", "rus", rus.c_str(), true},
        {"missing code with enu present", {{enu.c_str(), Present::English}, {rus.c_str(), Present::Russian}},
         "deu", "enu", enu.c_str(), true},
        {"enu is taken without a load test", {{enu.c_str(), Present::NoName}, {rus.c_str(), Present::Russian}},
         "deu", "enu", enu.c_str(), true},
        {"only rus present", {{rus.c_str(), Present::Russian}}, "deu", "rus", rus.c_str(), true},
        {"an unnamed library is never chosen", {{xxx.c_str(), Present::NoName}, {rus.c_str(), Present::Russian}},
         "deu", "rus", rus.c_str(), true},
        {"nor one that does not load", {{bad.c_str(), Present::Garbage}, {rus.c_str(), Present::Russian}},
         "deu", "rus", rus.c_str(), true},
        {"nothing counts", {{xxx.c_str(), Present::NoName}, {bad.c_str(), Present::Garbage}},
         "deu", "deu", deu.c_str(), false},
        {"names that are not zb + three letters", {{ru.c_str(), Present::Russian}, {rusx.c_str(), Present::Russian}},
         "deu", "deu", deu.c_str(), false},
        {"empty folder", {}, "rus", "rus", rus.c_str(), false},
    };
    for (const LibraryCase& c : cases) {
        SCOPED_TRACE(c.title);
        ScratchFolder folder("langfind");
        Populate(folder, c.files);
        LanguageFile f = FindLanguageFile(AStr(folder.path()), c.wanted, kExt.c_str(), LanguageFileKind::Library);
        EXPECT_EQ(f.code, c.code);
        EXPECT_EQ(f.path, AStr(folder.file(c.file)));
        EXPECT_EQ(f.found, c.found);
    }
}

TEST(FindLanguageFile, HelpFilesCountWithoutALoadTest) {
    ScratchFolder folder("langhelp");
    Populate(folder, {{"zbrus.hlp", Present::Empty}});
    LanguageFile f = FindLanguageFile(AStr(folder.path()), "deu", kHelpExtension, LanguageFileKind::Help);
    EXPECT_EQ(f.code, "rus");
    EXPECT_EQ(f.path, AStr(folder.file("zbrus.hlp")));
    EXPECT_TRUE(f.found);
}

TEST(FindLanguageFile, FolderWithoutTrailingSeparator) {
    ScratchFolder folder("langsep");
    Populate(folder, {{("zbenu" + kExt).c_str(), Present::English}});
    std::string dir = folder.path().substr(0, folder.path().size() - 1);
    LanguageFile f = FindLanguageFile(AStr(dir), "enu", kExt.c_str(), LanguageFileKind::Library);
    EXPECT_TRUE(f.found);
    EXPECT_TRUE(platform::FileExists(f.path.c_str())) << f.path.c_str();
}

class LoadLanguageTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetAnsiCodePage(1252); }
};

TEST_F(LoadLanguageTest, FallsBackAndLoadsTheLibraryFound) {
    ScratchFolder folder("langload");
    Populate(folder, {{("zbrus" + kExt).c_str(), Present::Russian}, {"zbenu.hlp", Present::Empty}});
    {
        LangWithError lang;
        LanguageLoad r = LoadLanguage(AStr(folder.path()), "deu", lang);
        EXPECT_EQ(r.code, "rus");
        EXPECT_EQ(r.error, 0);
        EXPECT_TRUE(lang.owned());
        EXPECT_EQ(lang.text(22113), kRussianName);
        EXPECT_EQ(lang.module()->codePage(), 1251);
        // The help file is searched for the code the library search gave;
        // without zbrus.hlp that is the enu one.
        EXPECT_EQ(r.helpPath, AStr(folder.file("zbenu.hlp")));
#ifndef _WIN32
        EXPECT_EQ(platform::AnsiCodePage(), 1251) << "texts are handled in the library's code page";
#endif
    }
}

TEST_F(LoadLanguageTest, AFailedLoadLeavesNoLibrary) {
    ScratchFolder folder("langfail");
    Populate(folder, {{("zbenu" + kExt).c_str(), Present::Garbage}, {"other.lib", Present::English}});
    LangWithError lang;
    lang.setModule(platform::Library::Load(folder.file("other.lib").c_str()));
    ASSERT_TRUE(lang.loaded());
    LanguageLoad r = LoadLanguage(AStr(folder.path()), "enu", lang);
    EXPECT_EQ(r.code, "enu");
    EXPECT_NE(r.error, 0);
    EXPECT_FALSE(lang.loaded());
    EXPECT_EQ(lang.text(22113), "");
    EXPECT_EQ(r.helpPath, AStr(folder.file("zbenu.hlp"))) << "the help path names the wanted file even when missing";
}

}  // namespace

namespace {

// What the options dialog offers: every library that loads and names its
// language, by code, once each.
TEST(InstalledLanguages, OnlyLibrariesThatNameTheirLanguage) {
    ScratchFolder folder("langlist");
    const std::string rus = "zbrus" + kExt, enu = "zbenu" + kExt, xxx = "zbxxx" + kExt, bad = "zbbad" + kExt;
    const std::string ru = "zbru" + kExt;
    Populate(folder, {{rus.c_str(), Present::Russian},
                      {enu.c_str(), Present::English},
                      {xxx.c_str(), Present::NoName},
                      {bad.c_str(), Present::Garbage},
                      {ru.c_str(), Present::English}});
    std::vector<InstalledLanguage> list = InstalledLanguages(AStr(folder.path()));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(AStr("enu"), list[0].code);
    EXPECT_EQ(AStr("English (test)"), list[0].name);
    EXPECT_EQ(AStr("rus"), list[1].code);
    EXPECT_EQ(AStr(kRussianName), list[1].name);
    EXPECT_EQ(1251, list[1].codePage);

    ScratchFolder empty("langnone");
    EXPECT_TRUE(InstalledLanguages(AStr(empty.path())).empty());
}

}  // namespace
