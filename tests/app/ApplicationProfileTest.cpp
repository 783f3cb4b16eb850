#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "app/Password.h"
#include "platform/File.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

class ApplicationProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("profile-test-" + std::to_string(rd()));
        fs::create_directories(dir_);
        path_ = (dir_ / "zbrask.ini").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string text() const {
        std::ifstream f(path_, std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }
    void put(std::string_view bytes) const {
        std::ofstream f(path_, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator())); }

    fs::path dir_;
    std::string path_;
};

StrList Strings(std::initializer_list<const char*> items) {
    StrList l;
    for (const char* s : items) l.add(s);
    return l;
}

TEST(ApplicationProfilePath, FromModuleName) {
    struct { const char* module; const char* want; } rows[] = {
        {"C:\\Program Files\\Zb\\zbrask.exe", "C:\\Program Files\\Zb\\zbrask.INI"},
        {"C:\\dir.d\\zbrask", "C:\\dir.d\\zbrask.INI"},   // a dot in a folder is no extension
        {"/opt/zb.d/zbrask", "/opt/zb.d/zbrask.INI"},
        {"C:zbrask.exe", "C:zbrask.INI"},
        {"D:.x\\a.b.c", "D:.x\\a.b.INI"},
        {"zbrask", "zbrask.INI"},
        {"", ""},
    };
    for (auto& r : rows) EXPECT_EQ(ApplicationProfile::PathForModule(r.module), r.want) << r.module;
    EXPECT_EQ(ApplicationProfile::PathForModule(std::string(261, 'a')), "");
    EXPECT_EQ(ApplicationProfile::PathForModule(std::string(256, 'a') + ".exe"), std::string(256, 'a') + ".INI");

    ApplicationProfile own;
    std::string program = platform::ProgramPath();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(own.path(), ApplicationProfile::PathForModule(program));
    EXPECT_EQ(ApplicationProfile(ApplicationProfile::Module{"x\\prog.exe"}).path(), "x\\prog.INI");
}

TEST(Password, Encoding) {
    EXPECT_EQ(EncodePassword("abc"), "MHMIMJ");
    EXPECT_EQ(DecodePassword("MHMIMJ"), "abc");
    EXPECT_EQ(EncodePassword(""), "");
    EXPECT_EQ(DecodePassword(""), "");
    EXPECT_EQ(DecodePassword("MHMIM"), "");        // odd length
    EXPECT_EQ(DecodePassword("AB"), "\x9B");       // ((65 - 7) * 16 + 66 - 71) mod 256 = 155
    EXPECT_EQ(DecodePassword("zz"), "c");          // ((122 - 7) * 16 + 122 - 71) mod 256 = 99
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    AStr encoded = EncodePassword(all);
    for (char c : encoded.view()) ASSERT_TRUE(c >= 'G' && c <= 'V');
    EXPECT_EQ(DecodePassword(encoded), AStr(all));
}

TEST_F(ApplicationProfileTest, TypedValuesRoundTrip) {
    ApplicationProfile p(path_.c_str());
    EXPECT_EQ(p.readString("Options", "language", "enu"), "enu");  // no file yet
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_EQ(p.writeString("Options", "language", "rus"), 0);
    EXPECT_EQ(p.readString("OPTIONS", "Language", "enu"), "rus");
    EXPECT_EQ(p.writeInt("options", "seppos1", -42), 0);
    EXPECT_EQ(p.readInt("Options", "seppos1", 50), -42);
    EXPECT_EQ(p.writeUnsigned("Dial Up", "Time Limit", 3000000000u), 0);  // above 2147483647
    EXPECT_EQ(p.readUnsigned("Dial Up", "Time Limit", 3600000), 3000000000u);
    EXPECT_EQ(p.writeBool("DLoad", "ExitOnEnd", true), 0);
    EXPECT_TRUE(p.readBool("DLoad", "ExitOnEnd", false));
    EXPECT_EQ(text(), "[Options]\r\nlanguage=rus\r\nseppos1=-42\r\n[Dial Up]\r\nTime Limit=3000000000\r\n[DLoad]\r\nExitOnEnd=1\r\n");

    std::string longText(5000, 'x');  // longer than any first buffer: never cut
    EXPECT_EQ(p.writeString("Options", "InternetAgent", longText.c_str()), 0);
    EXPECT_EQ(p.readString("Options", "InternetAgent", "", 1024).size(), 5000u);
    EXPECT_EQ(p.readString("Options", nullptr, ""), AStr("language\0seppos1\0InternetAgent\0"sv));
    EXPECT_EQ(p.readString(nullptr, nullptr, ""), AStr("Options\0Dial Up\0DLoad\0"sv));

    EXPECT_EQ(p.deleteKey("Options", "InternetAgent"), 0);
    EXPECT_EQ(p.deleteSection("Dial Up"), 0);
    EXPECT_EQ(text(), "[Options]\r\nlanguage=rus\r\nseppos1=-42\r\n[DLoad]\r\nExitOnEnd=1\r\n");
}

