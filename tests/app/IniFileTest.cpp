#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/IniFile.h"

namespace {

namespace fs = std::filesystem;
using Edit = IniFile::Edit;
using namespace std::string_view_literals;

std::string Get(const IniFile& f, const char* s, const char* k, const char* def = "d") {
    return std::string(f.getString(s, k, def).view());
}

IniFile Parse(std::string_view bytes) {
    IniFile f;
    f.loadBytes(bytes);
    return f;
}

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("ini-test-" + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const char* name) const { return (path_ / name).string(); }
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(path_), fs::directory_iterator())); }

private:
    fs::path path_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What the platform's reader makes of hand-edited files.
TEST(IniFile, ReadsHandEditedFilesAsThePlatformDoes) {
    struct Row {
        std::string_view file;
        const char* section;
        const char* key;
        const char* want;
    } rows[] = {
        {"[Sec]\r\nKey=Value\r\n"sv, "sec", "KEY", "Value"},
        {"[Sec]\nKey=Value"sv, "  SEC ", " key  ", "Value"},                  // LF, no final newline, names trimmed
        {"  [ Sec One ]  \n Key One \t=\t Value One  \n"sv, "Sec One", "Key One", "Value One"},
        {"[a]\rx=1\ry=2\r"sv, "a", "y", "2"},                                 // CR alone ends a line
        {"[a]\n;c=x\nk=1\n"sv, "a", ";c", "x"},                                // comments are found by name
        {"[a]\nk=1\nK=2\n"sv, "a", "k", "1"},                                  // the first of two wins
        {"[a]\nx=1\n[b]\n[A]\nx=3\nz=4\n"sv, "a", "z", "d"},                  // only the first section counts
        {"top=1\n[s]\n"sv, "", "top", "1"},                                    // lines before any header
        {"[sec\nk=v\n"sv, "sec", "k", "d"},                                    // no "]": an ordinary line
        {"[sec\nk=v\n"sv, "", "k", "v"},
        {"[a] more text\nk=1\n"sv, "a", "k", "1"},
        {"[a]\nnoeq\n"sv, "a", "noeq", "d"},                                   // a line without "=" holds no value
        {"[a]\ne=\n"sv, "a", "e", ""},
        {"[a]\nk=a=b\n"sv, "a", "k", "a=b"},
        {"[a]\nk=\x1av\x1a\n"sv, "a", "k", "v"},                              // 0x1A counts as a blank
        {"[a]\nk=\xA0v\n"sv, "a", "k", "\xA0v"},                              // 0xA0 does not
        {"[a]\nk=ab\0cd\n"sv, "a", "k", "ab"},                                 // a zero byte ends the value
        {"[b\0]\nz=1\n"sv, "b", "z", "1"},
        {"[q]\nk=\"dq\"\n"sv, "q", "k", "dq"},
        {"[q]\nk=\"\"x\"\"\n"sv, "q", "k", "\"x\""},                          // one pair only
        {"[q]\nk=\"\n"sv, "q", "k", "\""},
        {"[q]\nk=\"lead\n"sv, "q", "k", "\"lead"},
        {"[q]\nk='sq'\n"sv, "q", "k", "'sq'"},                                 // single quotes stay
        {"[q]\nk=  \"  in  \"  \n"sv, "q", "k", "  in  "},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file);
        EXPECT_EQ(Get(Parse(r.file), r.section, r.key), r.want);
    }
}

TEST(IniFile, DefaultsLoseTrailingSpacesAndQuotes) {
    IniFile f = Parse("[a]\nk=1\n");
    struct { const char* def; const char* want; } rows[] = {
        {"  def  ", "  def"}, {"\"def\"", "def"}, {"   ", " "}, {"tab\t", "tab\t"}, {"\"", "\""}, {nullptr, ""},
    };
    for (auto& r : rows) EXPECT_EQ(Get(f, "a", "missing", r.def), r.want) << (r.def ? r.def : "null");
}

TEST(IniFile, ListsOfSectionsAndKeys) {
    IniFile f = Parse("top=1\n[a]\nk=1\n;c=2\nnoeq\n=e\n[]\n[b]\n[a]\nz=1\n[c]\n;only\n");
    EXPECT_EQ(f.getString(nullptr, nullptr, "d"), AStr(std::string_view("a\0b\0a\0c\0", 8)));
    EXPECT_EQ(f.getString("a", nullptr, "d"), AStr(std::string_view("k\0\0", 3)));  // the empty name counts
    EXPECT_EQ(Get(f, "b", nullptr, "dflt"), "dflt");                                  // empty: the default
    EXPECT_EQ(Get(f, "c", nullptr, "dflt"), "dflt");
    EXPECT_EQ(Get(f, "none", nullptr, "dflt"), "dflt");
    EXPECT_EQ(Get(Parse(""), nullptr, nullptr, "dflt"), "");                         // never for sections
}

