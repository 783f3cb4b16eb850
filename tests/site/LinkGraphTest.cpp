#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/File.h"
#include "platform/Text.h"
#include "site/GraphSupport.h"
#include "site/LinkGraph.h"
#include "site/NodeUrl.h"

namespace {

struct Link {
    Link(const char* url, uint32_t flags = 0, const char* refText = "") : url(url), flags(flags), refText(refText) {}
    std::string url;
    uint32_t flags;
    std::string refText;
};

class GraphTest : public ::testing::Test {
protected:
    TestPolicy policy;
    LinkGraph g{policy};

    ToBeOpenTN* start(const char* u) {
        g.beginStartUrls();
        return g.addStartUrl(u, true);
    }
    // The page was fetched again: fresh link records, then processing.
    void fetched(ToBeOpenTN* page, const std::vector<Link>& links) {
        ExtractList fresh;
        for (const Link& k : links) {
            auto* l = new ExtractNode;
            l->linkText = k.url.c_str();
            l->flags = k.flags;
            l->refText = k.refText.c_str();
            fresh.append(l);
        }
        g.replaceLinks(*page, fresh);
        std::vector<ResolvedLink> r;
        for (ExtractNode* l : each<ExtractNode>(page->links)) r.push_back({l, l->linkText});
        g.processLinks(*page, r);
    }
    ToBeOpenTN* node(const char* u) { return g.find(u); }
};

}  // namespace

TEST_F(GraphTest, HostCaseMeetsOneNodeFolderAndFileCaseDoNot) {
    bool created = false;
    ToBeOpenTN* a = g.findOrCreate("http://Example.COM/Dir/File.html", 1, false, &created);
    EXPECT_TRUE(created);
    EXPECT_EQ(g.findOrCreate("http://example.com/Dir/File.html", 1, false, &created), a);
    EXPECT_FALSE(created);
    EXPECT_NE(g.findOrCreate("http://example.com/dir/File.html", 1, false), a);
    EXPECT_NE(g.findOrCreate("http://example.com/Dir/file.html", 1, false), a);
    EXPECT_EQ(g.root().count(), 1u);
    EXPECT_EQ(g.root().firstChild()->count(), 2u);
}

TEST_F(GraphTest, FolderWithAndWithoutSlashIsOneNodeAndTheSlashGivesTheTail) {
    ToBeOpenTN* plain = g.findOrCreate("http://h/a", 3, false);
    EXPECT_EQ(plain->tail, "");
    ToBeOpenTN* folder = g.findOrCreate("http://h/a/", 2, false);
    EXPECT_EQ(folder, plain);
    EXPECT_EQ(folder->tail, "/");
    EXPECT_EQ(folder->level, 2);  // the smaller level
    EXPECT_EQ(g.findOrCreate("http://h/a/", 5, false)->level, 2);
    EXPECT_EQ(g.urlOf(*folder), "http://h/a/");
    EXPECT_EQ(g.find("http://h/a"), folder);
}

TEST_F(GraphTest, QueryWithSlashesIsOneLeaf) {
    ToBeOpenTN* n = g.findOrCreate("http://h/cgi/find?path=/x/y", 1, false);
    EXPECT_EQ(n->name, "find?path=/x/y");
    EXPECT_TRUE(n->empty());
    EXPECT_EQ(n->parentNode()->name, "cgi");
    EXPECT_EQ(g.urlOf(*n), "http://h/cgi/find?path=/x/y");
}

