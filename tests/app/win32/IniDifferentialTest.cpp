// Our INI store against the system's private-profile calls: every case
// runs a script of reads and writes on its own copy of an input file, once
// through GetPrivateProfileStringA / GetPrivateProfileIntA /
// WritePrivateProfileStringA and once through IniFile, and the transcripts
// (every result and the file's bytes wherever the script dumps them, and at
// the end) must be equal. The differences we want are in a table of their
// own below, each with the reason and both transcripts.
//
// Script lines: "get|section|key|default|size", "int|section|key|default",
// "write|section|key|value" (a null value deletes the key, a null key the
// section), "dump". "<null>" is a null pointer; "\r", "\n", "\t", "\0",
// "\p" ("|") and "\xHH" are escapes.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/IniFile.h"

namespace {

namespace fs = std::filesystem;

std::string Unescape(const std::string& s) {
    std::string o;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) { o += s[i]; continue; }
        char c = s[++i];
        switch (c) {
        case 'r': o += '\r'; break;
        case 'n': o += '\n'; break;
        case 't': o += '\t'; break;
        case '0': o += '\0'; break;
        case 'p': o += '|'; break;
        case 'x': o += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)); i += 2; break;
        default: o += c;
        }
    }
    return o;
}

std::string Escape(std::string_view s) {
    std::string o;
    for (unsigned char c : s) {
        if (c == '\r') o += "\\r";
        else if (c == '\n') o += "\\n";
        else if (c == '\\') o += "\\\\";
        else if (c < 32 || c >= 127) { char b[8]; snprintf(b, sizeof b, "\\x%02x", c); o += b; }
        else o += static_cast<char>(c);
    }
    return o;
}

struct Op {
    std::string kind;
    std::vector<std::string> text;
    std::vector<bool> null;
    const char* arg(size_t i) const { return i < text.size() && !null[i] ? text[i].c_str() : nullptr; }
    int number(size_t i) const { return i < text.size() ? std::atoi(text[i].c_str()) : 0; }
};

std::vector<Op> ParseScript(const std::string& script) {
    std::vector<Op> ops;
    std::istringstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        Op op;
        std::string field;
        std::istringstream fields(line);
        bool first = true;
        while (std::getline(fields, field, '|')) {
            if (first) { op.kind = field; first = false; continue; }
            op.null.push_back(field == "<null>");
            op.text.push_back(Unescape(field));
        }
        if (!line.empty() && line.back() == '|') { op.null.push_back(false); op.text.emplace_back(); }
        ops.push_back(op);
    }
    return ops;
}

std::string FileText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return "file: none";
    std::ostringstream s;
    s << f.rdbuf();
    return "file: \"" + Escape(s.str()) + "\"";
}

std::string GetLine(size_t ret, const std::vector<char>& buf, int size) {
    std::string r = "get " + std::to_string(ret);
    if (size > 0) r += " \"" + Escape(std::string_view(buf.data(), std::min<size_t>(ret + 1, size))) + "\"";
    return r;
}

using Runner = std::string (*)(const std::string& path, const std::vector<Op>& ops);

std::string RunPlatform(const std::string& path, const std::vector<Op>& ops) {
    std::string out;
    for (const Op& op : ops) {
        if (op.kind == "get") {
            int size = op.number(3);
            std::vector<char> buf(size + 1, '#');
            DWORD r = GetPrivateProfileStringA(op.arg(0), op.arg(1), op.arg(2), buf.data(), size, path.c_str());
            out += GetLine(r, buf, size);
        } else if (op.kind == "int") {
            out += "int " + std::to_string(static_cast<int>(GetPrivateProfileIntA(op.arg(0), op.arg(1), op.number(2), path.c_str())));
        } else if (op.kind == "write") {
            out += "write " + std::to_string(WritePrivateProfileStringA(op.arg(0), op.arg(1), op.arg(2), path.c_str()) ? 1 : 0);
        } else if (op.kind == "dump") {
            out += FileText(path);
        }
        out += '\n';
    }
    return out + FileText(path) + '\n';
}

