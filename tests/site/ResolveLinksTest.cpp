#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExtractSupport.h"
#include "site/ResolveLinks.h"

using sitetest::Extract;
using sitetest::Extracted;

namespace {

const char kPage[] = "http://h/d/p.htm";

// "url" for each record handed on, "-" for none, joined by " | ".
std::string Resolve(Extracted& x, bool check = true) {
    std::vector<ResolvedLink> out;
    ResolveLinks(x.links, kPage, x.base, check, out);
    std::string s;
    for (const ResolvedLink& r : out) {
        if (!s.empty()) s += " | ";
        s += sitetest::Show(r.url);
    }
    return s;
}

}  // namespace

TEST(ResolveLinks, AgainstThePageOrItsBase) {
    struct Row {
        const char* page;
        const char* urls;
    };
    const Row rows[] = {
        {"<a href=x.htm>", "http://h/d/x.htm"},
        {"<a href=/x.htm><img src=../i.gif>", "http://h/x.htm | http://h/i.gif"},
        {"<a href=\"http://other/\">", "http://other/"},
        // The base element's own record is skipped; its href is the base.
        {"<base href=\"http://b/e/\"><a href=x.htm>", "http://b/e/x.htm"},
        {"<a href=x.htm><base href=\"http://b/e/\">", "http://b/e/x.htm"},
        // References decoded, CR and LF removed, the fragment cut.
        {"<a href=\"q.cgi?a=1&amp;b=2\">", "http://h/d/q.cgi?a=1&b=2"},
        {"<a href=\"x\r\n.htm\">", "http://h/d/x.htm"},
        {"<a href=x.htm#part>", "http://h/d/x.htm"},
        {"<a href=\"x&#46;htm\">", "http://h/d/x.htm"},
        // Climbing above the root leaves no "../" behind.
        {"<a href=../../../up.htm>", "http://h/up.htm"},
        // Not-followed records stop here: form actions, ismap anchors,
        // link elements that are not style sheets, applet codebases.
        {"<form action=f.cgi><a href=m.cgi><img src=m.gif ismap></a><link rel=next href=n.htm>",
         "http://h/d/m.gif"},
    };
    for (const Row& r : rows) {
        Extracted x;
        Extract(r.page, x);
        EXPECT_EQ(Resolve(x), r.urls) << r.page;
    }
}

TEST(ResolveLinks, AppletCodebase) {
    Extracted x;
    Extract("<applet code=A.class codebase=\"../cls/#x\" archive=a.jar></applet><applet code=B.class></applet>"
            "<applet code=C.class codebase=\"http://[bad/\">",
            x);
    // A codebase that does not combine leaves the page's base in force.
    EXPECT_EQ(Resolve(x), "http://h/cls/A.class | http://h/cls/a.jar | http://h/d/B.class | http://h/d/C.class");
}

TEST(ResolveLinks, CheckDropsUnsplittableHttpResults) {
    const char* page = "<a href=\"http://host:99999/x\"><a href=\"http:///x\"><a href=y.htm>";
    Extracted off;
    Extract(page, off);
    EXPECT_EQ(Resolve(off, false), "http://host:99999/x | http:///x | http://h/d/y.htm");
    EXPECT_EQ(off.links.count(), 3u);

    Extracted on;
    Extract(page, on);
    EXPECT_EQ(Resolve(on, true), "http://h/d/y.htm");
    // The dropped records are gone from the page's list as well.
    EXPECT_EQ(on.records(), "y.htm@63 a/href");
}

TEST(ResolveLinks, FailedCombineHandsNothingOn) {
    std::string page = "<a href=\"http://h/" + std::string(2100, 'x') + "\"><a href=ok.htm>";
    Extracted x;
    Extract(page, x);
    EXPECT_EQ(Resolve(x), "http://h/d/ok.htm");
    EXPECT_EQ(x.links.count(), 2u);
}