TEST(IniFile, BufferSizesGiveThePlatformsCounts) {
    IniFile f = Parse("[abc]\nk=0123456789\nkey2=x\n[de]\n");
    struct Row {
        const char* section;
        const char* key;
        size_t size;
        size_t ret;
        std::string_view text;  // the bytes up to and with the terminator
    } rows[] = {
        {"abc", "k", 12, 10, {"0123456789\0", 11}},
        {"abc", "k", 11, 10, {"0123456789\0", 11}},
        {"abc", "k", 10, 9, {"012345678\0", 10}},
        {"abc", "k", 1, 0, {"\0", 1}},
        {"abc", nullptr, 9, 7, {"k\0key2\0\0", 8}},
        {"abc", nullptr, 8, 6, {"k\0key2\0\0", 8}},    // an exact fit counts as cut
        {"abc", nullptr, 7, 5, {"k\0key\0\0", 7}},
        {"abc", nullptr, 3, 1, {"k\0\0", 3}},
        {"abc", nullptr, 2, 0, {"\0\0", 2}},
        {nullptr, nullptr, 8, 6, {"abc\0de\0\0", 8}},
        {nullptr, nullptr, 6, 4, {"abc\0\0", 5}},
        {"de", nullptr, 3, 2, {"di\0", 3}},             // an empty list gives the default, cut as a value
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.size));
        char buf[32];
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(f.getString(r.section, r.key, r.section && std::string_view(r.section) == "de" ? "dip" : "d", buf, r.size), r.ret);
        EXPECT_EQ(std::string_view(buf, r.text.size()), r.text);
        EXPECT_EQ(buf[r.size], '#');  // nothing beyond the buffer
    }
    char one = '#';
    EXPECT_EQ(f.getString("abc", "k", "d", &one, 0), 0u);
    EXPECT_EQ(one, '#');
}

TEST(IniFile, Integers) {
    IniFile f = Parse(
        "[i]\na=12\nb=  -5  \nc=12abc\nd=abc\ne=\nf=0x10\ng=+7\nh=4294967295\nj=99999999999\nl=\"42\"\nn=007\n"
        "o=-2147483649\np=1e3\nq\nr=0o17\ns=0b101\nt=0X10\nu=- 3\nv=1000000000000000000000000000007\nw=0x\n");
    struct { const char* key; int want; } rows[] = {
        {"a", 12}, {"b", -5}, {"c", 12}, {"d", 99}, {"e", 99}, {"f", 16}, {"g", 7}, {"h", -1},
        {"j", 1215752191},                 // wraps modulo 2^32, as the platform's does
        {"l", 42}, {"n", 7}, {"o", 2147483647}, {"p", 1}, {"q", 99}, {"r", 15}, {"s", 5},
        {"t", 0},                          // only a lower-case "x" makes hexadecimal
        {"u", 99}, {"missing", 99},
        {"v", 268435456},                  // read through 29 characters: 10^28 mod 2^32
        {"w", 99},
    };
    for (auto& r : rows) EXPECT_EQ(f.getInt("i", r.key, 99), r.want) << r.key;
    EXPECT_EQ(f.getInt("i", nullptr, 99), 99);
}