// As the settings store uses the document: loaded once, saved after every
// edit that changed it.
std::string RunOurs(const std::string& path, const std::vector<Op>& ops) {
    std::string out;
    IniFile doc;
    if (int e = doc.load(path.c_str())) out += "load error " + std::to_string(e) + '\n';
    for (const Op& op : ops) {
        if (op.kind == "get") {
            int size = op.number(3);
            std::vector<char> buf(size + 1, '#');
            size_t r = doc.getString(op.arg(0), op.arg(1), op.arg(2), buf.data(), static_cast<size_t>(size));
            out += GetLine(r, buf, size);
        } else if (op.kind == "int") {
            out += "int " + std::to_string(doc.getInt(op.arg(0), op.arg(1), op.number(2)));
        } else if (op.kind == "write") {
            const char *s = op.arg(0), *k = op.arg(1), *v = op.arg(2);
            IniFile::Edit e = !s ? IniFile::Edit::Rejected : v ? doc.setString(s, k, v) : k ? doc.deleteKey(s, k) : doc.deleteSection(s);
            bool ok = e == IniFile::Edit::Unchanged || (e == IniFile::Edit::Changed && doc.save(path.c_str()) == 0);
            out += std::string("write ") + (ok ? "1" : "0");
        } else if (op.kind == "dump") {
            out += FileText(path);
        }
        out += '\n';
    }
    return out + FileText(path) + '\n';
}

struct Case {
    std::string name;
    bool file;           // false: no input file exists
    std::string input;   // escaped text, unless raw is set
    std::string script;
    std::string raw = {};
};

class IniDifferential : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ini-diff-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);  // drops the system's cache
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Each run gets a file name of its own: the system caches parsed files
    // by name.
    std::string run(Runner runner, const Case& c, const char* tag) {
        std::string path = (dir_ / (tag + std::to_string(serial_++) + ".ini")).string();
        if (c.file) {
            std::ofstream f(path, std::ios::binary);
            std::string bytes = c.raw.empty() ? Unescape(c.input) : c.raw;
            f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        return runner(path, ParseScript(c.script));
    }

    fs::path dir_;
    int serial_ = 0;
};

