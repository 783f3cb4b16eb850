#include "framework/Url.h"
#include "tests/framework/UrlCorpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <utility>

#include <string>

namespace {

using namespace url;

// Joins texts without std::string's operator+, on which GCC 12 warns
// falsely at -O3.
std::string cat(std::string_view a, std::string_view b, std::string_view c = {})
{
    std::string r;
    r.reserve(a.size() + b.size() + c.size());
    r.append(a).append(b).append(c);
    return r;
}

TEST(UrlServices, SchemeNumbersMapToServiceCodesAndBack)
{
    struct Row {
        int scheme;
        uint32_t service;
    };
    const Row rows[] = {
        {kSchemeFtp, 1},         {kSchemeGopher, 2},         {kSchemeHttp, 3},     {kSchemeHttps, 0x100B},
        {kSchemeFile, 0x1001},   {kSchemeNews, 0x1006},      {kSchemeMailto, 0x1002},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(serviceOfScheme(r.scheme), r.service) << r.scheme;
        EXPECT_EQ(schemeOfService(r.service), r.scheme) << r.service;
    }
    for (int other : {int(kSchemeUnknown), int(kSchemeDefault), int(kSchemeSocks), int(kSchemeJavascript), int(kSchemeVbscript), int(kSchemeRes), 99})
        EXPECT_EQ(serviceOfScheme(other), kServiceUnknown) << other;
    for (uint32_t other : {0u, 4u, 0x1000u, 0x1003u, 0xFFFFFFFFu})
        EXPECT_EQ(schemeOfService(other), kSchemeUnknown) << other;
    EXPECT_EQ(schemeOfName("HTTPS"), kSchemeHttps);
    EXPECT_EQ(schemeOfName("htt"), kSchemeUnknown);
    EXPECT_EQ(nameOfScheme(kSchemeGopher), "gopher");
    EXPECT_EQ(nameOfScheme(kSchemeUnknown), "");
}

TEST(UrlCorpus, EveryCaseGivesItsExpectedAnswer)
{
    std::vector<urlcorpus::Case> cases = urlcorpus::load(urlcorpus::corpusPath().c_str());
    ASSERT_GE(cases.size(), 300u);
    for (const urlcorpus::Case& c : cases)
        EXPECT_EQ(urlcorpus::ours(c), c.expected) << "corpus line " << c.line << ": " << c.op << " "
                                                  << urlcorpus::escape(c.first) << " | "
                                                  << urlcorpus::escape(c.second);
}

// A combiner keeps its buffers from one reference to the next: read in a
// shuffled order, with one combiner per base and one result reused for
// all of them, every combine case of the corpus still gives its answer,
// and combine() agrees with combineUrl() on each.
TEST(UrlCombiner, ReusedForManyReferencesGivesTheAnswersOfSingleCalls)
{
    std::vector<urlcorpus::Case> cases;
    for (const urlcorpus::Case& c : urlcorpus::load(urlcorpus::corpusPath().c_str()))
        if (c.op == "combine")
            cases.push_back(c);
    ASSERT_GE(cases.size(), 100u);
    std::mt19937 rng(5);
    std::shuffle(cases.begin(), cases.end(), rng);
    std::map<std::pair<std::string, uint32_t>, std::unique_ptr<UrlCombiner>> combiners;
    AStr out = "stale", single;
    for (int round = 0; round < 2; ++round) {
        for (const urlcorpus::Case& c : cases) {
            std::unique_ptr<UrlCombiner>& k = combiners[{c.first, c.flags}];
            if (!k)
                k = std::make_unique<UrlCombiner>(c.first, c.flags);
            std::string got = k->combineRaw(c.second, out) != 0 ? "!FAIL" : urlcorpus::escape(std::string(out.view()));
            EXPECT_EQ(got, c.expected) << "corpus line " << c.line;
            bool ok = k->combine(c.second, out);
            EXPECT_EQ(ok, combineUrl(c.first, c.second, c.flags, single)) << "corpus line " << c.line;
            EXPECT_EQ(out, single) << "corpus line " << c.line;
        }
    }
}

// A plain relative path takes a quicker way through the combiner; a blank
// after it sends the same reference the whole way (blanks around a URL are
// trimmed). Both must agree for every kind of base and every flag.
TEST(UrlCombiner, PlainReferencesGiveWhatTheWholeWayGives)
{
    const char* bases[] = {"http://h/a/b.htm", "http://h/a/./b/x", "http://h/a/../b/", "http://H:80/A%41/x",
                           "http://h/a b/x", "http://h", "http://h?q", "http://u:p@h/p/", "https://h/a/",
                           "ftp://h/x/", "file:///C:/d/x.htm", "http://h/a\\b/c", "http://[::1]/a/", "http://[::1/a/",
                           "mailto:x@y", "http://h/a/b.htm#f", "http://h/a;p/x", "http://h/a//b/", "news:a/b",
                           "http://h/~u/(x)/", "http://h/%2e%2e/x/", "http:/h/x", "relative/base"};
    const char* refs[] = {"x", "x/y.htm", "/x", "/", "a//b", "x.htm", "a.b/c", "Az09-_~!$'()*+,;=@", "x/",
                          ".x", "x/.y", "a..b/", "x/../y", "x/./y", "//h2/x", "/.", "@", ";p=1", "a@b", "~"};
    const uint32_t flags[] = {kNoEncode | kDecode, 0, kNoEncode, kDecode, kBrowserMode, kEncodeSpacesOnly, kNoMeta, kEncodePercent};
    AStr quick, whole;
    for (const char* b : bases) {
        for (uint32_t f : flags) {
            UrlCombiner k(b, f);
            for (const char* r : refs) {
                int rq = k.combineRaw(r, quick);
                int rw = k.combineRaw(std::string(r) + " ", whole);
                EXPECT_EQ(rq, rw) << b << " + " << r << " flags " << std::hex << f;
                EXPECT_EQ(quick, whole) << b << " + " << r << " flags " << std::hex << f;
            }
        }
    }
}

struct SplitRow {
    const char* url;
    uint32_t flags;
    bool ok;
    uint32_t service;
    const char* host;
    const char* path;
    uint16_t port;
    const char* user;
    const char* password;
};

TEST(UrlSplit, ServiceHostPathPortAndCredentials)
{
    const SplitRow rows[] = {
        {"http://www.example.com/a/b.html?x=1/2#f", kNoEncode, true, kServiceHttp, "www.example.com", "/a/b.html?x=1/2#f", 80, "", ""},
        {"https://u:p@h.example.com:8443/x", kNoEncode, true, kServiceHttps, "h.example.com", "/x", 8443, "u", "p"},
        {"ftp://anon@ftp.example.org/pub/", 0, true, kServiceFtp, "ftp.example.org", "/pub/", 21, "anon", ""},
        {"gopher://g.example.org/1/menu", 0, true, kServiceGopher, "g.example.org", "/1/menu", 70, "", ""},
        {"file:///C:/dir/a.html", kNoEncode, true, kServiceFile, "", "C:\\dir\\a.html", 0, "", ""},
        {"mailto:ivan@example.ru", 0, true, kServiceMailto, "", "ivan@example.ru", 0, "", ""},
        {"news:comp.lang.c", 0, true, kServiceNews, "", "comp.lang.c", 0, "", ""},
        {"http://host/a b", 0, true, kServiceHttp, "host", "/a%20b", 80, "", ""},
        {"http://host/a b", kNoEncode, true, kServiceHttp, "host", "/a b", 80, "", ""},
        {"http://[::1]:8080/x", 0, true, kServiceHttp, "[::1]", "/x", 8080, "", ""},
        {"http://host:65535/", 0, true, kServiceHttp, "host", "/", 65535, "", ""},
        // Bad input: a clear failure, unknown service, empty texts.
        {"", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"www.example.com", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"unknown://host/path", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"javascript:alert(1)", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"http://[::1/x", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"http://[::1]x/", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"http://host:65536/x", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"http://host:99999/x", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"http://host:8o/x", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"http://u:p@:80/x", 0, false, kServiceUnknown, "", "", 0, "", ""},
        {"http:/x", 0, false, kServiceUnknown, "", "", 0, "", ""},
    };
    for (const SplitRow& r : rows) {
        SplitUrl s;
        s.host = "stale";
        EXPECT_EQ(splitUrl(r.url, r.flags, s), r.ok) << r.url;
        EXPECT_EQ(s.service, r.service) << r.url;
        EXPECT_EQ(s.host, r.host) << r.url;
        EXPECT_EQ(s.path, r.path) << r.url;
        EXPECT_EQ(s.port, r.port) << r.url;
        EXPECT_EQ(s.user, r.user) << r.url;
        EXPECT_EQ(s.password, r.password) << r.url;
    }
}

TEST(UrlSplit, TextsWithZeroBytesFail)
{
    const std::string withZero("http://host/a\0b", 15);
    SplitUrl s;
    EXPECT_FALSE(splitUrl(withZero, 0, s));
    EXPECT_EQ(s.service, kServiceUnknown);
    AStr out;
    EXPECT_NE(combineRaw("http://host/", withZero, 0, out), 0);
    EXPECT_NE(combineRaw(withZero, "x", 0, out), 0);
    EXPECT_NE(canonicalize(withZero, 0, out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_NE(buildUrl(kServiceHttp, withZero, 80, "", "", "/", out), 0);
}

TEST(UrlSplit, LongPartsAreCutToTheirBuffersAndLongHostsRefused)
{
    // A path of 100 KB: cut to the path buffer, never overrun.
    std::string longPath = cat("http://host/", std::string(100 * 1024, 'p'));
    SplitUrl s;
    ASSERT_TRUE(splitUrl(longPath, kNoEncode, s));
    EXPECT_EQ(s.path.size(), kMaxPath - 1);
    EXPECT_TRUE(s.path.startsWith("/ppp"));
    EXPECT_EQ(hostOfUrl(longPath), "host");
    EXPECT_EQ(pathOfUrl(longPath).size(), kMaxPath - 1);

    // Credentials: cut to 127 bytes each.
    std::string longUser = cat(cat("ftp://", std::string(300, 'u'), ":"), std::string(300, 'w'), "@h/");
    ASSERT_TRUE(splitUrl(longUser, 0, s));
    EXPECT_EQ(s.user, std::string(kMaxUser - 1, 'u'));
    EXPECT_EQ(s.password, std::string(kMaxPassword - 1, 'w'));

    // A host of 1,000 labels: a cut host would be another host.
    std::string manyLabels = "http://";
    for (int i = 0; i < 1000; ++i)
        manyLabels += "a.";
    manyLabels += "com/x";
    EXPECT_FALSE(splitUrl(manyLabels, 0, s));
    EXPECT_EQ(s.service, kServiceUnknown);
    EXPECT_TRUE(s.host.empty());
    EXPECT_TRUE(s.path.empty());
    EXPECT_EQ(hostOfUrl(manyLabels), "");

    // 255 bytes still fit the host buffer.
    std::string fits = cat("http://", std::string(kMaxHost - 1, 'h'), "/");
    ASSERT_TRUE(splitUrl(fits, 0, s));
    EXPECT_EQ(s.host.size(), kMaxHost - 1);
}

TEST(UrlSplit, ShortFormUsesBrowserModeAndDropsCredentials)
{
    SplitUrl s;
    ASSERT_TRUE(splitUrlShort("http://u:p@host:81/a b\\c", s));
    EXPECT_EQ(s.service, kServiceHttp);
    EXPECT_EQ(s.host, "host");
    EXPECT_EQ(s.port, 81);
    EXPECT_EQ(s.path, "/a%20b/c");
    EXPECT_TRUE(s.user.empty());
}

TEST(UrlPath, LocalStylePathAndHost)
{
    struct Row {
        const char* url;
        const char* host;
        const char* path;
    };
    const Row rows[] = {
        {"http://www.example.com/a/b/c.html", "www.example.com", "\\a\\b\\c.html"},
        {"http://host/q?x=a/b", "host", "\\q?x=a\\b"},
        {"http://host/\xE0\xE1/", "host", "\\\xE0\xE1\\"},
        {"http://host/a/../b", "host", "\\b"},
        {"not a url", "", ""},
        {"http://host:70000/", "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(hostOfUrl(r.url), r.host) << r.url;
        EXPECT_EQ(pathOfUrl(r.url), r.path) << r.url;
    }
}

TEST(UrlBuild, PartsBecomeAUrl)
{
    struct Row {
        uint32_t service;
        const char* host;
        uint16_t port;
        const char* user;
        const char* password;
        const char* path;
        int result;
        const char* url;
    };
    const Row rows[] = {
        {kServiceHttp, "host", 80, "", "", "/x", 0, "http://host/x"},
        {kServiceHttp, "host", 8080, "u", "p", "/x", 0, "http://u:p@host:8080/x"},
        // The password goes only with a user.
        {kServiceHttp, "host", 80, "", "secret", "/x", 0, "http://host/x"},
        {kServiceHttp, "host", 80, "u", "", "/x", 0, "http://u@host/x"},
        {kServiceHttps, "host", 443, "", "", "/", 0, "https://host/"},
        {kServiceFtp, "ftp.example.org", 21, "anon", "me", "pub/", 0, "ftp://anon:me@ftp.example.org/pub/"},
        {kServiceMailto, "", 0, "", "", "ivan@example.ru", 0, "mailto:ivan@example.ru"},
        {kServiceUnknown, "host", 80, "", "", "/x", -1, ""},
        {0x1003, "host", 80, "", "", "/x", -1, ""},
    };
    for (const Row& r : rows) {
        AStr out = "stale";
        EXPECT_EQ(buildUrl(r.service, r.host, r.port, r.user, r.password, r.path, out), r.result) << r.url;
        EXPECT_EQ(out, r.url);
    }
    AStr out;
    EXPECT_EQ(buildUrl(kServiceHttp, "host", 80, "", "", cat("/", std::string(kMaxUrl, 'x')), out), -1);
    EXPECT_TRUE(out.empty());
}

TEST(UrlCombine, LinkResolutionDropsClimbsAboveTheRoot)
{
    const uint32_t link = kNoEncode | kDecode;
    struct Row {
        const char* base;
        const char* relative;
        bool ok;
        const char* url;
    };
    const Row rows[] = {
        {"http://a/b/c/d;p?q", "../../../g", true, "http://a/g"},
        {"http://a/b/c/d;p?q", "../../../../g", true, "http://a/g"},
        {"http://host/one/two/", "../../../x.html", true, "http://host/x.html"},
        {"http://host/dir/", "sub/../../../up.html", true, "http://host/up.html"},
        // Only the three characters "../" go; "..x" and a final ".." stay.
        {"http://host/dir/", "..x/a", true, "http://host/dir/..x/a"},
        {"http://host/dir/", "x?q=../y", true, "http://host/dir/x?q=y"},
        {"http://host/dir/", "a%20b.html", true, "http://host/dir/a%20b.html"},
        {"http://host/dir/", "%7Euser/", true, "http://host/dir/~user/"},
        {"http://host/dir/", "javascript:go('x')", true, "javascript:go('x')"},
        {"mailto:a@b", "x.html", false, ""},
        {"no base", "x.html", false, ""},
    };
    for (const Row& r : rows) {
        AStr out = "stale";
        EXPECT_EQ(combineUrl(r.base, r.relative, link, out), r.ok) << r.base << " + " << r.relative;
        EXPECT_EQ(out, r.url) << r.base << " + " << r.relative;
    }
}

TEST(UrlCombine, ResultsLongerThanTheUrlBufferFail)
{
    AStr out;
    std::string justFits(kMaxUrl - 1 - std::string("http://h/").size(), 'x');
    ASSERT_TRUE(combineUrl("http://h/", justFits, 0, out));
    EXPECT_EQ(out.size(), kMaxUrl - 1);
    EXPECT_FALSE(combineUrl("http://h/", cat(justFits, "y"), 0, out));
    EXPECT_TRUE(out.empty());
    std::string huge(100 * 1024, 'z');
    EXPECT_FALSE(combineUrl("http://h/", huge, 0, out));
    EXPECT_FALSE(combineUrl(cat("http://h/", huge, "/"), "x", 0, out));
    // The folder of a long base drops out: the result is short again.
    ASSERT_TRUE(combineUrl(cat("http://h/", huge), "x", 0, out));
    EXPECT_EQ(out, "http://h/x");
    EXPECT_FALSE(combineUrl("http://h/", cat("http://other/", huge), 0, out));
}

TEST(UrlNormalize, BlanksInATypedAddressAreEscapedAndTrimmed)
{
    const std::pair<const char*, const char*> rows[] = {
        {"http://h/a b.html", "http://h/a%20b.html"},
        {"  http://h/a.html \r\n", "http://h/a.html"},
        {"http://h/cgi?q=a b&t=\tx", "http://h/cgi?q=a%20b&t=%09x"},
        {"http://h/a%20b.html", "http://h/a%20b.html"},
        {"http://h/\x7f", "http://h/%7F"},
        {"", ""},
    };
    for (const auto& [typed, url] : rows)
        EXPECT_EQ(escapeBlanks(typed), url) << typed;
}

TEST(UrlNormalize, TypedAddresses)
{
    struct Row {
        const char* typed;
        bool allowFile;
        const char* url;
    };
    const Row rows[] = {
        {"www.example.com\\dir\\a.html", false, "http://www.example.com/dir/a.html"},
        {"www.example.com\\cgi?path=a\\b", false, "http://www.example.com/cgi?path=a\\b"},
        {"http://host\\x", false, "http://host/x"},
        {"ftp://ftp.example.org/pub", false, "ftp://ftp.example.org/pub"},
        {"C:\\site\\index.html", true, "file://C:/site/index.html"},
        {"C:\\site\\index.html", false, "C:/site/index.html"},
        {"FILE:C:\\x.html", true, "FILE:C:/x.html"},
        {"nonsense://x", false, "http://nonsense://x"},
        {"", false, "http://"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(normalizeAddress(r.typed, r.allowFile), r.url) << r.typed;
}

TEST(UrlCompare, EqualOrOneFinalSlashApart)
{
    struct Row {
        const char* a;
        const char* b;
        bool same;
    };
    const Row rows[] = {
        {"http://host/dir", "http://host/dir", true},
        {"http://host/dir", "http://host/dir/", true},
        {"http://host/dir/", "http://host/dir", true},
        {"http://host/dir", "http://host/dir//", false},
        {"http://host/dir//", "http://host/dir", false},
        {"http://host/dir", "http://host/dirx", false},
        {"http://host/Dir", "http://host/dir", false},
        {"", "/", true},
        {"", "", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(sameUrl(r.a, r.b), r.same) << r.a << " vs " << r.b;
}

// The quick check must answer what the full split answers, on both sides
// of the line between the texts it checks itself and those it hands on.
TEST(UrlSplit, QuickCheckAgreesWithTheFullSplit)
{
    const std::string longHost(255, 'h');
    const std::string tooLong(256, 'h');
    const std::string cases[] = {
        "http://h/", "http://h", "HTTP://h/x", "http://h:80/", "http://h:/", "http://h:65535/", "http://h:65536/",
        "http://h:123456/", "http://h:8a/", "http://h:-1/", "http://:80/", "http://", "http:///x", "http://h?x",
        "http://h#f", "http://h\\x", "http://u@h/", "http://u:p@h:99999/", "http://@/", "http://[::1]/",
        "http://[::1/", "http://[::1]:x/", "http://h /x", " http://h/x ", "http://h\tx/", "http://h/a b",
        "http:h/x", "http:/h", "https://h:99999/", "http://h/%41?%42#%43", cat("http://", longHost, "/"),
        cat("http://", tooLong, "/"), cat("http://", tooLong, ":80")};
    for (const std::string& u : cases) {
        SplitUrl full;
        EXPECT_EQ(splits(u), splitUrl(u, 0, full)) << u;
    }
}

}  // namespace
