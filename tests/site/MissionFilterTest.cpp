#include <gtest/gtest.h>

#include "app/ApplicationProfile.h"
#include "site/LinkFlags.h"
#include "site/Mission.h"
#include "site/MissionFilter.h"

namespace {

struct Job {
    Mission m{ApplicationProfile("")};  // the built-in defaults
    MissionFilter f{m, SkipList()};
    explicit Job(std::initializer_list<const char*> starts = {"http://site.com/docs/index.html"}) {
        for (const char* s : starts) f.addStart(s);
    }
};

}  // namespace

TEST(MissionFilter, FolderPrefixOfStartUrls) {
    struct Case {
        const char* url;
        const char* prefix;
    } cases[] = {
        {"http://h/dir/page.html", "http://h/dir"},
        {"http://h/dir/", "http://h/dir"},
        {"http://h/dir/sub", "http://h/dir/sub"},  // no extension, no '/': a folder
        {"http://h/", "http://h"},
        {"http://h", "http://h"},
        {"http://h/dir/run.cgi?x=1", "http://h/dir"},
        {"http://h/dir/sub?x=1", "http://h/dir"},
        {"http://h/dir/?x=1", "http://h/dir"},
        {"http://h/dir/s.cgi?u=/a/b.c", "http://h/dir"},  // '/' and '.' of the query do not count
        {"http://h/dir/p#x/y", "http://h/dir"},
        {"ftp://h/pub/file.zip", "ftp://h/pub"},
        {"https://h/a/b.htm", "https://h/a"},
        {"http://h:8080/a/b.htm", "http://h:8080/a"},
        {"http://h:80/a/b.htm", "http://h/a"},
    };
    for (const Case& c : cases) EXPECT_EQ(FolderPrefixOf(c.url), c.prefix) << c.url;
}

TEST(MissionFilter, StartHostsAreComparedByteForByte) {
    Job j({"http://site.com/a.html", "http://other.org:81/", "http://site.com/b/"});
    ASSERT_EQ(j.f.startHosts().count(), 3u);  // duplicates stay
    EXPECT_TRUE(j.f.onStartHost("http://site.com/x/y"));
    EXPECT_TRUE(j.f.onStartHost("http://other.org/"));
    EXPECT_FALSE(j.f.onStartHost("http://www.site.com/"));
    EXPECT_TRUE(MissionFilter::sameHost("http://SITE.com/a", "http://site.COM/b"));
    EXPECT_FALSE(MissionFilter::sameHost("http://site.com/a", "http://site.org/a"));
    j.f.clearStarts();
    EXPECT_FALSE(j.f.onStartHost("http://site.com/"));
    EXPECT_TRUE(j.f.startFolders().empty());
}

TEST(MissionFilter, OnlyInDirectory) {
    Job j;
    j.m.onlyInDirectory = true;
    EXPECT_TRUE(j.f.placeAllowed("http://site.com/docs/a.html"));
    EXPECT_TRUE(j.f.placeAllowed("http://site.com/DOCS/sub/b.html"));  // without case
    EXPECT_TRUE(j.f.placeAllowed("http://site.com/docs"));
    EXPECT_TRUE(j.f.placeAllowed("http://site.com/docs?page=2"));
    EXPECT_FALSE(j.f.placeAllowed("http://site.com/other/a.html"));
    EXPECT_FALSE(j.f.placeAllowed("http://site.com/index.html"));
    // A sibling whose name begins with the start folder's is not inside it.
    EXPECT_FALSE(j.f.placeAllowed("http://site.com/docs2/a.html"));
    EXPECT_FALSE(j.f.placeAllowed("http://site.com/docsold/"));
    // Other hosts are not limited by folder.
    EXPECT_TRUE(j.f.placeAllowed("http://elsewhere.net/x/y.html"));
    // A second start folder opens its own.
    j.f.addStart("http://site.com/other/");
    EXPECT_TRUE(j.f.placeAllowed("http://site.com/other/a.html"));
    j.m.onlyInDirectory = false;
    EXPECT_TRUE(j.f.placeAllowed("http://site.com/docs2/a.html"));
}

TEST(MissionFilter, OnlyInDirectoryOnASiteWithItsOwnPort) {
    Job j({"http://127.0.0.1:8080/site/index.html"});
    j.m.onlyInDirectory = true;
    EXPECT_TRUE(j.f.placeAllowed("http://127.0.0.1:8080/site/a.html"));
    EXPECT_FALSE(j.f.placeAllowed("http://127.0.0.1:8080/other/a.html"));
}

TEST(MissionFilter, ExcludeListMatchesPrefixesInAnyCase) {
    Job j;
    j.m.excludeUrls.add("http://site.com/Docs/Private");
    j.m.excludeUrls.add("");  // an empty entry excludes nothing
    EXPECT_FALSE(j.f.placeAllowed("http://SITE.com/docs/private/a.html"));
    EXPECT_FALSE(j.f.placeAllowed("http://site.com/docs/privateer.html"));  // any URL that begins with it
    EXPECT_TRUE(j.f.placeAllowed("http://site.com/docs/public.html"));
    EXPECT_TRUE(j.f.placeAllowed("http://other.com/"));
}

