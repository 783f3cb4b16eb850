#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Url.h"
#include "site/GraphSupport.h"
#include "site/LinkGraph.h"
#include "site/LocalFileRule.h"
#include "site/ResolveLinks.h"

namespace {

using Style = LocalFileRule::Style;

struct LinkCase {
    const char* what;
    Style style;
    std::vector<const char*> starts;
    const char* page;
    const char* target;
    bool allowed;
};

const char* const kPosixStart = "file:///home/u/site/index.html";
const char* const kPosixPage = "file:///home/u/site/index.html";
const char* const kWinStart = "file://C:/site/index.html";
const char* const kWinPage = "file://C:/site/index.html";

const LinkCase kLinks[] = {
    // Not the rule's business.
    {"http from http", Style::Posix, {"http://h/"}, "http://h/", "http://h/a.html", true},
    {"http from a file page", Style::Posix, {kPosixStart}, kPosixPage, "http://h/a.html", true},
    {"ftp from http", Style::Posix, {"http://h/"}, "http://h/", "ftp://h/a", true},

    // A page from the network never names a file.
    {"file from http", Style::Posix, {"http://h/"}, "http://h/", "file:///etc/passwd", false},
    {"file from http, file job", Style::Posix, {kPosixStart, "http://h/"}, "http://h/",
     "file:///home/u/site/a.html", false},
    {"file from https", Style::Posix, {kPosixStart}, "https://h/x", "file:///home/u/site/a.html", false},
    {"file from http, upper case", Style::Posix, {"http://h/"}, "http://h/", "FILE:///etc/passwd", false},
    {"file from http, blanks", Style::Posix, {"http://h/"}, "http://h/", " \tfi\nle:///etc/passwd", false},
    {"drive from http", Style::Windows, {"http://h/"}, "http://h/", "C:\\windows\\win.ini", false},
    {"device from http", Style::Windows, {"http://h/"}, "http://h/", "file:///NUL", false},
    {"share from http", Style::Windows, {"http://h/"}, "http://h/", "file://server/share/x", false},
    {"dev zero from http", Style::Posix, {"http://h/"}, "http://h/", "file:///dev/zero", false},

    // A job that did not start from the disk reads nothing from it.
    {"no file start", Style::Posix, {"http://h/"}, kPosixPage, "file:///home/u/site/a.html", false},
    {"no start at all", Style::Posix, {}, kPosixPage, "file:///home/u/site/a.html", false},

    // Below the start folder.
    {"below", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/a.html", true},
    {"deeper", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/sub/b/c.png", true},
    {"with a query", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/a.html?x=1", true},
    {"folder start", Style::Posix, {"file:///home/u/site/"}, "file:///home/u/site/", "file:///home/u/site/a.html",
     true},
    {"second start", Style::Posix, {"http://h/", kPosixStart}, kPosixPage, "file:///home/u/site/a.html", true},
    {"windows below", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/sub/a.html", true},
    {"windows other spelling", Style::Windows, {kWinStart}, kWinPage, "file:///c:/SITE/a.html", true},
    {"windows drive path", Style::Windows, {kWinStart}, kWinPage, "C:\\site\\a.html", true},
    {"posix device names are files", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/nul.txt", true},

    // Outside it.
    {"the folder itself", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/", false},
    {"beside", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site2/a.html", false},
    {"above", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/secret.txt", false},
    {"elsewhere", Style::Posix, {kPosixStart}, kPosixPage, "file:///etc/passwd", false},
    {"posix case counts", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/SITE/a.html", false},
    {"dot dot", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/../secret.txt", false},
    {"dot dot deeper", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/sub/../../secret.txt", false},
    {"dot dot back inside", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/sub/../a.html", false},
    {"dot dot backslash", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/..\\secret.txt", false},
    {"dot", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/./a.html", false},
    {"three dots", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/.../a.html", false},
    {"encoded dots", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/%2e%2e/secret.txt", false},
    {"encoded upper", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/%2E%2E/secret.txt", false},
    {"encoded slash", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/..%2fsecret.txt", false},
    {"encoded backslash", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/a%5c..%5c..%5cx", false},
    {"encoded twice", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/%252e%252e/secret.txt", false},
    {"dots in the query", Style::Posix, {kPosixStart}, kPosixPage, "file:///home/u/site/a.html?/../../x", false},
    {"relative", Style::Posix, {kPosixStart}, kPosixPage, "file:home/u/site/a.html", false},
    {"a host", Style::Posix, {kPosixStart}, kPosixPage, "file://localhost/home/u/site/a.html", false},
    {"a share", Style::Posix, {kPosixStart}, kPosixPage, "file:////server/share/x", false},
    {"a drive on posix", Style::Posix, {kPosixStart}, kPosixPage, "file://C:/home/u/site/a.html", false},

    // Windows: other drives, shares, devices, streams.
    {"other drive", Style::Windows, {kWinStart}, kWinPage, "file://D:/site/a.html", false},
    {"no drive", Style::Windows, {kWinStart}, kWinPage, "file:///site/a.html", false},
    {"windows dot dot", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/..\\windows\\win.ini", false},
    {"windows dots and blanks", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/.. /win.ini", false},
    {"win.ini", Style::Windows, {kWinStart}, kWinPage, "file://C:/windows/win.ini", false},
    {"unc", Style::Windows, {kWinStart}, kWinPage, "file://server/share/x", false},
    {"unc backslashes", Style::Windows, {kWinStart}, kWinPage, "file:\\\\server\\share\\x", false},
    {"unc four slashes", Style::Windows, {kWinStart}, kWinPage, "file:////server/share/x", false},
    {"device space", Style::Windows, {kWinStart}, kWinPage, "file:////./C:/site/a.html", false},
    {"nul", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/NUL", false},
    {"nul with extension", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/nul.txt", false},
    {"con with blank", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/con .html", false},
    {"com1", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/COM1", false},
    {"lpt9 as folder", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/lpt9/a.html", false},
    {"encoded device", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/%4eUL", false},
    {"stream", Style::Windows, {kWinStart}, kWinPage, "file://C:/site/a.html:secret", false},
    {"drive relative", Style::Windows, {kWinStart}, kWinPage, "file://C:site/a.html", false},

    // The <base> trick: a page of the disk whose base is the disk's root
    // still reads only below the start folder.
    {"base to root", Style::Posix, {kPosixStart}, kPosixPage, "file:///proc/self/environ", false},
};

class LocalFileLinks : public ::testing::TestWithParam<LinkCase> {};

}  // namespace

TEST_P(LocalFileLinks, Decision) {
    const LinkCase& c = GetParam();
    LocalFileRule rule(c.style);
    for (const char* s : c.starts) rule.addStart(url::normalizeAddress(s, true));
    EXPECT_EQ(rule.allowsLink(c.page, c.target), c.allowed) << c.what << ": " << c.target;
}

INSTANTIATE_TEST_SUITE_P(Table, LocalFileLinks, ::testing::ValuesIn(kLinks), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

TEST(LocalFileRule, FileUrlsAreKnownByTheirScheme) {
    for (const char* u : {"file:///x", "FILE:x", " file://C:/x", "\tf\ri\nle:/x", "C:\\x", "c:/x"})
        EXPECT_TRUE(LocalFileRule::isFileUrl(u)) << u;
    for (const char* u : {"http://h/file:", "files:/x", "fil:", "", "mailto:file:", "/etc/passwd", "C:x", "CC:/x"})
        EXPECT_FALSE(LocalFileRule::isFileUrl(u)) << u;
}

TEST(LocalFileRule, StartFoldersAreThePartsUpToTheLastSeparator) {
    LocalFileRule posix(Style::Posix);
    posix.addStart("file:///home/u/site/index.html");
    posix.addStart("file:///home/u/other/");
    posix.addStart("file:///home/u/x/../y/./page.html");
    posix.addStart("file:///../../etc/passwd");  // climbs above the root: no folder
    posix.addStart("file:relative/page.html");    // not absolute: no folder
    posix.addStart("http://h/a/b.html");
    using Parts = std::vector<std::string>;
    ASSERT_EQ(posix.startFolders().size(), 3u);
    EXPECT_EQ(posix.startFolders()[0], (Parts{"", "home", "u", "site"}));
    EXPECT_EQ(posix.startFolders()[1], (Parts{"", "home", "u", "other"}));
    EXPECT_EQ(posix.startFolders()[2], (Parts{"", "home", "u", "y"}));

    LocalFileRule windows(Style::Windows);
    windows.addStart("file://c:/Site/index.html");
    windows.addStart("file://server/share/index.html");  // a share: no folder
    windows.addStart("file://C:/site/nul/index.html");   // a device: no folder
    ASSERT_EQ(windows.startFolders().size(), 1u);
    EXPECT_EQ(windows.startFolders()[0], (Parts{"C:", "Site"}));

    posix.clear();
    EXPECT_TRUE(posix.startFolders().empty());
    EXPECT_FALSE(posix.allowsNode("file:///home/u/site/a.html"));
}

TEST(LocalFileRule, NodesAreStartUrlsOrBelowAStartFolder) {
    LocalFileRule rule(Style::Posix);
    rule.addStart("file:///home/u/site/index.html");
    rule.addStart("file:///home/u/x/../notes.txt");  // the user's own "..": that very file
    EXPECT_TRUE(rule.allowsNode("file:///home/u/site/index.html"));
    EXPECT_TRUE(rule.allowsNode("file:///home/u/site/a/b.html"));
    EXPECT_TRUE(rule.allowsNode("file:///home/u/x/../notes.txt"));
    EXPECT_TRUE(rule.allowsNode("http://h/anything"));
    EXPECT_FALSE(rule.allowsNode("file:///home/u/x/../other.txt"));
    EXPECT_FALSE(rule.allowsNode("file:///etc/passwd"));
    EXPECT_FALSE(rule.allowsNode("file:///dev/zero"));
    EXPECT_FALSE(rule.allowsNode("file:///home/u/site/../secret"));

    LocalFileRule none(Style::Posix);
    none.addStart("http://h/");
    EXPECT_FALSE(none.allowsNode("file:///etc/passwd"));
}

// The graph asks the rule where links become nodes and nodes enter the
// queue: a refused link leaves no trace, and a file: job still runs below
// its folder.
namespace {

class FileRuleGraph : public ::testing::Test {
protected:
    TestPolicy policy;
    LinkGraph g{policy};

    void SetUp() override {
        policy.internalLevels = 5;
        policy.externalLevels = 5;
    }
    ToBeOpenTN* start(std::vector<const char*> urls) {
        g.beginStartUrls();
        ToBeOpenTN* first = nullptr;
        for (const char* u : urls) {
            ToBeOpenTN* n = g.addStartUrl(u, true);
            if (!first) first = n;
        }
        return first;
    }
    // The page was fetched with these links in it, resolved against base.
    void fetched(ToBeOpenTN* page, const std::vector<const char*>& links, const char* base = nullptr) {
        ExtractList fresh;
        for (const char* k : links) {
            auto* l = new ExtractNode;
            l->linkText = k;
            fresh.append(l);
        }
        g.setState(*page, StateDone);
        page->flags |= FlagReceived;
        g.replaceLinks(*page, fresh);
        std::vector<ResolvedLink> r;
        AStr own = g.urlOf(*page);
        ResolveLinks(page->links, own.view(), base ? base : own.view(), false, r);
        g.processLinks(*page, r);
    }
    size_t queued() const { return g.counters.queuedFiles + g.counters.queuedPictures; }
};

}  // namespace

TEST_F(FileRuleGraph, AnHttpPageNamesNoLocalFile) {
    g.stubs = true;
    int stubs = 0;
    g.makeStub = [&stubs](ToBeOpenTN&) { ++stubs; };
    ToBeOpenTN* page = start({"http://h/index.html"});
    ASSERT_TRUE(page);
    fetched(page, {"file:///etc/passwd", "file:///dev/zero", "FILE:///etc/shadow", "file://server/share/x",
                   "C:\\windows\\win.ini", "b.html"});
    EXPECT_EQ(g.find("file:///etc/passwd"), nullptr);
    EXPECT_EQ(g.find("file:///dev/zero"), nullptr);
    EXPECT_EQ(g.find("file://server/share/x"), nullptr);
    EXPECT_EQ(g.find("file://C:/windows/win.ini"), nullptr);
    ASSERT_NE(g.find("http://h/b.html"), nullptr);
    EXPECT_EQ(g.find("http://h/b.html")->state, StateQueued);
    EXPECT_EQ(queued(), 1u);
    EXPECT_EQ(stubs, 0);
    // The refused records stay in the page, without a target.
    size_t records = 0, targets = 0;
    for (ExtractNode* l : each<ExtractNode>(page->links)) {
        ++records;
        if (l->target) ++targets;
    }
    EXPECT_EQ(records, 6u);
    EXPECT_EQ(targets, 1u);
}

TEST_F(FileRuleGraph, ABaseOnTheDiskGivesAnHttpPageNothing) {
    ToBeOpenTN* page = start({"http://h/index.html"});
    fetched(page, {"proc/self/environ", "etc/passwd"}, "file:///");
    EXPECT_EQ(g.find("file:///proc/self/environ"), nullptr);
    EXPECT_EQ(g.find("file:///etc/passwd"), nullptr);
    EXPECT_EQ(queued(), 0u);
}

TEST_F(FileRuleGraph, AFileJobStaysBelowItsFolder) {
    ToBeOpenTN* page = start({"file:///home/u/site/index.html"});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->state, StateQueued);
    fetched(page, {"a.html", "sub/b.html", "../secret.txt", "%2e%2e/secret.txt", "sub/%2e%2e%2f%2e%2e/secret.txt",
                   "file:///etc/passwd", "/etc/passwd", "file:///dev/zero", "\\\\server\\share\\x",
                   "//server/share/x"});
    EXPECT_EQ(g.find("file:///home/u/site/a.html")->state, StateQueued);
    EXPECT_EQ(g.find("file:///home/u/site/sub/b.html")->state, StateQueued);
    EXPECT_EQ(g.find("file:///home/u/secret.txt"), nullptr);
    EXPECT_EQ(g.find("file:///etc/passwd"), nullptr);
    EXPECT_EQ(g.find("file:///dev/zero"), nullptr);
    EXPECT_EQ(g.find("file://server/share/x"), nullptr);
    EXPECT_EQ(queued(), 2u);
    // A page of the job whose base is the root gets nothing outside either.
    ToBeOpenTN* a = g.find("file:///home/u/site/a.html");
    fetched(a, {"proc/self/environ", "home/u/site/c.html"}, "file:///");
    EXPECT_EQ(g.find("file:///proc/self/environ"), nullptr);
    EXPECT_EQ(g.find("file:///home/u/site/c.html")->state, StateQueued);
}

TEST_F(FileRuleGraph, ANodeOutsideNeverEntersTheQueue) {
    // A node from an older tree file, or made by hand.
    start({"http://h/index.html"});
    ToBeOpenTN* n = g.findOrCreate("file:///etc/passwd", 1, false);
    ASSERT_TRUE(n);
    g.setState(*n, StateQueued);
    EXPECT_EQ(n->state, StateNew);
    EXPECT_EQ(g.queuePriority(*n), 0);
    EXPECT_EQ(queued(), 1u);  // the start page alone
    EXPECT_EQ(g.bestQueued(), g.find("http://h/index.html"));
}
