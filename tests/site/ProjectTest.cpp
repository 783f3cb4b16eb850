#include <gtest/gtest.h>

#include <climits>
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

// A project file and an empty settings file (built-in defaults) of one test.
struct Files {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::path project = fs::temp_directory_path() / ("zb-project-" + name + ".zbp");
    fs::path settings = fs::temp_directory_path() / ("zb-project-" + name + ".ini");
    Files() {
        std::error_code e;
        fs::remove(project, e);
        std::ofstream(settings, std::ios::binary) << "";
    }
    ~Files() {
        std::error_code e;
        fs::remove(project, e);
        fs::remove(settings, e);
    }
    void write(const std::string& text) const { std::ofstream(project, std::ios::binary) << text; }
    std::string read() const { return Slurp(project); }
    ApplicationProfile defaults() const { return ApplicationProfile(settings.string().c_str()); }
};

// A project read from text over a mission at the defaults.
struct Opened {
    Files files;
    Project p{files.defaults()};
    explicit Opened(const std::string& text) {
        files.write(text);
        EXPECT_EQ(p.open(files.project.string().c_str()), 0);
    }
};

}  // namespace

TEST(Project, ExampleFileByteForByte) {
    Files f;
    Project p(f.defaults());
    p.urls.add("http://www.example.com/index.html");
    ASSERT_EQ(p.save(f.project.string().c_str()), 0);
    EXPECT_EQ(f.read(), Slurp(fs::path(ZB_SOURCE_DIR) / "tests/data/example.zbp"));
}

TEST(Project, ReadsBackEveryField) {
    Files f;
    Project w(f.defaults());
    w.urls.add("http://a/");
    w.urls.add("");  // an empty element keeps its place
    w.urls.add("ftp://b/x");
    w.includeUrls.add("http://a/in");
    w.excludeUrls.add("http://a/out");
    w.outputPath = "C:\\sites\\a";
    w.outputFlags = Mission::kOutputNames83 | Mission::kOutputNoSubdir;
    w.levelsInternal = 3;
    w.levelsExternal = -1;
    w.allowPicture = false;
    w.allowSound = w.allowVideo = w.allowDownload = true;
    w.allowOutPicture = false;
    w.onlyInDirectory = true;
    w.maxNumFiles = -1;
    w.maxSizeFiles = INT32_MAX;
    w.maxNumThread = 9;
    w.timeMaxWait = 7 * 60000;
    w.codePref = 3;
    w.stubs = 1;
    w.priority = -2;
    w.htmlFirst = 1;
    w.saveCredentials = true;
    w.user = "me";
    w.password = "p\xE4ss word";
    ASSERT_EQ(w.save(f.project.string().c_str()), 0);

    Project r(f.defaults());
    ASSERT_EQ(r.open(f.project.string().c_str()), 0);
    EXPECT_TRUE(r == w);
    EXPECT_EQ(r.htmlFirst, 1);
    EXPECT_EQ(r.outputFlags, w.outputFlags);
    EXPECT_EQ(r.urls.count(), 3u);
    EXPECT_EQ(r.urls[1], "");
    EXPECT_EQ(r.password, "p\xE4ss word");
}

TEST(Project, FileWithoutOptionsKeepsPriorValues) {
    Files f;
    f.write("[URLs]\r\ncount=1\r\n0=http://x/\r\n[levels]\r\ninternal=2\r\n");
    Project p(f.defaults());
    p.maxNumFiles = 12;
    p.maxSizeFiles = 34;
    p.maxNumThread = 2;
    p.timeMaxWait = 59999;
    p.codePref = 0;
    p.stubs = 1;
    p.priority = 1;
    p.allowOutPicture = false;
    p.onlyInDirectory = true;
    p.htmlFirst = 1;
    p.levelsExternal = 4;
    ASSERT_EQ(p.open(f.project.string().c_str()), 0);
    EXPECT_EQ(p.levelsInternal, 2);
    EXPECT_EQ(p.levelsExternal, 4);
    EXPECT_EQ(p.maxNumFiles, 12);
    EXPECT_EQ(p.maxSizeFiles, 34);
    EXPECT_EQ(p.maxNumThread, 2);
    EXPECT_EQ(p.timeMaxWait, 59999);  // kept to the millisecond
    EXPECT_EQ(p.codePref, 0);
    EXPECT_EQ(p.stubs, 1);
    EXPECT_EQ(p.priority, 1);
    EXPECT_FALSE(p.allowOutPicture);
    EXPECT_TRUE(p.onlyInDirectory);
    EXPECT_EQ(p.htmlFirst, 1);
}