// The lookup walks the parts without copying them; it must reach the node
// that creation made, also where the query is joined to a part it does not
// follow ("a/?q") and where separators run together.
TEST_F(GraphTest, LookupFindsWhatCreationMadeForTrickyUrls) {
    const char* urls[] = {"http://h/a/?q=/x", "http://h/a//b\\\\c", "http://h/d/#frag/x", "http://h",
                          "http://h?top", "mailto:x@y", "http://h/e/f/", "http://h/g?"};
    for (const char* u : urls) {
        ToBeOpenTN* made = g.findOrCreate(u, 1, false);
        ASSERT_NE(made, nullptr) << u;
        EXPECT_EQ(g.find(u), made) << u;
    }
    EXPECT_EQ(g.find("http://h/a?q=/x")->name, "a?q=/x");
    EXPECT_EQ(g.find("HTTP://H/a/b/c"), g.find("http://h/a/b/c"));
    EXPECT_EQ(g.find("http://h/e/f"), g.find("http://h/e/f/"));
    EXPECT_EQ(g.find("http://h/A/b/c"), nullptr);
    EXPECT_EQ(g.find("/x"), nullptr);
    EXPECT_EQ(g.find(""), nullptr);

    // Every node, folders and the host included, knows its URL without
    // building it, and no other: not with a byte more, less or changed.
    std::vector<ToBeOpenTN*> stack{&g.root()};
    size_t nodes = 0;
    while (!stack.empty()) {
        ToBeOpenTN* n = stack.back();
        stack.pop_back();
        for (ToBeOpenTN* c = n->firstChild(); c; c = c->nextSibling()) stack.push_back(c);
        if (n->isRoot()) continue;
        ++nodes;
        std::string u = nodeUrl(n).c_str();
        EXPECT_TRUE(nodeUrlIs(n, u)) << u;
        EXPECT_FALSE(nodeUrlIs(n, u + "/")) << u;
        EXPECT_FALSE(nodeUrlIs(n, "x" + u)) << u;
        EXPECT_FALSE(nodeUrlIs(n, u.substr(1))) << u;
        EXPECT_FALSE(nodeUrlIs(n, u.substr(0, u.size() - 1))) << u;
        u[u.size() / 2] ^= 0x20;
        EXPECT_FALSE(nodeUrlIs(n, u)) << u;
    }
    EXPECT_GT(nodes, 10u);
    EXPECT_FALSE(nodeUrlIs(&g.root(), ""));
}

TEST_F(GraphTest, FoldersOnTheWayGetLevel100AndTakeALevelLater) {
    ToBeOpenTN* leaf = g.findOrCreate("http://h/a/b/c.html", 2, false);
    ToBeOpenTN* b = leaf->parentNode();
    EXPECT_EQ(b->level, ToBeOpenTN::kFolderLevel);
    EXPECT_EQ(b->parentNode()->level, ToBeOpenTN::kFolderLevel);
    EXPECT_EQ(g.findOrCreate("http://h/a/b", 4, false)->level, 4);  // had 100
    EXPECT_EQ(g.findOrCreate("http://h/a/b", 1, false)->level, 4);  // keeps its level
    EXPECT_EQ(g.findOrCreate("http://h/a/b/c.html", 0, false)->level, 2);
}

TEST_F(GraphTest, StartUrlGetsLevelZeroARootRecordAndTheQueue) {
    ToBeOpenTN* s = start("http://h/index.html");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->level, 0);
    EXPECT_EQ(s->state, StateQueued);
    EXPECT_TRUE(s->onStartHost);
    ASSERT_EQ(g.root().links.count(), 1u);
    EXPECT_EQ(g.root().links.firstLink()->target, s);
    EXPECT_TRUE(s->referrers.contains(&g.root()));
    EXPECT_EQ(policy.startHosts.size(), 1u);
    EXPECT_EQ(g.counters.queuedFiles, 1u);
    // Entering it again adds no second record.
    g.setState(*s, StateDone);
    g.addStartUrl("http://h/index.html", false);
    EXPECT_EQ(g.root().links.count(), 1u);
    EXPECT_EQ(s->state, StateDone);  // not starting, not created: stays done
    g.addStartUrl("http://h/index.html", true);
    EXPECT_EQ(s->state, StateQueued);
    // A typed address without a scheme is made a full URL.
    ToBeOpenTN* typed = g.addStartUrl("other.example/x.html", false);
    EXPECT_EQ(typed, g.find("http://other.example/x.html"));
}