TEST(MissionFilter, NormalisingTheListsBeforeAJob) {
    Mission m{ApplicationProfile("")};
    m.excludeUrls.add("site.com\\docs\\private");
    m.excludeUrls.add("");
    m.includeUrls.add("http://site.com/a?x=\\y");
    NormaliseUrlLists(m);
    ASSERT_EQ(m.excludeUrls.count(), 1u);
    EXPECT_EQ(m.excludeUrls[0], "http://site.com/docs/private");
    EXPECT_EQ(m.includeUrls[0], "http://site.com/a?x=\\y");
}

TEST(MissionFilter, WithinLevels) {
    Job j;
    j.m.levelsInternal = 2;
    j.m.levelsExternal = 1;
    EXPECT_TRUE(j.f.withinLevels(0));
    EXPECT_TRUE(j.f.withinLevels(2));
    EXPECT_FALSE(j.f.withinLevels(3));
    EXPECT_TRUE(j.f.withinLevels(50));
    EXPECT_TRUE(j.f.withinLevels(51));
    EXPECT_FALSE(j.f.withinLevels(52));
    j.m.levelsExternal = 0;
    EXPECT_TRUE(j.f.withinLevels(50));
    EXPECT_FALSE(j.f.withinLevels(51));
    j.m.levelsExternal = -1;  // no external level at all
    EXPECT_FALSE(j.f.withinLevels(50));
}

TEST(MissionFilter, FollowDecision) {
    Job j;
    j.m.levelsInternal = 1;
    j.m.onlyInDirectory = true;
    j.m.allowOutPicture = false;
    const char* page = "http://site.com/docs/b.html";
    const char* outside = "http://site.com/img/back.gif";
    // Embedded links ignore levels and folders: a background image of a
    // page at the last internal level is fetched.
    EXPECT_TRUE(j.f.follow(true, FlagEmbedded | FlagPicture, outside, 2));
    EXPECT_FALSE(j.f.follow(true, FlagPicture, outside, 1));  // an ordinary picture outside the folder
    EXPECT_TRUE(j.f.follow(true, 0, page, 1));
    EXPECT_FALSE(j.f.follow(true, 0, page, 2));
    // A picture from another site, with AllowOutPicture off.
    EXPECT_FALSE(j.f.follow(false, FlagPicture | FlagEmbedded, "http://cdn.net/p.jpg", 1));
    EXPECT_TRUE(j.f.follow(true, FlagPicture | FlagEmbedded, "http://cdn.net/p.jpg", 1));
    j.m.allowOutPicture = true;
    EXPECT_TRUE(j.f.follow(false, FlagPicture | FlagEmbedded, "http://cdn.net/p.jpg", 1));
    j.m.allowPicture = false;
    EXPECT_FALSE(j.f.follow(true, FlagPicture | FlagEmbedded, "http://site.com/docs/p.php", 1));
    // The type counts for embedded links too.
    EXPECT_FALSE(j.f.follow(true, FlagEmbedded, "http://site.com/docs/a.JPG", 1));
    EXPECT_FALSE(j.f.follow(true, 0, "http://site.com/docs/get.cgi?f=x.zip", 0));
    j.m.allowDownload = true;
    EXPECT_TRUE(j.f.follow(true, 0, "http://site.com/docs/get.cgi?f=x.zip", 0));
}

TEST(MissionFilter, NodeDecisionThroughTheGraphsInterface) {
    Job j;
    const FollowPolicy& policy = j.f;
    j.m.allowOutPicture = false;
    EXPECT_TRUE(policy.nodeDecision(0, "http://site.com/docs/a.html", 1));
    EXPECT_FALSE(policy.nodeDecision(FlagExcluded, "http://site.com/docs/a.html", 1));
    EXPECT_FALSE(policy.nodeDecision(FlagSkipped, "http://site.com/docs/a.html", 1));
    // Same-site is a start host only: a picture of another host is refused
    // although the page that showed it may have been on that host.
    EXPECT_FALSE(policy.nodeDecision(FlagPicture | FlagEmbedded, "http://cdn.net/p.gif", 1));
    EXPECT_TRUE(policy.nodeDecision(FlagPicture | FlagEmbedded, "http://site.com/p.gif", 1));
    // Forced by the user: whatever the filters and levels say, unless excluded too.
    EXPECT_TRUE(policy.nodeDecision(FlagPicture | FlagEmbedded | FlagForced, "http://cdn.net/p.gif", 1));
    EXPECT_TRUE(policy.nodeDecision(FlagForced, "http://site.com/docs/a.html", 40));
    EXPECT_FALSE(policy.nodeDecision(FlagForced | FlagExcluded, "http://site.com/docs/a.html", 1));
}