TEST_F(ApplicationProfileTest, ReadsOfStoredText) {
    put("[u]\nmax=4294967295\nover=4294967296\nneg=-1\nword=abc\nlead=12abc\nlong=000000000042\nsp=  7\n"
        "[b]\nzero=0\ntwo=2\nword=yes\n"
        "[Proxy]\nAddress=:8080\nHost=proxy:3128\n");
    ApplicationProfile p(path_.c_str());
    struct { const char* key; uint32_t want; } rows[] = {
        {"max", 4294967295u}, {"over", 9}, {"neg", 9}, {"word", 9}, {"lead", 12},
        {"long", 4},      // only the first 11 characters count
        {"sp", 7}, {"missing", 9},
    };
    for (auto& r : rows) EXPECT_EQ(p.readUnsigned("u", r.key, 9), r.want) << r.key;
    EXPECT_FALSE(p.readBool("b", "zero", true));
    EXPECT_TRUE(p.readBool("b", "two", false));
    EXPECT_TRUE(p.readBool("b", "word", true));   // unreadable: the default
    EXPECT_FALSE(p.readBool("b", "word", false));
    EXPECT_TRUE(p.readBool("b", "missing", true));
    EXPECT_EQ(p.readHostAddress("Proxy", "Address"), "");    // a port without a host
    EXPECT_EQ(p.readHostAddress("Proxy", "Host"), "proxy:3128");
    EXPECT_EQ(p.readHostAddress("Proxy", "Missing"), "");
}

TEST_F(ApplicationProfileTest, QuoteSafeWrites) {
    ApplicationProfile p(path_.c_str());
    struct { const char* value; bool protect; const char* readBack; } rows[] = {
        {"\"quoted\"", true, "\"quoted\""},
        {"\"quoted\"", false, "quoted"},
        {"\"", true, "\""},
        {"\"\"", true, "\"\""},
        {"a\"b\"", true, "a\"b\""},
        {"\"open", true, "\"open"},
        {" \"blank\" ", true, "\"blank\""},   // judged as it is stored, without the blanks
        {"plain", true, "plain"},
        {"", true, ""},
    };
    for (auto& r : rows) {
        EXPECT_EQ(p.writeStringQuoteSafe("s", "k", r.value, r.protect), 0);
        EXPECT_EQ(p.readString("s", "k", "d"), r.readBack) << r.value << " " << r.protect;
    }
}

TEST_F(ApplicationProfileTest, ListsWithTheirDeleteRules) {
    put("[Dial Up.Home]\ncount=5\n0=a\n1=b\n2=c\n3=d\n4=e\nPhoneList=1\n[Other]\nx=1\n");
    ApplicationProfile p(path_.c_str());
    StrList read;
    p.readList(read, "Dial Up.Home");
    EXPECT_EQ(read, Strings({"a", "b", "c", "d", "e"}));

    // Three over five, keeping the section's other keys.
    EXPECT_EQ(p.writeList(Strings({"x", "\"q\"", ""}), "Dial Up.Home", true, false), 0);
    EXPECT_EQ(text(), "[Dial Up.Home]\r\nPhoneList=1\r\ncount=3\r\n0=x\r\n1=\"\"q\"\"\r\n2=\r\n[Other]\r\nx=1\r\n");
    p.readList(read, "Dial Up.Home");
    EXPECT_EQ(read, Strings({"x", "\"q\"", ""}));  // an empty element is kept

    // Then empty: neither "count" nor any element stays.
    EXPECT_EQ(p.writeList(StrList(), "Dial Up.Home", true, false), 0);
    EXPECT_EQ(text(), "[Dial Up.Home]\r\nPhoneList=1\r\n[Other]\r\nx=1\r\n");
    p.readList(read, "Dial Up.Home");
    EXPECT_TRUE(read.empty());

    // Clearing removes the whole section first; an empty list leaves none.
    EXPECT_EQ(p.writeList(Strings({"p1", "p2"}), "MissionList", false, true), 0);
    EXPECT_EQ(p.writeList(Strings({"p3"}), "Dial Up.Home", false, true), 0);
    EXPECT_EQ(text(), "[Other]\r\nx=1\r\n[MissionList]\r\ncount=2\r\n0=p1\r\n1=p2\r\n[Dial Up.Home]\r\ncount=1\r\n0=p3\r\n");
    EXPECT_EQ(p.writeList(StrList(), "MissionList", false, true), 0);
    EXPECT_EQ(text(), "[Other]\r\nx=1\r\n[Dial Up.Home]\r\ncount=1\r\n0=p3\r\n");

    // Unprotected elements lose enclosing quotes on the next read.
    EXPECT_EQ(p.writeList(Strings({"\"q\""}), "URLs", false, true), 0);
    p.readList(read, "URLs");
    EXPECT_EQ(read, Strings({"q"}));
}