TEST_F(GraphTest, InternalLevelOneQueuesTheStartPagesLinksButNotTheirLinks) {
    policy.internalLevels = 1;
    ToBeOpenTN* s = start("http://h/index.html");
    g.setState(*s, StateLoading);
    fetched(s, {{"http://h/a.html"}, {"http://h/pic.gif", FlagPicture | FlagEmbedded}});
    ToBeOpenTN* a = node("http://h/a.html");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->level, 1);
    EXPECT_EQ(a->state, StateQueued);
    EXPECT_EQ(node("http://h/pic.gif")->level, 0);  // embedded adds no level

    g.setState(*a, StateLoading);
    fetched(a, {{"http://h/b.html"}, {"http://h/p2.jpg", FlagPicture | FlagEmbedded}});
    EXPECT_EQ(node("http://h/b.html")->level, 2);
    EXPECT_EQ(node("http://h/b.html")->state, StateNew);
    ToBeOpenTN* pic = node("http://h/p2.jpg");
    EXPECT_EQ(pic->level, 1);
    EXPECT_EQ(pic->state, StateQueued);
    EXPECT_EQ(g.counters.queuedPictures, 2u);
}

TEST_F(GraphTest, ExternalLevelsZeroGiveLevel51AndNoQueue) {
    policy.externalLevels = 0;
    ToBeOpenTN* s = start("http://h/index.html");
    fetched(s, {{"http://elsewhere/x.html"}});
    ToBeOpenTN* x = node("http://elsewhere/x.html");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->level, 51);
    EXPECT_EQ(x->state, StateNew);
    EXPECT_FALSE(x->onStartHost);
    policy.externalLevels = 1;
    fetched(s, {{"http://elsewhere/y.html"}});
    EXPECT_EQ(node("http://elsewhere/y.html")->state, StateQueued);
}

TEST_F(GraphTest, PrioritiesFollowLevelKindPreferenceAndHtmlFirst) {
    policy.internalLevels = 3;
    ToBeOpenTN* s = start("http://h/index.html");
    EXPECT_EQ(s->priority, 103);  // 100 + 4 - 0 - 1 for a page
    fetched(s, {{"http://h/a.html"}, {"http://h/doc.zip"}, {"http://h/p.gif", FlagPicture | FlagEmbedded},
                {"http://h/dir/"}});
    EXPECT_EQ(node("http://h/a.html")->priority, 99);   // level 1 page
    EXPECT_EQ(node("http://h/doc.zip")->priority, 98);  // level 1, other file
    EXPECT_EQ(node("http://h/p.gif")->priority, 104);   // level 0, embedded
    EXPECT_EQ(node("http://h/dir")->priority, 99);      // no extension: a page
    EXPECT_EQ(g.root().subtreePriority, 104);

    ToBeOpenTN* a = node("http://h/a.html");
    a->flags |= FlagPreferred;
    g.setState(*a, StateNew);
    g.setState(*a, StateQueued);
    EXPECT_EQ(a->priority, 199);
    // An embedded node of a preferred page is preferred too.
    fetched(a, {{"http://h/q.gif", FlagPicture | FlagEmbedded}});
    EXPECT_EQ(node("http://h/q.gif")->priority, 200);

    g.htmlFirst = true;
    g.setState(*a, StateNew);
    g.setState(*a, StateQueued);
    EXPECT_EQ(a->priority, 199 * 256);
    EXPECT_EQ(g.bestQueued(), a);
    ToBeOpenTN* zip = node("http://h/doc.zip");
    g.setState(*zip, StateNew);
    g.setState(*zip, StateQueued);
    EXPECT_EQ(zip->priority, 98);  // not a page: not raised
}

TEST_F(GraphTest, DeepExternalLevelsNeverWrapToTheTopOrToZero) {
    policy.externalLevels = 60;
    ToBeOpenTN* n = g.findOrCreate("http://far/x.gif", 75, false);
    n->flags |= FlagEmbedded | FlagPicture;
    g.setState(*n, StateQueued);
    // 100 - 4 * 25 - 0 is 0: such a node would never be picked.
    EXPECT_EQ(n->priority, 1);
    ToBeOpenTN* p = g.findOrCreate("http://far/y.html", 80, false);
    g.setState(*p, StateQueued);
    EXPECT_EQ(p->priority, 1);
    EXPECT_EQ(LinkGraph::linkLevel(99, false, 0, false), LinkGraph::kMaxLinkLevel);
}