std::vector<Case> Corpus() {
    std::vector<Case> cases = {
        // --- Hand-edited files: line ends, blanks, comments -------------
        {"crlf and case", true, "[Sec]\r\nKey=Value\r\n",
         "get|sec|KEY|d|100\nget|SEC|key|d|100\nget|  sec  |  key  |d|100\nget|sec|nokey|d|100\nget|nosec|key|d|100\n"},
        {"lf, blanks around =, tabs", true, "  [ Sec One ]  \nKey One  =  Value One  \n\tTabKey\t=\tTab\tV\t\n",
         "get|sec one|key one|d|100\nget|Sec One|TABKEY|d|100\nwrite|sec one|new|v\n"},
        {"no final newline", true, "[a]\nx=1", "get|a|x|d|100\nwrite|a|y|2\n"},
        {"cr only and mixed line ends", true, "[a]\rx=1\ry=2\r\n\r\nz=3\n\r",
         "get|a|x|d|100\nget|a|y|d|100\nget|a|z|d|100\ndump\nwrite|a|w|4\n"},
        {"comment lines", true, "; top\n[a]\n;c=x\n; note\nk=1\n  ; spaced = 3\n# hash=y\n",
         "get|a|;c|d|100\nget|a|; note|d|100\nget|a|# hash|d|100\nget|a|<null>|d|100\nwrite|a|k|2\n"},
        {"blank lines dropped on rewrite", true, "\n\n[a]\nx=1\n\n\n[b]\n\ny=2\n\n",
         "get|b|y|d|100\nwrite|a|new|n\nwrite|b|new|n\n"},
        {"key given twice: the first wins", true, "[a]\nk=1\nK=2\nj=3\n",
         "get|a|k|d|100\nget|a|<null>|d|100\nwrite|a|k|changed\ndump\nwrite|a|k|<null>\nget|a|k|d|100\n"},
        {"section given twice", true, "[a]\nx=1\n[b]\ny=1\n[A]\nx=3\nz=4\n",
         "get|a|x|d|100\nget|a|z|d|100\nget|A|<null>|d|100\nget|<null>|<null>|d|100\nwrite|a|z|new\ndump\n"
         "write|a|<null>|<null>\ndump\nget|a|z|d|100\nwrite|a|<null>|<null>\n"},
        {"lines before the first section", true, "top=1\nalso\n[s]\nk=v\n",
         "get||top|d|100\nget||also|d|100\nget||<null>|d|100\nget|<null>|<null>|d|100\nwrite||top|2\nwrite||newtop|3\n"},
        {"write to the nameless section of a file without one", true, "[s]\nk=v\n", "write||x|1\n"},
        {"deleting the nameless section rewrites the file", true, "[s]\nk = v\n", "write||<null>|<null>\ndump\nwrite||x|1\n"},
        {"header without ]", true, "[sec\nk=in broken\n[a]\nx=1\n",
         "get|sec|k|d|100\nget||k|d|100\nget||[sec|d|100\nget|<null>|<null>|d|100\nwrite|a|y|2\n"},
        {"header with text after ] and blanks inside", true, "[a] trailing ; c\nk=1\n[ b ]x\ny=1\n[c   ]\nz=1\n",
         "get|a|k|d|100\nget|b|y|d|100\nget|c|z|d|100\nwrite|a|k|5\n"},
        {"line without =", true, "[a]\nnoeq\nj=1\n",
         "get|a|noeq|d|100\nget|a|<null>|d|100\nint|a|noeq|7\nwrite|a|noeq|v\ndump\nget|a|noeq|d|100\nwrite|a|noeq|<null>\n"},
        {"empty values", true, "[a]\ne=\nb=   \n", "get|a|e|d|100\nget|a|b|d|100\nint|a|e|5\nwrite|a|n|\n"},
        {"empty key name", true, "[s]\nk=1\n=noname\n",
         "get|s||d|100\nget|s|<null>|d|100\nwrite|s||v\nwrite|s|  |w\n"},
        {"blank bytes", true, "[a]\x1a\nk=\\x1av\\x1a\n\\x0bm\\x0c=\\x0c1\\x0c\n\\x1a[b]\nn=  \\t \n",
         "get|a|k|d|100\nget|a|m|d|100\nget|b|n|d|100\nwrite|a|k|2\n"},
        {"0xA0 is not a blank", true, "[a]\nk=\\xa0v\\xa0\nm\\xa0=1\n",
         "get|a|k|d|100\nget|a|m|d|100\nget|a|m\\xa0|d|100\nwrite|a|x|\\xa0y\\xa0\nget|a|x|d|100\n"},
        {"zero bytes", true, "[a]\nk=ab\\0cd\nm=1\n\\0\nn=2\n[b\\0]\nz=1\n",
         "get|a|k|d|100\nget|a|n|d|100\nget|b|z|d|100\nget|a|<null>|d|100\nget|<null>|<null>|d|100\nwrite|a|m|3\n"},
        {"bytes above 0x7F, same case", true, "[\\xc9t\\xc9]\n\\xc4k=\\x81\\x8d\\xff\n",
         "get|\\xc9t\\xc9|\\xc4k|d|100\nwrite|\\xc9t\\xc9|\\xc4K|2\n"},

        // --- Quotes ---------------------------------------------------------
        {"double quotes", true, "[q]\nd=\"dq\"\nm=\"mixed'\no=\"\np=\"\"\nin=a\"b\"c\nsp=  \"  spaced  \"  \nl=\"lead\nt=trail\"\nqq=\"\"x\"\"\n",
         "get|q|d|-|100\nget|q|m|-|100\nget|q|o|-|100\nget|q|p|-|100\nget|q|in|-|100\nget|q|sp|-|100\nget|q|l|-|100\n"
         "get|q|t|-|100\nget|q|qq|-|100\n"},
        {"quotes written", false, "", "write|s|q|\"quoted\"\nget|s|q|d|100\nwrite|s|w|\"\"wrapped\"\"\nget|s|w|d|100\nint|s|n|1\n"},
        {"defaults", true, "[a]\nk=1\n",
         "get|a|x|  def  |100\nget|a|x|\"def\"|100\nget|a|x|\"|100\nget|a|x|\"\"|100\nget|a|x|   |100\nget|a|x|tab\\t|100\n"
         "get|a|x|<null>|100\nget|a|x|  \"x  \"  |100\n"},

        // --- Buffer sizes ---------------------------------------------------
        {"value buffer sizes", true, "[abc]\nk=0123456789\n",
         "get|abc|k|d|12\nget|abc|k|d|11\nget|abc|k|d|10\nget|abc|k|d|2\nget|abc|k|d|1\nget|abc|k|d|0\n"
         "get|abc|no|0123456789|10\nget|abc|no|0123456789|11\n"},
        {"key list buffer sizes", true, "[abc]\nk=0\nkey2=x\n",
         "get|abc|<null>|d|10\nget|abc|<null>|d|9\nget|abc|<null>|d|8\nget|abc|<null>|d|7\nget|abc|<null>|d|6\n"
         "get|abc|<null>|d|5\nget|abc|<null>|d|4\nget|abc|<null>|d|3\n"},
        {"section list buffer sizes", true, "[abc]\nk=0\n[de]\nq=1\n",
         "get|<null>|<null>|d|9\nget|<null>|<null>|d|8\nget|<null>|<null>|d|7\nget|<null>|<null>|d|6\nget|<null>|<null>|d|5\n"
         "get|<null>|<null>|d|4\nget|<null>|<null>|d|3\nget|<null>|<null>|d|2\nget|<null>|k|d|100\n"},
        {"empty lists", true, "[e]\n[c]\n;only comment\nnovalue\n[s]\nk=v\n",
         "get|e|<null>|dflt|100\nget|c|<null>|dflt|100\nget|none|<null>|dflt|100\nget|none|<null>|dflt|4\n"},
        {"empty file", true, "", "get|<null>|<null>|dflt|100\nget|s|<null>|dflt|100\nget|s|k|dflt|100\nwrite|s|k|<null>\nwrite|s|<null>|<null>\n"},

        // --- Missing file, creation and unchanged writes --------------------
        {"missing file: reads and deletes leave no file", false, "",
         "get|s|k|d|100\nget|<null>|<null>|d|100\nint|s|k|3\nwrite|s|k|<null>\nwrite|s|<null>|<null>\ndump\nwrite|s|k|\n"},
        {"unchanged write keeps the file", true, "[s]\nk = v\n", "write|s|k|v\nwrite|S|K|v\ndump\nwrite|s|k|V\n"},
        {"key keeps its spelling", true, "[s]\nKey=v\n", "write|S|KEY|w\nwrite|S|NEW|n\n"},
        {"new section at the end", true, "[a]\nx=1\n", "write|b|k|v\nwrite|c|k|v\nwrite|b|k2|v2\n"},
        {"leading blanks of written names and values", false, "", "write|  s|  k|  v\nget|s|k|d|100\n"},
        {"values with = and tabs", false, "", "write|s|k|a=b\nwrite|s|t|x\\ty\nget|s|k|d|100\nget|s|t|d|100\n"},
        {"comment-like and odd names written", false, "",
         "write|s|;c|x\nwrite|s|# h|y\nwrite|[t|k|v\nget|s|;c|d|100\nget|s|<null>|d|100\nget|[t|k|d|100\n"},

        // --- Deletes --------------------------------------------------------
        {"delete key and section", true, "[e]\n[f]\nk=1\nk2=2\n[g]\nz=1\n[f]\nk=again\n",
         "write|f|k|<null>\ndump\nwrite|f|nokey|<null>\nwrite|f|k2|<null>\ndump\nwrite|f|<null>|<null>\ndump\n"
         "get|f|k|d|100\nwrite|f|<null>|<null>\nwrite|nosuch|<null>|<null>\nwrite|nosuch|k|<null>\n"},
        {"delete of something missing keeps an LF file", true, "[s]\nk=v\n",
         "write|s|x|<null>\nwrite|t|<null>|<null>\nwrite|t|x|<null>\n"},
        {"delete then write moves the key to the end", true, "[s]\na=1\nb=2\nc=3\n",
         "write|s|a|<null>\nwrite|s|a|9\nget|s|<null>|d|100\n"},

        // --- Integers -------------------------------------------------------
        {"integers", true,
         "[i]\na=12\nb=  -5  \nc=12abc\nf=0x10\ng=+7\nh=4294967295\nj=99999999999\nk=2147483648\nl=\"42\"\n"
         "n=007\no=-2147483649\np=1e3\nq\nr=0o17\ns=0b101\nt=0xFFz\nu=-0x10\nv=1000000000000000000000000000007\n",
         "int|i|a|99\nint|i|b|99\nint|i|c|99\nint|i|f|99\nint|i|g|99\nint|i|h|99\nint|i|j|99\nint|i|k|99\nint|i|l|99\n"
         "int|i|n|99\nint|i|o|99\nint|i|p|99\nint|i|q|99\nint|i|none|99\nint|none|a|-1\nint|i|r|99\nint|i|s|99\nint|i|t|99\n"
         "int|i|u|99\nint|i|v|99\n"},

        // --- Encodings ------------------------------------------------------
        {"utf-8 with a byte-order mark", true, "\\xef\\xbb\\xbf[a]\nk=\\xc3\\xa9\n",
         "get|a|k|d|100\nwrite|a|j|\\xe9\nget|a|<null>|d|100\n"},
        {"utf-16 with a byte-order mark", true, "\\xff\\xfe[\\0a\\0]\\0\r\\0\n\\0k\\0=\\0v\\0\\xe9\\0\r\\0\n\\0",
         "get|a|k|d|100\nwrite|a|j|w\\xe9\n"},

        // --- Sequences like the program's ----------------------------------
        {"a project file written from scratch", false, "",
         "write|URLs|<null>|<null>\nwrite|URLs|count|1\nwrite|URLs|0|http://host/a b\nwrite|IncludeUrl|<null>|<null>\n"
         "write|output|path|\nwrite|output|namesin83|0\nwrite|output|nosubdir|0\nwrite|levels|internal|1\n"
         "write|levels|external|0\nwrite|Filter|AllowPicture|1\nwrite|Options|MaxNumFiles|1000\nwrite|Options|timeMaxWait|10\n"
         "write|Authenticate|save|0\nwrite|Authenticate|user|\nwrite|Authenticate|password|\nwrite|Options|HtmlFirst|0\n"
         "get|<null>|<null>|d|1024\nget|Options|<null>|d|1024\n"},
        {"a list written over a longer one", true, "[L]\ncount=5\n0=a\n1=b\n2=c\n3=d\n4=e\n[M]\nx=1\n",
         "write|L|count|<null>\nwrite|L|0|<null>\nwrite|L|1|<null>\nwrite|L|2|<null>\nwrite|L|3|<null>\nwrite|L|4|<null>\n"
         "write|L|count|3\nwrite|L|0|x\nwrite|L|1|y\nwrite|L|2|z\n"},
    };

    // --- Large input ------------------------------------------------------
    std::string longValue(100 * 1024, 'v');
    cases.push_back({"a line of 100 KB", true, "", "get|a|k|d|16\nget|a|j|d|100\nwrite|a|j|2\n",
                     "[a]\nk=" + longValue + "\nj=1\n"});
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    cases.push_back({"three thousand sections", true, "", "get|s2999|k|d|100\nget|S1500|K|d|100\nwrite|s2999|k|x\nwrite|s0|j|y\n", many});
    return cases;
}

