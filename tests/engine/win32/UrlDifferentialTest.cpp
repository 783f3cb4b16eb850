// Every corpus case through the platform's internet library and through
// our helpers: the answers must agree, except for the cases listed below,
// which must really differ (so the list cannot go stale).

#include "tests/framework/UrlCorpus.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>

namespace {

using urlcorpus::Case;

// Canonicalises as the program's splitter does: into 2084 bytes, and once
// more into the size the library asks for when that is too small.
bool canonicalizeGrowing(const std::string& url, uint32_t flags, std::string& out)
{
    std::string buf(2084, '\0');
    DWORD len = static_cast<DWORD>(buf.size());
    if (!InternetCanonicalizeUrlA(url.c_str(), buf.data(), &len, flags)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        buf.assign(len + 1, '\0');
        len = static_cast<DWORD>(buf.size());
        if (!InternetCanonicalizeUrlA(url.c_str(), buf.data(), &len, flags))
            return false;
    }
    out = buf.c_str();
    return true;
}

std::string libraryAnswer(const Case& c)
{
    char buf[2084];
    DWORD len = sizeof buf;
    if (c.op == "combine") {
        if (!InternetCombineUrlA(c.first.c_str(), c.second.c_str(), buf, &len, c.flags))
            return "!FAIL";
        return urlcorpus::escape(buf);
    }
    if (c.op == "canon") {
        std::string canon;
        if (!canonicalizeGrowing(c.first, c.flags, canon))
            return "!FAIL";
        return urlcorpus::escape(canon);
    }
    if (c.op == "split") {
        std::string canon;
        if (!canonicalizeGrowing(c.first, c.flags & url::kCanonMask, canon))
            return "!FAIL";
        char host[256], path[2048], user[128], password[128];
        URL_COMPONENTSA uc{};
        uc.dwStructSize = sizeof uc;
        uc.lpszHostName = host;
        uc.dwHostNameLength = sizeof host;
        uc.lpszUrlPath = path;
        uc.dwUrlPathLength = sizeof path;
        uc.lpszUserName = user;
        uc.dwUserNameLength = sizeof user;
        uc.lpszPassword = password;
        uc.dwPasswordLength = sizeof password;
        if (!InternetCrackUrlA(canon.c_str(), 0, c.flags & url::kCrackMask, &uc))
            return "!FAIL";
        return urlcorpus::escape(urlcorpus::crackedText(uc.nScheme, host, uc.nPort, user, password, path));
    }
    if (c.op == "build") {
        std::vector<std::string> f = urlcorpus::fields(c.first);
        if (f.size() != 6)
            return "?bad case";
        URL_COMPONENTSA uc{};
        uc.dwStructSize = sizeof uc;
        uc.nScheme = static_cast<INTERNET_SCHEME>(std::atoi(f[0].c_str()));
        uc.lpszHostName = f[1].data();
        uc.nPort = static_cast<INTERNET_PORT>(std::atoi(f[2].c_str()));
        if (!f[3].empty())
            uc.lpszUserName = f[3].data();
        if (!f[4].empty())
            uc.lpszPassword = f[4].data();
        uc.lpszUrlPath = f[5].data();
        if (!InternetCreateUrlA(&uc, 0, buf, &len))
            return "!FAIL";
        return urlcorpus::escape(buf);
    }
    return "?unknown operation";
}

// Why our answer differs from the library's (Wine's build of it, which the
// tests run; where Windows itself is known to agree with us this says so).
enum Reason {
    kDotSegments,         // "/./x" and a final "/." stay in the library's answer; we remove them as RFC 3986 does
    kDotsInQuery,         // the library removes "./" and "x/../" inside queries and fragments, changing the query
    kClimbAboveRoot,      // climbing above the root: the library keeps one "..", sometimes none or cuts the path;
                          // we keep every ".." so combine URL's "../" removal sees them all
    kDotsWithCredentials, // with user:password in the base the library leaves ".." segments unresolved
    kLeadingBlanks,       // blanks before a URL are escaped to "%20" (and then fail to crack); we drop them
    kBackslash,           // ftp and gopher paths: the library escapes "\\" as %5C; we treat it as "/" as for http
    kBracketHost,         // "[::1]" is escaped to %5B...%5D and cracked at its first ':'; an unclosed "[" is not refused
    kQueryKeepsDocument,  // "?y" against ".../d;p?q": the library drops the document name; RFC 3986 keeps it
    kEmptyKeepsDocument,  // an empty reference means the base document itself, not its folder
    kOpaque,              // mailto:/javascript: bodies are escaped ("?" to %3F) or built as "mailto:///"
    kFileForm,            // file URLs: the library cracks "file:///x" and shares into the host, and mangles "/top.html"
    kBadPort,             // ports above 65535 wrap around (99999 becomes 34463) and "abc" cracks as port 0
    kRootSlash,           // "http://u:p@host" gets no "/" for its empty path while "http://host" does
    kNoHost,              // "http://" and "http:" crack as success with an empty host
    kDriveGuess,          // "g:h" is taken for a drive and becomes a file URL: a page must not point at local files
    kGopherPort,          // gopher's default port is 70, not 0
    kEmptyPort,           // "host:/" means the default port, not port 0
    kDecodeFirst,         // "%2E" is decoded after the dot segments are removed; decoding comes first
    kCutNotRefused,       // a path or user longer than its buffer makes the library refuse the whole URL;
                          // the program's buffers are hard limits and the part is cut to them
};

struct Difference {
    const char* op;
    uint32_t flags;
    const char* first;   // corpus notation
    const char* second;
    Reason reason;
};

const Difference kDifferences[] = {
    // Generated cases (see generatedCases), named by their first text.
    {"split", 0x20000000, "<path of 100 KB>", "", kCutNotRefused},
    {"split", 0x20000000, "<user of 300 bytes>", "", kCutNotRefused},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "g:h", kDriveGuess},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "?y", kQueryKeepsDocument},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "", kEmptyKeepsDocument},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", ".", kDotSegments},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "../../../../g", kClimbAboveRoot},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "/./g", kDotSegments},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "./g/.", kDotSegments},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "g?y/./x", kDotsInQuery},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "g?y/../x", kDotsInQuery},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "g#s/./x", kDotsInQuery},
    {"combine", 0x32000000, "http://a/b/c/d;p?q", "g#s/../x", kDotsInQuery},
    {"combine", 0x32000000, "http://www.example.com/dir/page.html", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "http://www.example.com/dir/page.html", "?q=a/b", kQueryKeepsDocument},
    {"combine", 0x32000000, "http://www.example.com/dir/page.html", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "http://www.example.com/a/b/c/index.htm?x=1/2", "?q=a/b", kQueryKeepsDocument},
    {"combine", 0x32000000, "http://www.example.com/a/b/c/index.htm?x=1/2", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "http://user:pw@host.ru:8080/docs/", "../up.html", kDotsWithCredentials},
    {"combine", 0x32000000, "http://user:pw@host.ru:8080/docs/", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "http://user:pw@host.ru:8080/docs/", "..\\\\up\\\\x.html", kDotsWithCredentials},
    {"combine", 0x32000000, "http://user:pw@host.ru:8080/docs/", "./", kDotsWithCredentials},
    {"combine", 0x32000000, "http://user:pw@host.ru:8080/docs/", "..", kDotsWithCredentials},
    {"combine", 0x32000000, "http://user:pw@host.ru:8080/docs/", "  lead.html", kDotsWithCredentials},
    {"combine", 0x32000000, "http://user:pw@host.ru:8080/docs/", "c/./d/../e", kDotsWithCredentials},
    {"combine", 0x32000000, "ftp://ftp.example.org/pub/dir/file.txt", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "ftp://ftp.example.org/pub/dir/file.txt", "?q=a/b", kQueryKeepsDocument},
    {"combine", 0x32000000, "ftp://ftp.example.org/pub/dir/file.txt", "dir\\\\file.html", kBackslash},
    {"combine", 0x32000000, "ftp://ftp.example.org/pub/dir/file.txt", "..\\\\up\\\\x.html", kBackslash},
    {"combine", 0x32000000, "ftp://ftp.example.org/pub/dir/file.txt", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "ftp://ftp.example.org/pub/dir/file.txt", "a<b>c\\\"d", kBackslash},
    {"combine", 0x32000000, "https://secure.example.com/", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "https://secure.example.com/", "./", kDotSegments},
    {"combine", 0x32000000, "https://secure.example.com/", "..", kDotSegments},
    {"combine", 0x32000000, "https://secure.example.com/", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "file:///C:/site/index.html", "/top.html", kFileForm},
    {"combine", 0x32000000, "file:///C:/site/index.html", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "file:///C:/site/index.html", "?q=a/b", kQueryKeepsDocument},
    {"combine", 0x32000000, "file:///C:/site/index.html", "#frag", kFileForm},
    {"combine", 0x32000000, "file:///C:/site/index.html", "x#../b", kFileForm},
    {"combine", 0x32000000, "file:///C:/site/index.html", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "http://host/dir/", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "http://host/dir/", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "http://host", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "http://host", "./", kDotSegments},
    {"combine", 0x32000000, "http://host", "..", kDotSegments},
    {"combine", 0x32000000, "http://host", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "gopher://gopher.example.org/1/menu", "../../../../x.html", kClimbAboveRoot},
    {"combine", 0x32000000, "gopher://gopher.example.org/1/menu", "?q=a/b", kQueryKeepsDocument},
    {"combine", 0x32000000, "gopher://gopher.example.org/1/menu", "dir\\\\file.html", kBackslash},
    {"combine", 0x32000000, "gopher://gopher.example.org/1/menu", "..\\\\up\\\\x.html", kBackslash},
    {"combine", 0x32000000, "gopher://gopher.example.org/1/menu", "  lead.html", kLeadingBlanks},
    {"combine", 0x32000000, "gopher://gopher.example.org/1/menu", "a<b>c\\\"d", kBackslash},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "g:h", kDriveGuess},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "?y", kQueryKeepsDocument},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "", kEmptyKeepsDocument},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", ".", kDotSegments},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "../../../../g", kClimbAboveRoot},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "/./g", kDotSegments},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "./g/.", kDotSegments},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "g?y/./x", kDotsInQuery},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "g?y/../x", kDotsInQuery},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "g#s/./x", kDotsInQuery},
    {"combine", 0x02000000, "http://a/b/c/d;p?q", "g#s/../x", kDotsInQuery},
    {"canon", 0x20000000, "http://host/dir/../x?q=a/../b", "", kDotsInQuery},
    {"canon", 0x02000000, "http://host/dir/../x?q=a/../b", "", kDotsInQuery},
    {"canon", 0x00000000, "http://host/dir/../x?q=a/../b", "", kDotsInQuery},
    {"canon", 0x32000000, "http://host/dir/../x?q=a/../b", "", kDotsInQuery},
    {"canon", 0x20000000, "http://host/a/./b/../c#f/../g", "", kDotsInQuery},
    {"canon", 0x02000000, "http://host/a/./b/../c#f/../g", "", kDotsInQuery},
    {"canon", 0x00000000, "http://host/a/./b/../c#f/../g", "", kDotsInQuery},
    {"canon", 0x32000000, "http://host/a/./b/../c#f/../g", "", kDotsInQuery},
    {"canon", 0x02000000, "http://[::1]/x", "", kBracketHost},
    {"canon", 0x00000000, "http://[::1]/x", "", kBracketHost},
    {"canon", 0x32000000, "http://[::1]/x", "", kBracketHost},
    {"canon", 0x20000000, "http://[::1/x", "", kBracketHost},
    {"canon", 0x02000000, "http://[::1/x", "", kBracketHost},
    {"canon", 0x00000000, "http://[::1/x", "", kBracketHost},
    {"canon", 0x32000000, "http://[::1/x", "", kBracketHost},
    {"canon", 0x20000000, "  http://host/padded  ", "", kLeadingBlanks},
    {"canon", 0x02000000, "  http://host/padded  ", "", kLeadingBlanks},
    {"canon", 0x00000000, "  http://host/padded  ", "", kLeadingBlanks},
    {"canon", 0x32000000, "  http://host/padded  ", "", kLeadingBlanks},
    {"canon", 0x20000000, "http://host/a/b/.", "", kDotSegments},
    {"canon", 0x02000000, "http://host/a/b/.", "", kDotSegments},
    {"canon", 0x00000000, "http://host/a/b/.", "", kDotSegments},
    {"canon", 0x32000000, "http://host/a/b/.", "", kDotSegments},
    {"canon", 0x20000000, "http://host/./x", "", kDotSegments},
    {"canon", 0x02000000, "http://host/./x", "", kDotSegments},
    {"canon", 0x00000000, "http://host/./x", "", kDotSegments},
    {"canon", 0x32000000, "http://host/./x", "", kDotSegments},
    {"split", 0x20000000, "http://host/dir/../x?q=a/../b", "", kDotsInQuery},
    {"split", 0x02000000, "http://host/dir/../x?q=a/../b", "", kDotsInQuery},
    {"split", 0x20000000, "http://host/a/./b/../c#f/../g", "", kDotsInQuery},
    {"split", 0x02000000, "http://host/a/./b/../c#f/../g", "", kDotsInQuery},
    {"split", 0x20000000, "http://host:99999/x", "", kBadPort},
    {"split", 0x02000000, "http://host:99999/x", "", kBadPort},
    {"split", 0x20000000, "gopher://gopher.example.org/1/menu", "", kGopherPort},
    {"split", 0x02000000, "gopher://gopher.example.org/1/menu", "", kGopherPort},
    {"split", 0x20000000, "http://[::1]/x", "", kBracketHost},
    {"split", 0x02000000, "http://[::1]/x", "", kBracketHost},
    {"split", 0x20000000, "http://[::1/x", "", kBracketHost},
    {"split", 0x02000000, "http://[::1/x", "", kBracketHost},
    {"split", 0x20000000, "  http://host/padded  ", "", kLeadingBlanks},
    {"split", 0x02000000, "  http://host/padded  ", "", kLeadingBlanks},
    {"split", 0x20000000, "http://", "", kNoHost},
    {"split", 0x02000000, "http://", "", kNoHost},
    {"split", 0x20000000, "http:", "", kNoHost},
    {"split", 0x02000000, "http:", "", kNoHost},
    {"split", 0x20000000, "http://host/a/b/.", "", kDotSegments},
    {"split", 0x02000000, "http://host/a/b/.", "", kDotSegments},
    {"split", 0x20000000, "http://host/./x", "", kDotSegments},
    {"split", 0x02000000, "http://host/./x", "", kDotSegments},
    {"split", 0x20000000, "http://host:/x", "", kEmptyPort},
    {"split", 0x02000000, "http://host:/x", "", kEmptyPort},
    {"split", 0x20000000, "http://host:65536/x", "", kBadPort},
    {"split", 0x02000000, "http://host:65536/x", "", kBadPort},
    {"split", 0x20000000, "http://host:abc/x", "", kBadPort},
    {"split", 0x02000000, "http://host:abc/x", "", kBadPort},
    {"split", 0x20000000, "file:///home/user/x.html", "", kFileForm},
    {"split", 0x20000000, "file://server/share/x.html", "", kFileForm},
    {"split", 0x02000000, "file://server/share/x.html", "", kFileForm},
    {"canon", 0x20000000, "ftp://ftp.example.org/pub/a\\\\b", "", kBackslash},
    {"canon", 0x02000000, "ftp://ftp.example.org/pub/a\\\\b", "", kBackslash},
    {"canon", 0x32000000, "ftp://ftp.example.org/pub/a\\\\b", "", kBackslash},
    {"split", 0x20000000, "ftp://ftp.example.org/pub/a\\\\b", "", kBackslash},
    {"split", 0x02000000, "ftp://ftp.example.org/pub/a\\\\b", "", kBackslash},
    {"canon", 0x32000000, "http://h/%2E/x", "", kDecodeFirst},
    {"canon", 0x02000000, "mailto:ivan@example.ru?subject=\\xCF\\xF0\\xE8", "", kOpaque},
    {"canon", 0x32000000, "mailto:ivan@example.ru?subject=\\xCF\\xF0\\xE8", "", kOpaque},
    {"split", 0x02000000, "mailto:ivan@example.ru?subject=\\xCF\\xF0\\xE8", "", kOpaque},
    {"canon", 0x02000000, "javascript:window.open('a b')", "", kOpaque},
    {"canon", 0x32000000, "javascript:window.open('a b')", "", kOpaque},
    {"split", 0x02000000, "javascript:window.open('a b')", "", kOpaque},
    {"canon", 0x20000000, "http://u:p@host", "", kRootSlash},
    {"canon", 0x02000000, "http://u:p@host", "", kRootSlash},
    {"canon", 0x32000000, "http://u:p@host", "", kRootSlash},
    {"split", 0x20000000, "http://u:p@host", "", kRootSlash},
    {"split", 0x02000000, "http://u:p@host", "", kRootSlash},
    {"combine", 0x32000000, "http://host/dir/page.html?x=1", "?%41", kQueryKeepsDocument},
    {"combine", 0x32000000, "http://host/dir/page.html?x=1", "\\\\xCF\\\\xF0.html", kBackslash},
    {"combine", 0x32000000, "http://host/a/b/", "\\\\xCF\\\\xF0.html", kBackslash},
    {"build", 0x0, "7||0|||ivan@example.ru", "", kOpaque},
    {"build", 0x0, "6||0|||comp.lang.c", "", kOpaque},
};