TEST_F(GraphTest, BestQueuedNodeAfterNodesLeaveAndReenterTheQueue) {
    policy.internalLevels = 5;
    std::vector<ToBeOpenTN*> nodes;
    const char* urls[] = {"http://h/b/2.html", "http://h/a/1.html", "http://h/c.html", "http://g/x.html"};
    for (const char* u : urls) {
        ToBeOpenTN* n = g.findOrCreate(u, 1, false);
        g.setState(*n, StateQueued);
        nodes.push_back(n);
    }
    ToBeOpenTN* deep = g.findOrCreate("http://h/d.html", 3, false);
    g.setState(*deep, StateQueued);
    // Equal priorities: the first in name order ("http://g" < "http://h",
    // then "a" < "b" < "c").
    EXPECT_EQ(g.bestQueued(), nodes[3]);
    g.setState(*nodes[3], StateLoading);
    EXPECT_EQ(g.bestQueued(), nodes[1]);
    g.setState(*nodes[1], StateLoading);
    g.setState(*nodes[0], StateDone);
    EXPECT_EQ(g.bestQueued(), nodes[2]);
    g.setState(*nodes[1], StateQueued);  // back in the queue
    EXPECT_EQ(g.bestQueued(), nodes[1]);
    for (ToBeOpenTN* n : {nodes[1], nodes[2]}) g.setState(*n, StateDone);
    EXPECT_EQ(g.bestQueued(), deep);
    g.setState(*deep, StateFailed);
    EXPECT_EQ(g.bestQueued(), nullptr);
    EXPECT_EQ(g.root().subtreePriority, 0);
    EXPECT_EQ(g.counters.queuedFiles, 0u);
}

TEST_F(GraphTest, CountersFollowTheKindOfNode) {
    auto queue = [&](const char* u, uint32_t flags) {
        ToBeOpenTN* n = g.findOrCreate(u, 0, false);
        n->flags |= flags;
        g.setState(*n, StateQueued);
        return n;
    };
    queue("http://h/a.html", 0);
    queue("http://h/p.gif", FlagPicture);
    queue("http://h/s.css", FlagEmbedded);
    queue("http://h/skip.html", FlagSkipped);
    ToBeOpenTN* es = queue("http://h/e.js", FlagEmbedded | FlagSkipped);
    EXPECT_EQ(g.counters.queuedFiles, 3u);
    EXPECT_EQ(g.counters.queuedPictures, 1u);
    g.setState(*es, StateLoading);
    EXPECT_EQ(g.counters.queuedFiles, 2u);
}

TEST_F(GraphTest, LevelLoweringRunsThroughTheChainAndQueuesWhatComesWithin) {
    policy.internalLevels = 3;
    ToBeOpenTN* s = start("http://h/s.html");
    fetched(s, {{"http://h/a.html"}});
    ToBeOpenTN* a = node("http://h/a.html");
    fetched(a, {{"http://h/b.html"}});
    ToBeOpenTN* b = node("http://h/b.html");
    fetched(b, {{"http://h/c.html"}});
    ToBeOpenTN* c = node("http://h/c.html");
    fetched(c, {{"http://h/d.html"}, {"http://h/b.html"}});  // a cycle back to b
    ToBeOpenTN* d = node("http://h/d.html");
    ASSERT_EQ(d->level, 4);
    EXPECT_EQ(d->state, StateNew);

    // The start page now links b directly.
    fetched(s, {{"http://h/a.html"}, {"http://h/b.html"}});
    EXPECT_EQ(b->level, 1);
    EXPECT_EQ(c->level, 2);
    EXPECT_EQ(d->level, 3);
    EXPECT_EQ(d->state, StateQueued);
    EXPECT_EQ(a->level, 1);
    EXPECT_EQ(c->priority, 95);  // re-queued with its new level
}