TEST_F(IniDifferential, CorpusGivesTheSameResultsAndFiles) {
    std::vector<Case> cases = Corpus();
    EXPECT_GE(cases.size(), 40u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(RunOurs, c, "ours"), run(RunPlatform, c, "sys"));
    }
}

// Where we differ on purpose. Each row gives the reason and both
// transcripts, so that a change on either side shows.
struct Difference {
    std::string name;
    std::string reason;
    Case c;
    std::string platform;
    std::string ours;
};

std::vector<Difference> Differences() {
    return {
        {"non-numeric integer", "a value that holds no number is unreadable and gives the default; the system reads 0",
         {"", true, "[i]\na=abc\nb=- 3\nc=0x\nd=0xg\n", "int|i|a|7\nint|i|b|7\nint|i|c|7\nint|i|d|7\n"},
         "int 0\nint 0\nint 0\nint 0\nfile: \"[i]\\na=abc\\nb=- 3\\nc=0x\\nd=0xg\\n\"\n",
         "int 7\nint 7\nint 7\nint 7\nfile: \"[i]\\na=abc\\nb=- 3\\nc=0x\\nd=0xg\\n\"\n"},
        {"single quotes",
         "only double quotes enclose a value, so that every quote-safe write reads back unchanged; the system also strips single quotes",
         {"", true, "[q]\ns='sq'\nds='\"x\"'\n", "get|q|s|d|100\nget|q|ds|d|100\nget|q|x|'d'|100\n"},
         "get 2 \"sq\\x00\"\nget 3 \"\"x\"\\x00\"\nget 1 \"d\\x00\"\nfile: \"[q]\\ns='sq'\\nds='\"x\"'\\n\"\n",
         "get 4 \"'sq'\\x00\"\nget 5 \"'\"x\"'\\x00\"\nget 3 \"'d'\\x00\"\nfile: \"[q]\\ns='sq'\\nds='\"x\"'\\n\"\n"},
        {"trailing blanks of written names and values",
         "the file holds what a read gives; the system keeps the blanks in the file and drops them only on reading",
         {"", false, "", "write|s  |k  |v  \n"},
         "write 1\nfile: \"[s  ]\\r\\nk  =v  \\r\\n\"\n",
         "write 1\nfile: \"[s]\\r\\nk=v\\r\\n\"\n"},
        {"line break in a value",
         "the value ends at the line break, as a read of the system's file gives it, and the rest cannot become keys or sections",
         {"", true, "[s]\nk=1\n", "write|s|nl|a\\r\\n[x]\\r\\nb=c\nget|s|nl|d|100\nget|x|b|d|100\n"},
         "write 1\nget 1 \"a\\x00\"\nget 1 \"c\\x00\"\nfile: \"[s]\\r\\nk=1\\r\\nnl=a\\r\\n[x]\\r\\nb=c\\r\\n\"\n",
         "write 1\nget 1 \"a\\x00\"\nget 1 \"d\\x00\"\nfile: \"[s]\\r\\nk=1\\r\\nnl=a\\r\\n\"\n"},
        {"names the file cannot hold",
         "a key with \"=\" or starting with \"[\", or a section with \"]\", would read back as another name: rejected, the file stays",
         {"", true, "[s]\nk=1\n", "write|s|k=x|v\nwrite|s|[t]|v\nwrite|s]x|k|v\n"},
         "write 1\nwrite 1\nwrite 1\nfile: \"[s]\\r\\nk=1\\r\\nk=x=v\\r\\n[t]\\r\\n[s]x]\\r\\nk=v\\r\\n\"\n",
         "write 0\nwrite 0\nwrite 0\nfile: \"[s]\\nk=1\\n\"\n"},
        {"header without a name", "\"[]\" stays a header; the system writes its keys without one, so they join the section before",
         {"", true, "[a]\nk=1\n[]\nx=2\n", "write|a|k|5\n"},
         "write 1\nfile: \"[a]\\r\\nk=5\\r\\nx=2\\r\\n\"\n",
         "write 1\nfile: \"[a]\\r\\nk=5\\r\\n[]\\r\\nx=2\\r\\n\"\n"},
        {"case of letters above 0x7F",
         "names compare without case in the ANSI code page, as the program's strings do; this system folds only ASCII",
         {"", true, "[\\xc9t\\xc9]\n\\xc4k=1\n", "get|\\xe9t\\xe9|\\xe4k|d|100\n"},
         "get 1 \"d\\x00\"\nfile: \"[\\xc9t\\xc9]\\n\\xc4k=1\\n\"\n",
         "get 1 \"1\\x00\"\nfile: \"[\\xc9t\\xc9]\\n\\xc4k=1\\n\"\n"},
        {"key list into two bytes", "no name fits, so the list is empty; the system gives the default instead",
         {"", true, "[s]\nk=1\n", "get|s|<null>|d|2\n"},
         "get 1 \"d\\x00\"\nfile: \"[s]\\nk=1\\n\"\n",
         "get 0 \"\\x00\"\nfile: \"[s]\\nk=1\\n\"\n"},
    };
}

TEST_F(IniDifferential, IntendedDifferencesAreAsDocumented) {
    for (const Difference& d : Differences()) {
        SCOPED_TRACE(d.name + ": " + d.reason);
        std::string platform = run(RunPlatform, d.c, "sys");
        std::string ours = run(RunOurs, d.c, "ours");
        EXPECT_EQ(platform, d.platform);
        EXPECT_EQ(ours, d.ours);
        EXPECT_NE(platform, ours);
    }
}

}  // namespace