// Inputs too long to write into the corpus file.
std::vector<Case> generatedCases()
{
    auto make = [](const char* name, const char* op, uint32_t flags, std::string first, std::string second) {
        Case c;
        c.name = name;
        c.op = op;
        c.flags = flags;
        c.first = std::move(first);
        c.second = std::move(second);
        return c;
    };
    std::string labels;
    for (int i = 0; i < 1000; ++i)
        labels.append("a.");
    return {
        make("<path of 100 KB>", "split", 0x20000000, std::string("http://host/").append(100 * 1024, 'p'), ""),
        make("<canonical path of 100 KB>", "canon", 0x20000000, std::string("http://host/").append(100 * 1024, 'p'), ""),
        make("<host of 300 bytes>", "split", 0x20000000, std::string("http://").append(300, 'h').append("/x"), ""),
        make("<host of 1000 labels>", "split", 0x20000000, std::string("http://").append(labels).append("com/x"), ""),
        make("<user of 300 bytes>", "split", 0x20000000, std::string("ftp://").append(300, 'u').append(":pw@h/"), ""),
        make("<combined URL of 3000 bytes>", "combine", 0x32000000, "http://h/", std::string(3000, 'x')),
    };
}

const Difference* listedDifference(const Case& c)
{
    for (const Difference& d : kDifferences)
        if (!c.name.empty() ? c.op == d.op && c.flags == d.flags && c.name == d.first : c.op == d.op && c.flags == d.flags && c.first == urlcorpus::unescape(d.first) &&
            c.second == urlcorpus::unescape(d.second))
            return &d;
    return nullptr;
}