TEST_F(GraphTest, ReprocessingDropsOldRecordsAndMakesOrphanCandidates) {
    ToBeOpenTN* s = start("http://h/s.html");
    fetched(s, {{"http://h/a.html"}, {"http://h/b.html"}, {"http://other/"}});
    ToBeOpenTN* a = node("http://h/a.html");
    EXPECT_TRUE(a->referrers.contains(s));
    fetched(s, {{"http://h/b.html"}});
    EXPECT_EQ(s->links.count(), 1u);
    EXPECT_TRUE(a->referrers.empty());
    ASSERT_EQ(g.orphanCandidates().size(), 1u);  // not the host node of "other"
    EXPECT_EQ(g.orphanCandidates()[0], a);
    EXPECT_EQ(node("http://h/b.html")->referrers.count(), 1u);

    // A link that reaches it again takes it off the list.
    ToBeOpenTN* b = node("http://h/b.html");
    fetched(b, {{"http://h/a.html"}});
    EXPECT_TRUE(g.orphanCandidates().empty());
    EXPECT_TRUE(a->referrers.contains(b));
}

TEST_F(GraphTest, RepeatedLinksOfAPageShareTheTargetAndTheText) {
    ToBeOpenTN* s = start("http://h/s.html");
    fetched(s, {{"http://h/a/", 0, "first"}, {"http://h/a"}, {"http://h/a/", 0, "own"}});
    auto* l1 = s->links.firstLink();
    auto* l2 = static_cast<ExtractNode*>(l1->next());
    auto* l3 = static_cast<ExtractNode*>(l2->next());
    ASSERT_NE(l1->target, nullptr);
    EXPECT_EQ(l2->target, l1->target);
    EXPECT_EQ(l3->target, l1->target);
    EXPECT_EQ(l2->refText, "first");
    EXPECT_EQ(l3->refText, "own");
    EXPECT_EQ(l1->target->referrers.count(), 1u);
}

TEST_F(GraphTest, LongListsReportProgressEveryTenLinks) {
    std::vector<size_t> calls;
    g.progress = [&](size_t done, size_t total) {
        EXPECT_EQ(total, 25u);
        calls.push_back(done);
    };
    ToBeOpenTN* s = start("http://h/s.html");
    std::vector<Link> links;
    std::vector<std::string> urls;
    for (int i = 0; i < 25; ++i) urls.push_back("http://h/" + std::to_string(i) + ".html");
    for (const std::string& u : urls) links.emplace_back(u.c_str());
    fetched(s, links);
    EXPECT_EQ(calls, (std::vector<size_t>{10, 20}));
    EXPECT_EQ(g.counters.queuedFiles, 26u);
}

TEST_F(GraphTest, NewNodesInheritTheNearestBranchMark) {
    policy.internalLevels = 5;
    ToBeOpenTN* s = start("http://h/s.html");
    ToBeOpenTN* skip = g.findOrCreate("http://h/skip/", 1, false);
    skip->flags |= FlagBranchMark | FlagSkipped;
    ToBeOpenTN* pref = g.findOrCreate("http://h/skip/pref/", 1, false);
    pref->flags |= FlagBranchMark | FlagPreferred;
    fetched(s, {{"http://h/skip/x.html"}, {"http://h/skip/y.gif", FlagPicture}, {"http://h/skip/pref/z.html"}});
    EXPECT_TRUE(node("http://h/skip/x.html")->flags & FlagSkipped);
    EXPECT_FALSE(node("http://h/skip/y.gif")->flags & FlagSkipped);
    ToBeOpenTN* z = node("http://h/skip/pref/z.html");
    EXPECT_TRUE(z->flags & FlagPreferred);
    EXPECT_FALSE(z->flags & FlagSkipped);
    EXPECT_EQ(node("http://h/skip/x.html")->priority, 0);  // the node decision fails
}