TEST_F(ApplicationProfileTest, DamagedListCounts) {
    put("[gap]\ncount=5\n0=a\n3=d\n[huge]\ncount=2000000000\n0=a\n7=h\n[neg]\ncount=-3\n0=a\n[word]\ncount=x\n0=a\n");
    ApplicationProfile p(path_.c_str());
    StrList read;
    p.readList(read, "gap");
    EXPECT_EQ(read, Strings({"a", "", "", "d", ""}));  // missing keys read as empty
    auto start = std::chrono::steady_clock::now();
    p.readList(read, "huge");
    EXPECT_EQ(read, Strings({"a", "", "", "", "", "", "", "h"}));  // up to the last key present
    EXPECT_EQ(p.writeList(Strings({"z"}), "huge", false, false), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(p.readString("huge", nullptr, ""), AStr("count\0" "0\0"sv));
    p.readList(read, "neg");
    EXPECT_TRUE(read.empty());
    p.readList(read, "word");
    EXPECT_TRUE(read.empty());
}

// The parsed file is kept, but a change on disk, even within the same
// second and of the same size, is seen by the next read.
TEST_F(ApplicationProfileTest, SeesChangesMadeByOthers) {
    put("[s]\nk=1\n");
    ApplicationProfile p(path_.c_str());
    EXPECT_EQ(p.readInt("s", "k", 0), 1);
    put("[s]\nk=2\n");
    EXPECT_EQ(p.readInt("s", "k", 0), 2);
    EXPECT_EQ(p.writeInt("s", "j", 3), 0);
    put("[s]\r\nk=4\r\nj=3\r\n");
    EXPECT_EQ(p.readInt("s", "k", 0), 4);
    EXPECT_EQ(p.writeInt("s", "j", 5), 0);  // written over the file as it is now
    EXPECT_EQ(text(), "[s]\r\nk=4\r\nj=5\r\n");
    fs::remove(path_);
    EXPECT_EQ(p.readInt("s", "k", 9), 9);

    // And a change to a file last seen long ago, with an old time.
    put("[s]\nk=6\n");
    platform::FileTimes old{1000000000};
    ASSERT_EQ(platform::SetFileTimes(path_.c_str(), old), 0);
    EXPECT_EQ(p.readInt("s", "k", 0), 6);
    EXPECT_EQ(p.readInt("s", "k", 0), 6);
    put("[s]\nk=7\n");
    EXPECT_EQ(p.readInt("s", "k", 0), 7);

    ApplicationProfile copy = p;  // a copy names the same file
    EXPECT_EQ(copy.readInt("s", "k", 0), 7);
}

TEST_F(ApplicationProfileTest, UnchangedWritesLeaveTheFileAlone) {
    put("[s]\nk = v\n");
    ApplicationProfile p(path_.c_str());
    EXPECT_EQ(p.writeString("S", "K", "v"), 0);
    EXPECT_EQ(p.deleteKey("s", "missing"), 0);
    EXPECT_EQ(p.deleteSection("missing"), 0);
    EXPECT_EQ(text(), "[s]\nk = v\n");
    EXPECT_EQ(p.writeList(StrList(), "none", false, false), 0);
    EXPECT_EQ(text(), "[s]\nk = v\n");
}

// Hostile files: reads give their defaults, nothing crashes.
TEST_F(ApplicationProfileTest, BadFilesReadAsDefaults) {
    std::mt19937 rng(3);
    std::string binary(256 * 1024, '\0');
    for (char& c : binary) c = static_cast<char>(rng());
    std::string nuls("[Options]\nlanguage=r\0us\n\0\0\0\n[Dial Up]\nUsage=\0" "2\n"sv);
    std::string longLines = "[Options]\nlanguage=" + std::string(100 * 1024, 'x') + "\n" + std::string(100 * 1024, '=') + "\n";
    std::string big = "[Defaults]\n";
    while (big.size() < 10 * 1024 * 1024) big += "Options.MaxNumFiles=" + std::to_string(big.size()) + "\n";
    for (const std::string* bytes : {&binary, &nuls, &longLines, &big}) {
        put(*bytes);
        ApplicationProfile p(path_.c_str());
        EXPECT_EQ(p.readInt("Dial Up", "Usage", 0), 0);
        EXPECT_EQ(p.readUnsigned("Dial Up", "Time Limit", 3600000), 3600000u);
        EXPECT_EQ(p.readString("Proxy", "Address", ""), "");
        StrList l;
        p.readList(l, "MissionList");
        EXPECT_TRUE(l.empty());
        EXPECT_EQ(p.writeInt("Window", "X", 1), 0);
        EXPECT_EQ(p.readInt("Window", "X", 0), 1);
    }
    put(nuls);
    ApplicationProfile p(path_.c_str());
    EXPECT_EQ(p.readString("Options", "language", "enu"), "r");
    EXPECT_EQ(p.readInt("Options", "x", 5), 5);
}

TEST_F(ApplicationProfileTest, FailedWritesLeaveTheOldFile) {
    // A folder where the file should be: reads give defaults, writes fail.
    fs::create_directory(path_);
    ApplicationProfile folder(path_.c_str());
    EXPECT_EQ(folder.readString("Options", "language", "enu"), "enu");
    EXPECT_NE(folder.writeString("Options", "language", "rus"), 0);
    EXPECT_NE(folder.writeList(Strings({"a"}), "L", false, true), 0);
    EXPECT_TRUE(fs::is_directory(path_));
    fs::remove(path_);

    // A file too large to read is not replaced by a write.
    put("[s]\nk=v\n");
    fs::resize_file(path_, (64 << 20) + 1);
    ApplicationProfile large(path_.c_str());
    EXPECT_EQ(large.readString("s", "k", "d"), "d");
    EXPECT_NE(large.writeString("s", "j", "w"), 0);
    EXPECT_EQ(fs::file_size(path_), (64u << 20) + 1);
    fs::remove(path_);

    // A missing folder, a name the file cannot hold, no path at all.
    ApplicationProfile missing((dir_ / "no" / "x.ini").string().c_str());
    EXPECT_NE(missing.writeString("s", "k", "v"), 0);
    put("[s]\nk=v\n");
    ApplicationProfile p(path_.c_str());
    EXPECT_EQ(p.writeString("s", "a=b", "v"), -1);
    EXPECT_EQ(p.writeList(Strings({"a"}), "bad]name", false, false), -1);
    EXPECT_EQ(text(), "[s]\nk=v\n");
    EXPECT_EQ(p.readString("s", "k", "d"), "v");
    ApplicationProfile none("");
    EXPECT_EQ(none.readInt("s", "k", 4), 4);
    EXPECT_NE(none.writeInt("s", "k", 1), 0);
    EXPECT_EQ(entries(), 1u);  // no temporary left behind
}

}  // namespace