TEST(IniFile, EditsProduceTheCanonicalFile) {
    struct Row {
        std::string_view before;
        const char* section;
        const char* key;
        const char* value;  // null: delete the key (or with a null key the section)
        Edit edit;
        const char* after;
    } rows[] = {
        {""sv, "s", "k", "v", Edit::Changed, "[s]\r\nk=v\r\n"},
        {"[s]\nk = v\n"sv, "S", "K", "v", Edit::Unchanged, "[s]\r\nk=v\r\n"},
        {"[s]\nKey=v\n"sv, "S", "KEY", "V", Edit::Changed, "[s]\r\nKey=V\r\n"},
        {"\n[a]\nx=1\n\n[b]\ny=2\n\n"sv, "a", "new", "n", Edit::Changed, "[a]\r\nx=1\r\nnew=n\r\n[b]\r\ny=2\r\n"},
        {"[a]\nx=1\n"sv, "b", "k", "v", Edit::Changed, "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
        {"[s]\nk=1\n"sv, "", "top", "1", Edit::Changed, "top=1\r\n[s]\r\nk=1\r\n"},
        {"[a]\nnoeq\nj=1\n"sv, "a", "noeq", "v", Edit::Changed, "[a]\r\nnoeq=v\r\nj=1\r\n"},
        {"[a]\nk=1\nk=2\n"sv, "a", "k", nullptr, Edit::Changed, "[a]\r\nk=2\r\n"},
        {"[a]\nk=1\n"sv, "a", "x", nullptr, Edit::Unchanged, "[a]\r\nk=1\r\n"},
        {"[a]\nk=1\n[b]\n[a]\nk=2\n"sv, "a", nullptr, nullptr, Edit::Changed, "[b]\r\n[a]\r\nk=2\r\n"},
        {"top=1\n[s]\nk=v\n"sv, "", nullptr, nullptr, Edit::Changed, "[s]\r\nk=v\r\n"},
        {"[a]\n;c = 3\n"sv, "a", "k", "  v  ", Edit::Changed, "[a]\r\n;c=3\r\nk=v\r\n"},
        {"[a]\n"sv, " a ", " k ", "x\r\ny=z", Edit::Changed, "[a]\r\nk=x\r\n"},    // the value ends at the break
        {"[a]\n"sv, "a", "k=x", "v", Edit::Rejected, "[a]\r\n"},
        {"[a]\n"sv, "a", "[t]", "v", Edit::Rejected, "[a]\r\n"},
        {"[a]\n"sv, "a]b", "k", "v", Edit::Rejected, "[a]\r\n"},
        {"[a]\n"sv, "a\nb", "k", "v", Edit::Rejected, "[a]\r\n"},
        {"[a]\n"sv, "[t", "k", "v", Edit::Changed, "[a]\r\n[[t]\r\nk=v\r\n"},
        {"[a]\nk=1\n[]\nx=2\n"sv, "a", "k", "5", Edit::Changed, "[a]\r\nk=5\r\n[]\r\nx=2\r\n"},
        {"[a]\nk=ab\0cd\n"sv, "a", "m", "1", Edit::Changed, "[a]\r\nk=ab\r\nm=1\r\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.before);
        IniFile f = Parse(r.before);
        Edit e = r.value ? f.setString(r.section, r.key, r.value) : r.key ? f.deleteKey(r.section, r.key) : f.deleteSection(r.section);
        EXPECT_EQ(e, r.edit);
        std::string bytes = f.bytes();
        EXPECT_EQ(bytes, r.after);
        // What is kept in memory is what a fresh read of the file gives.
        EXPECT_EQ(Parse(bytes).bytes(), bytes);
    }
}

TEST(IniFile, MemoryAgreesWithTheFileAfterManyEdits) {
    std::mt19937 rng(7);
    const char* names[] = {"a", "B", "c", "", ";x", "  d  "};
    const char* values[] = {"1", "\"q\"", "", " sp ", "x=y", "\"", "line\nbreak"};
    IniFile f = Parse("top=1\n[a]\nk\n[B]\nc=2\n");
    for (int i = 0; i < 2000; ++i) {
        const char* s = names[rng() % 6];
        const char* k = names[rng() % 6];
        switch (rng() % 4) {
        case 0: case 1: (void)f.setString(s, k, values[rng() % 7]); break;
        case 2: (void)f.deleteKey(s, k); break;
        default: if (rng() % 8 == 0) (void)f.deleteSection(s);
        }
        IniFile re = Parse(f.bytes());
        for (const char* rs : names)
            for (const char* rk : names) ASSERT_EQ(Get(f, rs, rk), Get(re, rs, rk)) << i << " [" << rs << "] " << rk;
        ASSERT_EQ(f.getString(nullptr, nullptr, ""), re.getString(nullptr, nullptr, ""));
    }
}

TEST(IniFile, ByteOrderMarksKeepTheirEncoding) {
    IniFile u8 = Parse("\xEF\xBB\xBF[a]\nk=\xC3\xA9\nz=\xE4\xB8\xAD\n");
    EXPECT_EQ(u8.encoding(), IniFile::Encoding::Utf8);
    EXPECT_EQ(Get(u8, "a", "k"), "\xE9");  // in the ANSI code page
    EXPECT_EQ(Get(u8, "a", "z"), "?");     // not in it
    EXPECT_EQ(u8.setString("a", "j", "\xE9"), Edit::Changed);
    // Text the code page cannot hold survives a write of another key.
    EXPECT_EQ(u8.bytes(), "\xEF\xBB\xBF[a]\r\nk=\xC3\xA9\r\nz=\xE4\xB8\xAD\r\nj=\xC3\xA9\r\n");

    std::string le("\xFF\xFE[\0a\0]\0\n\0k\0=\0v\0\xE9\0"sv);
    IniFile u16 = Parse(le);
    EXPECT_EQ(u16.encoding(), IniFile::Encoding::Utf16LE);
    EXPECT_EQ(Get(u16, "a", "k"), "v\xE9");
    EXPECT_EQ(u16.setString("A", "j", "w"), Edit::Changed);
    EXPECT_EQ(u16.bytes(), std::string("\xFF\xFE[\0a\0]\0\r\0\n\0k\0=\0v\0\xE9\0\r\0\n\0j\0=\0w\0\r\0\n\0"sv));

    std::string be("\xFE\xFF\0[\0a\0]\0\n\0k\0=\xD8\x3D\xDE\x00"sv);  // U+1F600 as a surrogate pair
    IniFile b = Parse(be);
    EXPECT_EQ(Get(b, "a", "k"), "?");
    EXPECT_EQ(b.setString("a", "k", "x"), Edit::Changed);
    EXPECT_EQ(b.setString("a", "k", "\xE9"), Edit::Changed);
    EXPECT_EQ(Get(b, "a", "k"), "\xE9");
}

// Hostile files: every read gives its default or the value, nothing crashes,
// nothing takes quadratic time.
TEST(IniFile, BadInputIsReadSafely) {
    std::mt19937 rng(11);
    std::string binary(1 << 20, '\0');
    for (char& c : binary) c = static_cast<char>(rng());
    IniFile bin = Parse(binary);
    EXPECT_EQ(Get(bin, "Options", "language", "enu"), "enu");
    EXPECT_EQ(bin.getInt("Dial Up", "Usage", 3), 3);
    (void)bin.getString(nullptr, nullptr, "");
    // Zero bytes leave blank lines and blanks at value ends behind; one more
    // rewrite drops them, and from there the file stays as it is.
    std::string once = bin.bytes();
    EXPECT_EQ(once.find('\0'), std::string::npos);
    std::string twice = Parse(once).bytes();
    EXPECT_EQ(Parse(twice).bytes(), twice);

    std::string longLine = "[a]\nk=" + std::string(100 * 1024, 'v') + "\n" + std::string(100 * 1024, '[') + "\nj=1\n";
    IniFile l = Parse(longLine);
    EXPECT_EQ(l.getString("a", "k", "").size(), 100u * 1024);
    EXPECT_EQ(Get(l, "a", "j"), "1");

    auto start = std::chrono::steady_clock::now();
    std::string big = "[big]\n";
    for (int i = 0; big.size() < 10 * 1024 * 1024; ++i) big += std::to_string(i) + "=value of line " + std::to_string(i) + "\n";
    IniFile f = Parse(big);
    int keys = 0;
    for (const AStr& n : f.lineNames("big")) {
        keys++;
        ASSERT_EQ(f.getString("big", n.c_str(), "").size(), 14 + n.size()) << n.c_str();
    }
    for (int i = 0; i < keys; ++i) ASSERT_EQ(f.deleteKey("big", std::to_string(i).c_str()), Edit::Changed);
    EXPECT_EQ(f.bytes(), "[big]\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));  // quadratic would take hours
}

TEST(IniFile, LoadAndSave) {
    TempDir dir;
    std::string path = dir.file("a.ini");
    IniFile f;
    EXPECT_EQ(f.load(path.c_str()), 0);  // missing: an empty document
    EXPECT_FALSE(f.exists());
    EXPECT_EQ(f.load(dir.file("no/such/a.ini").c_str()), 0);

    WriteAll(path, "[s]\nk=v\n");
    ASSERT_EQ(f.load(path.c_str()), 0);
    EXPECT_TRUE(f.exists());
    EXPECT_EQ(Get(f, "s", "k"), "v");
    EXPECT_EQ(f.setString("s", "j", "w"), Edit::Changed);
    ASSERT_EQ(f.save(path.c_str()), 0);
    EXPECT_EQ(ReadAll(path), "[s]\r\nk=v\r\nj=w\r\n");
    EXPECT_EQ(dir.entries(), 1u);  // nothing left beside it

    // A folder of that name cannot be read, and is not replaced.
    std::string folder = dir.file("folder.ini");
    fs::create_directory(folder);
    EXPECT_NE(f.load(folder.c_str()), 0);
    EXPECT_EQ(Get(f, "s", "k"), "d");
    EXPECT_NE(f.save(folder.c_str()), 0);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_NE(f.save(dir.file("no/such/a.ini").c_str()), 0);
    EXPECT_EQ(dir.entries(), 2u);  // no temporary left behind

    // Too large to load: an error, so that no write replaces it.
    std::string huge = dir.file("huge.ini");
    WriteAll(huge, "[s]\nk=v\n");
    fs::resize_file(huge, IniFile::kMaxFileSize + 1);
    EXPECT_EQ(f.load(huge.c_str()), 223);
    EXPECT_EQ(Get(f, "s", "k"), "d");
}

}  // namespace