TEST_F(GraphTest, UnfollowedNewLinksGetAStubWhenSoSetAndForcedNodesAreFollowed) {
    std::vector<std::string> stubbed;
    g.stubs = true;
    g.makeStub = [&](ToBeOpenTN& n) { stubbed.emplace_back(g.urlOf(n).view()); };
    policy.excluded = {"http://h/private/"};
    ToBeOpenTN* s = start("http://h/s.html");
    ToBeOpenTN* forced = g.findOrCreate("http://h/private/forced.html", 1, false);
    forced->flags |= FlagForced;
    fetched(s, {{"http://h/private/a.html"}, {"http://h/private/b.gif", FlagPicture}, {"http://h/private/forced.html"}});
    EXPECT_EQ(stubbed, std::vector<std::string>{"http://h/private/a.html"});
    EXPECT_EQ(node("http://h/private/a.html")->state, StateNew);
    EXPECT_EQ(forced->state, StateQueued);
}

TEST_F(GraphTest, LinksOfAPictureQueueNothing) {
    ToBeOpenTN* s = start("http://h/s.html");
    s->flags |= FlagPicture;
    fetched(s, {{"http://h/a.html"}});
    EXPECT_EQ(node("http://h/a.html")->state, StateNew);
}

TEST_F(GraphTest, EmptyingKeepsTheRootAndResetsIt) {
    ToBeOpenTN* s = start("http://h/s.html");
    fetched(s, {{"http://h/a.html"}});
    fetched(s, {});
    ASSERT_FALSE(g.orphanCandidates().empty());
    g.clear();
    EXPECT_TRUE(g.root().empty());
    EXPECT_TRUE(g.root().links.empty());
    EXPECT_EQ(g.root().subtreePriority, 0);
    EXPECT_EQ(g.root().level, ToBeOpenTN::kFolderLevel);
    EXPECT_EQ(g.counters.queuedFiles, 0u);
    EXPECT_TRUE(g.orphanCandidates().empty());
    EXPECT_EQ(g.bestQueued(), nullptr);
}

TEST_F(GraphTest, PathsOfTheCopiesStayInsideTheOutputFolder) {
    g.outputFolder = "/out/site";
    EXPECT_EQ(g.absolutePath("h/a.html"), AStr("/out/site") + platform::kPathSep + "h/a.html");
    EXPECT_EQ(g.relativePath("/out/site/h/a.html"), "h/a.html");
    EXPECT_EQ(g.relativePath("/OUT/site\\h\\a.html"), "h\\a.html");
    EXPECT_EQ(g.relativePath("/out/sitex/a.html"), "");
    EXPECT_EQ(g.relativePath("/elsewhere/a.html"), "");
}

// A large folder keeps an index; its order and lookups must be exactly
// those of the plain sorted walk.
TEST_F(GraphTest, LargeFolderOrdersAndFindsLikeTheSortedWalk) {
    std::mt19937 rng(7);
    std::vector<std::string> names;
    const char* pieces[] = {"a", "B", "co-op", "coop", "\xe1", "A", "_", "1", "10", "9", "-x", "x"};
    for (int i = 0; i < 3000; ++i) {
        std::string n;
        for (int k = 0; k < 3; ++k) n += pieces[rng() % 12];
        names.push_back(n + std::to_string(rng() % 50));
    }
    std::vector<ToBeOpenTN*> made;
    for (const std::string& n : names) made.push_back(g.findOrCreate("http://h/big/" + n, 1, false));
    ToBeOpenTN* big = g.find("http://h/big/");
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return platform::CompareAnsi(a, b, false) < 0;
    });
    ASSERT_EQ(big->count(), names.size());
    size_t i = 0;
    for (ToBeOpenTN* c = big->firstChild(); c; c = c->nextSibling(), ++i) EXPECT_EQ(c->name, names[i].c_str());
    for (size_t k = 0; k < names.size(); ++k) EXPECT_EQ(g.find("http://h/big/" + names[k])->name, names[k].c_str());
    EXPECT_EQ(g.find("http://h/big/not-there"), nullptr);

    // The best queued node in the big folder: the first by name of the
    // highest priority, while nodes leave the queue one by one.
    for (ToBeOpenTN* n : made) if (n->state != StateQueued) g.setState(*n, StateQueued);
    for (size_t k = 0; k < names.size(); ++k) {
        ToBeOpenTN* best = g.bestQueued();
        ASSERT_NE(best, nullptr);
        ASSERT_EQ(best->name, names[k].c_str());
        g.setState(*best, StateDone);
    }
    EXPECT_EQ(g.bestQueued(), nullptr);
}