TEST(ApplicationProfileHeldWrites, WriteTheFileOnceAndWhole) {
    std::string path = (std::filesystem::temp_directory_path() / "zb-held-writes.ini").string();
    std::filesystem::remove(path);
    {
        ApplicationProfile f(path.c_str());
        f.beginWrites();
        EXPECT_EQ(f.writeInt("a", "x", 1), 0);
        EXPECT_EQ(f.readInt("a", "x", 0), 1);  // reads see the held writes
        EXPECT_FALSE(std::filesystem::exists(path));
        f.beginWrites();
        EXPECT_EQ(f.writeString("b", "y", "2"), 0);
        EXPECT_EQ(f.endWrites(), 0);
        EXPECT_FALSE(std::filesystem::exists(path));  // the outer set is still open
        EXPECT_EQ(f.endWrites(), 0);
        EXPECT_TRUE(std::filesystem::exists(path));

        // A name the file cannot hold spoils the set: none of it is written.
        f.beginWrites();
        EXPECT_EQ(f.writeInt("a", "x", 5), 0);
        EXPECT_NE(f.writeInt("a", "bad=name", 1), 0);
        EXPECT_NE(f.endWrites(), 0);
        EXPECT_EQ(f.readInt("a", "x", 0), 1);
    }
    ApplicationProfile again(path.c_str());
    EXPECT_EQ(again.readInt("a", "x", 0), 1);
    EXPECT_EQ(again.readString("b", "y", ""), "2");
    std::filesystem::remove(path);
}