TEST(Project, WaitingTimeIsStoredInWholeMinutes) {
    struct Case {
        const char* stored;
        int32_t ms;
    } cases[] = {
        {"0", 0},
        {"1", 60000},
        {"35791", 35791 * 60000},
        {"35792", 35791 * 60000},  // beyond 32-bit milliseconds: the last whole minute
        {"2147483647", 35791 * 60000},
        {"-3", 0},  // a negative wait is no wait
        {"x", 1234},  // no number: the prior value
    };
    for (const Case& c : cases) {
        Opened o(std::string("[Options]\r\ntimeMaxWait=") + c.stored + "\r\n");
        o.p.timeMaxWait = 1234;
        o.p.readProject();
        EXPECT_EQ(o.p.timeMaxWait, c.ms) << c.stored;
    }
    Files f;
    Project p(f.defaults());
    p.timeMaxWait = 59999;
    ASSERT_EQ(p.save(f.project.string().c_str()), 0);
    EXPECT_NE(f.read().find("timeMaxWait=0\r\n"), std::string::npos);
    p.timeMaxWait = 120001;
    ASSERT_EQ(p.save(nullptr), 0);
    EXPECT_NE(f.read().find("timeMaxWait=2\r\n"), std::string::npos);
}

TEST(Project, CountsAreReadAsElevenCharactersOfSignedText) {
    struct Case {
        const char* stored;
        int32_t value;
    } cases[] = {
        {"250", 250},
        {"-5", -5},
        {"+42", 42},
        {"\" \t 17\"", 17},    // leading white space (kept inside quotes)
        {"12abc", 12},         // stops at the first non-digit
        {"0x10", 0},           // decimal only
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MAX},  // beyond 32 bits: the limit, not a wrapped value
        {"99999999999", INT32_MAX},
        {"000000000017", 1},   // only 11 characters count
        {"abc", 77},           // no number: the prior value
        {"", 77},
    };
    for (const Case& c : cases) {
        Opened o(std::string("[Options]\r\nMaxNumFiles=") + c.stored + "\r\nMaxSizeFiles=" + c.stored + "\r\n");
        o.p.maxNumFiles = o.p.maxSizeFiles = 77;
        o.p.readProject();
        EXPECT_EQ(o.p.maxNumFiles, c.value) << c.stored;
        EXPECT_EQ(o.p.maxSizeFiles, c.value) << c.stored;
    }
}

TEST(Project, QuotedListElementLosesItsQuotes) {
    Files f;
    Project p(f.defaults());
    p.urls.add("\"http://q/\"");
    p.excludeUrls.add("\"http://q/x\"");
    ASSERT_EQ(p.save(f.project.string().c_str()), 0);
    EXPECT_NE(f.read().find("0=\"http://q/\"\r\n"), std::string::npos);  // stored as it is
    Project r(f.defaults());
    ASSERT_EQ(r.open(f.project.string().c_str()), 0);
    EXPECT_EQ(r.urls[0], "http://q/");
    EXPECT_EQ(r.excludeUrls[0], "http://q/x");
}

TEST(Project, CredentialsAreStoredOnlyWithSave) {
    Files f;
    Project p(f.defaults());
    p.user = "me";
    p.password = "abc";
    p.saveCredentials = false;
    ASSERT_EQ(p.save(f.project.string().c_str()), 0);
    std::string text = f.read();
    EXPECT_NE(text.find("[Authenticate]\r\nsave=0\r\nuser=\r\npassword=\r\n"), std::string::npos) << text;

    // Reading such a file clears what the mission held.
    Project r(f.defaults());
    r.user = "other";
    r.password = "secret";
    ASSERT_EQ(r.open(f.project.string().c_str()), 0);
    EXPECT_EQ(r.user, "");
    EXPECT_EQ(r.password, "");

    p.saveCredentials = true;
    ASSERT_EQ(p.save(nullptr), 0);
    EXPECT_NE(f.read().find("[Authenticate]\r\nsave=1\r\nuser=me\r\npassword=MHMIMJ\r\n"), std::string::npos);
    ASSERT_EQ(r.open(f.project.string().c_str()), 0);
    EXPECT_TRUE(r.saveCredentials);
    EXPECT_EQ(r.user, "me");
    EXPECT_EQ(r.password, "abc");
}