TEST_F(GraphTest, DeletedChildrenLeaveTheIndexAndTheLookupHint) {
    std::vector<ToBeOpenTN*> made;
    for (int i = 0; i < 300; ++i) {
        ToBeOpenTN* n = g.findOrCreate("http://h/d/n" + std::to_string(i), 1, false);
        g.setState(*n, StateQueued);
        made.push_back(n);
    }
    ToBeOpenTN* folder = g.find("http://h/d/");
    for (int i = 0; i < 300; i += 3) {
        ASSERT_EQ(g.find("http://h/d/n" + std::to_string(i)), made[i]);  // now the lookup hint
        g.setState(*made[i], StateDone);
        delete made[i];
    }
    EXPECT_EQ(folder->count(), 200u);
    for (int i = 0; i < 300; ++i) {
        ToBeOpenTN* n = g.find("http://h/d/n" + std::to_string(i));
        EXPECT_EQ(n, i % 3 ? made[i] : nullptr) << i;
    }
    EXPECT_NE(g.findOrCreate("http://h/d/n0", 1, false), nullptr);
    EXPECT_EQ(folder->count(), 201u);
    size_t drained = 0;
    while (ToBeOpenTN* b = g.bestQueued()) {
        g.setState(*b, StateDone);
        ++drained;
    }
    EXPECT_EQ(drained, 200u);
}

// Large folders below the host level find children by their exact bytes:
// names the locale-aware order sets side by side (case, accents, a soft
// hyphen, sharp s and "ss") are still different nodes, and the host level
// still ignores case however many hosts there are.
TEST_F(GraphTest, LargeFoldersTellApartNamesThatDifferOnlyInCaseOrAccents) {
    const char* tricky[] = {"cafe", "Cafe", "CAFE", "caf\xe9", "caf\xc9", "Caf\xe9", "stra\xdf" "e", "strasse",
                            "co\xadop", "coop", "co-op", "co'op", "\xe1", "\xc1", "a", "A", "x.htm?q=/A", "x.htm?q=/a"};
    std::map<std::string, ToBeOpenTN*> made;
    for (int i = 0; i < 60; ++i) made["p" + std::to_string(i)] = nullptr;
    for (const char* t : tricky) made[t] = nullptr;
    for (auto& [name, n] : made) {
        n = g.findOrCreate("http://h/big/" + name, 1, false);
        ASSERT_NE(n, nullptr) << name;
    }
    std::set<ToBeOpenTN*> distinct;
    for (auto& [name, n] : made) distinct.insert(n);
    EXPECT_EQ(distinct.size(), made.size());
    for (auto& [name, n] : made) EXPECT_EQ(g.find("http://h/big/" + name), n) << name;
    EXPECT_EQ(g.find("http://h/big/cAfe"), nullptr);
    EXPECT_EQ(g.find("http://h/big/caf\xe8"), nullptr);
    EXPECT_EQ(g.find("http://h/big/coop "), nullptr);

    // Nodes leave and come back in random order; every lookup on the way
    // agrees with a map of the exact names.
    std::mt19937 rng(11);
    std::vector<std::string> names;
    for (auto& [name, n] : made) names.push_back(name);
    for (int round = 0; round < 400; ++round) {
        const std::string& name = names[rng() % names.size()];
        if (made[name]) {
            delete made[name];
            made[name] = nullptr;
        } else {
            made[name] = g.findOrCreate("http://h/big/" + name, 1, false);
        }
        const std::string& probe = names[rng() % names.size()];
        ASSERT_EQ(g.find("http://h/big/" + probe), made[probe]) << probe << " after round " << round;
    }
    for (auto& [name, n] : made) EXPECT_EQ(g.find("http://h/big/" + name), n) << name;

    std::vector<ToBeOpenTN*> hosts;
    for (int i = 0; i < 60; ++i) hosts.push_back(g.findOrCreate("http://Host" + std::to_string(i) + ".example/", 1, false));
    for (int i = 0; i < 60; ++i) EXPECT_EQ(g.find("HTTP://HOST" + std::to_string(i) + ".EXAMPLE/"), hosts[i]) << i;
}