TEST(UrlDifferential, CorpusAgreesWithTheInternetLibraryExceptWhereListed)
{
    std::vector<Case> cases = urlcorpus::load(urlcorpus::corpusPath().c_str());
    ASSERT_GE(cases.size(), 300u);
    for (Case& c : generatedCases())
        cases.push_back(std::move(c));
    size_t agreed = 0, differed = 0, listedSeen = 0;
    for (const Case& c : cases) {
        std::string library = libraryAnswer(c);
        std::string ours = urlcorpus::ours(c);
        const Difference* listed = listedDifference(c);
        SCOPED_TRACE(c.name.empty() ? "corpus line " + std::to_string(c.line) + ": " + c.op + " " +
                                          urlcorpus::escape(c.first) + " | " + urlcorpus::escape(c.second)
                                    : c.op + " " + c.name);
        if (listed) {
            ++listedSeen;
            EXPECT_NE(library, ours) << "listed as a difference (reason " << listed->reason
                                     << ") but the library agrees now";
            if (library != ours)
                ++differed;
        } else {
            EXPECT_EQ(library, ours);
            if (library == ours)
                ++agreed;
        }
    }
    EXPECT_EQ(listedSeen, sizeof kDifferences / sizeof kDifferences[0]) << "a listed case is not in the corpus";
    std::printf("URL corpus: %zu cases, %zu agree, %zu listed differences\n", cases.size(), agreed, differed);
}

}  // namespace