TEST(Project, MissingPasswordReadsEmptyWhileOtherKeysKeepTheirValues) {
    Opened o("[Authenticate]\r\nsave=1\r\n");
    o.p.user = "kept";
    o.p.password = "dropped";
    o.p.readProject();
    EXPECT_EQ(o.p.user, "kept");
    EXPECT_EQ(o.p.password, "");
    Opened odd("[Authenticate]\r\npassword=MHM\r\n");  // odd length
    EXPECT_EQ(odd.p.password, "");
}

TEST(Project, ListSectionsAreWrittenAnewBehindTheOthers) {
    Files f;
    f.write("[URLs]\r\ncount=5\r\n0=a\r\n1=b\r\n2=c\r\n3=d\r\n4=e\r\nnote=x\r\n[ExcludeUrl]\r\ncount=1\r\n0=gone\r\n"
            "[Options]\r\nUnknown=kept\r\n");
    Project p(f.defaults());
    ASSERT_EQ(p.open(f.project.string().c_str()), 0);
    EXPECT_EQ(p.urls.count(), 5u);
    while (p.urls.count() > 3) delete p.urls.last();
    p.excludeUrls.clear();
    ASSERT_EQ(p.save(nullptr), 0);
    std::string text = f.read();
    EXPECT_EQ(text.find("[ExcludeUrl]"), std::string::npos) << text;  // an empty list leaves no section
    EXPECT_EQ(text.find("note=x"), std::string::npos);  // the whole section went
    EXPECT_EQ(text.find("3=d"), std::string::npos);
    size_t options = text.find("[Options]\r\nUnknown=kept\r\nMaxNumFiles=");
    size_t urls = text.find("[URLs]\r\ncount=3\r\n0=a\r\n1=b\r\n2=c\r\n[output]");
    ASSERT_NE(options, std::string::npos) << text;
    ASSERT_NE(urls, std::string::npos) << text;
    EXPECT_LT(options, urls);
}

TEST(Project, StoredOutputBitsDecideAndMissingOnesKeepTheFlags) {
    Opened o("[output]\r\nnamesin83=1\r\nnosubdir=7\r\n");
    EXPECT_EQ(o.p.outputFlags, Mission::kOutputNames83 | Mission::kOutputNoSubdir);

    // A project opened over one that saved without sub-folders must not
    // inherit that layout: its own "0" clears the bit.
    o.files.write("[output]\r\nnamesin83=0\r\n");
    o.p.readProject();
    EXPECT_EQ(o.p.outputFlags, Mission::kOutputNoSubdir);
}

TEST(Project, OpenSaveNewAndTheChangeMark) {
    Files f;
    ApplicationProfile defaults = f.defaults();
    Project p(defaults);
    p.levelsInternal = 6;
    EXPECT_EQ(p.open(f.project.string().c_str()), -1);  // no such file: nothing changes
    EXPECT_EQ(p.levelsInternal, 6);
    EXPECT_TRUE(p.path().empty());

    Mission before = p;  // the copy the main window takes before the dialog
    p.htmlFirst = 1;
    p.outputFlags = Mission::kOutputNames83;
    EXPECT_FALSE(p.noteEdit(before));  // only HtmlFirst and the output flags
    p.maxNumThread = 2;
    EXPECT_TRUE(p.noteEdit(before));

    ASSERT_EQ(p.save(f.project.string().c_str()), 0);
    EXPECT_FALSE(p.changed());
    EXPECT_EQ(p.path(), f.project.string());

    p.makeNew(defaults);
    EXPECT_TRUE(p.path().empty());
    EXPECT_EQ(p.levelsInternal, Mission::kDefLevelsInternal);
    EXPECT_EQ(p.maxNumThread, Mission::kDefMaxNumThread);
    EXPECT_EQ(p.outputFlags, 0u);

    ASSERT_EQ(p.open(f.project.string().c_str()), 0);
    EXPECT_EQ(p.levelsInternal, 6);
    EXPECT_EQ(p.maxNumThread, 2);
    EXPECT_EQ(p.htmlFirst, 1);
}

TEST(Project, SaveFailureKeepsTheChangeMark) {
    Files f;
    Project p(f.defaults());
    p.markChanged();
    fs::path folder = fs::temp_directory_path() / "zb-project-folder.zbp";
    fs::create_directories(folder);
    EXPECT_NE(p.save(folder.string().c_str()), 0);  // a folder of that name
    EXPECT_TRUE(p.changed());
    fs::remove(folder);
}