// A damaged tree file may hold two children of one name: the lookup finds
// the first in list order, and the second once the first is gone.
TEST_F(GraphTest, LargeFolderWithARepeatedNameFindsTheFirstOfThem) {
    for (int i = 0; i < 80; ++i) g.findOrCreate("http://h/d/n" + std::to_string(i), 1, false);
    ToBeOpenTN* folder = g.find("http://h/d/");
    ToBeOpenTN* first = g.find("http://h/d/n40");
    auto* second = new ToBeOpenTN("n40", 1);
    auto* third = new ToBeOpenTN("n40", 1);
    folder->insertChild(second);
    folder->insertChild(third);
    ASSERT_EQ(first->nextSibling(), second);
    ASSERT_EQ(second->nextSibling(), third);
    EXPECT_EQ(g.find("http://h/d/n40"), first);
    delete second;
    EXPECT_EQ(g.find("http://h/d/n40"), first);
    delete first;
    EXPECT_EQ(g.find("http://h/d/n40"), third);
    delete third;
    EXPECT_EQ(g.find("http://h/d/n40"), nullptr);
    EXPECT_NE(g.find("http://h/d/n41"), nullptr);
}

// A node's referrers: in the order met, each removal taking the page's
// last entry, from the one kept in place to many and back to none.
TEST(RefFromList, KeepsOrderThroughGrowthAndRemoval) {
    ToBeOpenTN a("a"), b("b"), c("c");
    RefFromList refs;
    EXPECT_EQ(nullptr, refs.first());
    EXPECT_FALSE(refs.removeRef(&a));
    refs.append(&a);
    EXPECT_TRUE(refs.endsWith(&a));
    EXPECT_TRUE(refs.removeRef(&a));
    EXPECT_TRUE(refs.empty());
    // Past the first entry and past each capacity.
    std::vector<ToBeOpenTN*> expected;
    for (int i = 0; i < 20; ++i) {
        ToBeOpenTN* p = i % 3 == 0 ? &a : i % 3 == 1 ? &b : &c;
        refs.append(p);
        expected.push_back(p);
    }
    EXPECT_EQ(std::vector<ToBeOpenTN*>(refs.begin(), refs.end()), expected);
    EXPECT_TRUE(refs.removeRef(&b));  // the last b, at 19
    expected.erase(expected.begin() + 19);
    EXPECT_TRUE(refs.removeRef(&a));  // the last a, at 18
    expected.erase(expected.begin() + 18);
    EXPECT_EQ(std::vector<ToBeOpenTN*>(refs.begin(), refs.end()), expected);
    EXPECT_TRUE(refs.endsWith(&c));
    while (refs.removeRef(&a) || refs.removeRef(&b)) {
    }
    EXPECT_EQ(6u, refs.count());
    EXPECT_EQ(&c, refs.first());
    EXPECT_FALSE(refs.contains(&a));
    while (refs.removeRef(&c)) {
    }
    EXPECT_TRUE(refs.empty());
    refs.append(&b);  // usable again after the array went
    EXPECT_EQ(&b, refs.first());
}

TEST_F(GraphTest, AQueuedNodeReachedByAShorterChainTakesThePriorityOfItsNewLevel) {
    policy.internalLevels = 5;
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}});
    ToBeOpenTN* a = node("http://h/a.html");
    fetched(a, {{"http://h/b.html"}});
    fetched(node("http://h/b.html"), {{"http://h/p.gif", FlagPicture}});
    ToBeOpenTN* p = node("http://h/p.gif");
    ASSERT_EQ(p->level, 3);
    ASSERT_EQ(p->state, StateQueued);
    fetched(top, {{"http://h/a.html"}, {"http://h/p.gif", FlagPicture}});
    EXPECT_EQ(p->level, 1);
    EXPECT_EQ(p->priority, g.queuePriority(*p));
}
