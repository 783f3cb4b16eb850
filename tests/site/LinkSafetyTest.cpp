#include <gtest/gtest.h>

#include "framework/StrList.h"
#include "site/GraphSupport.h"
#include "site/LinkGraph.h"
#include "site/LinkSafety.h"

TEST(LinkSafety, ControlBytesAndOtherServicesPortsAreNotFollowed) {
    TestPolicy policy;
    LinkGraph g{policy};
    ToBeOpenTN* page = g.findOrCreate("http://h/index.html", 0, false);
    ToBeOpenTN* odd = g.findOrCreate("http://h:81/index.html", 0, false);
    ASSERT_TRUE(page && odd);

    for (const char* fine : {"http://h/a.html", "http://g:8080/", "ftp://h/f.txt", "ftp://h:2121/f.txt",
                             "gopher://h/1", "gopher://h:7070/0a.txt", "http://h/a%0D%0Ab", "https://h:443/"})
        EXPECT_TRUE(LinkSafeToFollow(fine, *page)) << fine;
    for (const char* bad : {"gopher://h:6379/_x%0D%0AFLUSHALL%0D%0A", "ftp://h/a%0D%0ADELE%20x",
                            "http://h%0d%0a:8080/", "http://h:25/", "https://h:80/", "ftp://h:22/", "gopher://h:25/1",
                            "http://a@b@h:8080/"})
        EXPECT_FALSE(LinkSafeToFollow(bad, *page)) << bad;

    // A site on a port of its own links to itself, and to nothing else on
    // such a port.
    EXPECT_TRUE(LinkSafeToFollow("http://h:81/b.html", *odd));
    EXPECT_FALSE(LinkSafeToFollow("http://h:82/b.html", *odd));
    EXPECT_FALSE(LinkSafeToFollow("gopher://h:81/1", *odd));
    EXPECT_FALSE(LinkSafeToFollow("http://g:81/", *odd));
}

TEST(LinkSafety, RefusedLinksStayOutOfTheGraph) {
    TestPolicy policy;
    LinkGraph g{policy};
    g.beginStartUrls();
    ToBeOpenTN* page = g.addStartUrl("http://h/index.html", true);
    ASSERT_NE(page, nullptr);
    ExtractList fresh;
    for (const char* u : {"gopher://h:6379/_x%0D%0AFLUSHALL", "http://h:25/x.html", "http://h/b.html"}) {
        auto* l = new ExtractNode;
        l->linkText = u;
        fresh.append(l);
    }
    g.replaceLinks(*page, fresh);
    std::vector<ResolvedLink> r;
    for (ExtractNode* l : each<ExtractNode>(page->links)) r.push_back({l, l->linkText});
    uint32_t queuedBefore = g.counters.queuedFiles;
    g.processLinks(*page, r);

    EXPECT_EQ(g.find("gopher://h:6379/_x%0D%0AFLUSHALL"), nullptr);
    EXPECT_EQ(g.find("http://h:25/x.html"), nullptr);
    ASSERT_NE(g.find("http://h/b.html"), nullptr);
    EXPECT_EQ(g.find("http://h/b.html")->state, StateQueued);
    EXPECT_EQ(g.counters.queuedFiles, queuedBefore + 1);
    // The records stay, without a target: the page keeps them as they are.
    ExtractNode* first = static_cast<ExtractNode*>(page->links.first());
    EXPECT_EQ(first->target, nullptr);
    EXPECT_EQ(first->linkText, "gopher://h:6379/_x%0D%0AFLUSHALL");
}

TEST(LinkSafety, CredentialsGoOnlyToTheStartOrigins) {
    StrList starts;
    starts.add("http://Site.example:8080/index.html");
    starts.add("ftp://ftp.example/pub/");
    starts.add("plain.example");  // typed without a scheme: http
    EXPECT_TRUE(CredentialsMayGoTo(starts, "http://site.example:8080/other/page.html"));
    EXPECT_TRUE(CredentialsMayGoTo(starts, "ftp://ftp.example/pub/f.txt"));
    EXPECT_TRUE(CredentialsMayGoTo(starts, "ftp://ftp.example:21/x"));
    EXPECT_FALSE(CredentialsMayGoTo(starts, "http://site.example/"));
    EXPECT_FALSE(CredentialsMayGoTo(starts, "http://site.example:8081/"));
    EXPECT_FALSE(CredentialsMayGoTo(starts, "https://site.example:8080/"));
    EXPECT_FALSE(CredentialsMayGoTo(starts, "ftp://site.example:8080/"));
    EXPECT_FALSE(CredentialsMayGoTo(starts, "http://evil.example:8080/"));
    EXPECT_FALSE(CredentialsMayGoTo(starts, "http://ftp.example/pub/"));
    EXPECT_TRUE(CredentialsMayGoTo(starts, "http://plain.example/a"));
    EXPECT_FALSE(CredentialsMayGoTo(starts, "https://plain.example/a"));
    EXPECT_FALSE(CredentialsMayGoTo(StrList(), "http://site.example:8080/"));
}
