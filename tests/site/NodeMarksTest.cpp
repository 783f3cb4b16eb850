#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "site/GraphSupport.h"
#include "site/LinkGraph.h"
#include "site/NodeMarks.h"
#include "site/NodeUrl.h"

namespace {

struct Link {
    Link(std::string url, uint32_t flags = 0) : url(std::move(url)), flags(flags) {}
    std::string url;
    uint32_t flags;
};

class MarksTest : public ::testing::Test {
protected:
    TestPolicy policy;
    LinkGraph g{policy};
    NodeMarks marks{g};
    std::vector<ToBeOpenTN*> stopped;

    void SetUp() override {
        marks.stopDownload = [this](ToBeOpenTN& n) { stopped.push_back(&n); };
    }
    ToBeOpenTN* start(const char* u) {
        g.beginStartUrls();
        return g.addStartUrl(u, true);
    }
    // The page was fetched: it is done and its links are processed.
    void fetched(ToBeOpenTN* page, const std::vector<Link>& links) {
        g.setState(*page, StateDone);
        page->flags |= FlagReceived;
        ExtractList fresh;
        for (const Link& k : links) {
            auto* l = new ExtractNode;
            l->linkText = k.url.c_str();
            l->flags = k.flags;
            fresh.append(l);
        }
        g.replaceLinks(*page, fresh);
        std::vector<ResolvedLink> r;
        for (ExtractNode* l : each<ExtractNode>(page->links)) r.push_back({l, l->linkText});
        g.processLinks(*page, r);
    }
    ToBeOpenTN* node(const std::string& u) { return g.find(u); }
    uint32_t queued() const { return g.counters.queuedFiles + g.counters.queuedPictures; }
    // The queue in the order the scheduler would take it.
    std::vector<ToBeOpenTN*> queueOrder() {
        std::vector<ToBeOpenTN*> order;
        std::vector<std::pair<ToBeOpenTN*, uint16_t>> taken;
        while (ToBeOpenTN* n = g.bestQueued()) {
            order.push_back(n);
            taken.emplace_back(n, n->priority);
            g.setState(*n, StateLoading);
        }
        for (auto& [n, p] : taken) g.setState(*n, StateQueued);
        return order;
    }
};

}  // namespace

TEST_F(MarksTest, SkipThenIncludeOfAQueuedNodeRestoresItsPlaceAndTheCounters) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}, {"http://h/b.html"}, {"http://h/c.gif", FlagPicture}});
    ToBeOpenTN* b = node("http://h/b.html");
    const auto order = queueOrder();
    const JobCounters before = g.counters;
    const uint16_t priority = b->priority;
    ASSERT_EQ(b->state, StateQueued);

    marks.skip(*b, true);
    EXPECT_TRUE(marks.changed);
    EXPECT_EQ(b->state, StateQueued);  // out of the queue, state kept
    EXPECT_EQ(b->priority, 0);
    EXPECT_EQ(g.counters.queuedFiles, before.queuedFiles - 1);
    EXPECT_EQ(g.counters.queuedPictures, before.queuedPictures);
    for (ToBeOpenTN* n : queueOrder()) EXPECT_NE(n, b);

    marks.unskip(*b);
    EXPECT_EQ(b->flags & (FlagSkipped | FlagBranchMark), 0u);
    EXPECT_EQ(b->priority, priority);
    EXPECT_EQ(g.counters.queuedFiles, before.queuedFiles);
    EXPECT_EQ(g.counters.queuedPictures, before.queuedPictures);
    EXPECT_EQ(queueOrder(), order);
}

TEST_F(MarksTest, AGraphIsMarkedChangedOnlyWhenAFlagChanges) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}});
    ToBeOpenTN* a = node("http://h/a.html");
    marks.unskip(*a);
    marks.unprefer(*a);
    marks.unforce(*a);
    marks.setFlatLinks(*a, false);
    marks.clearExclusion(*a);
    EXPECT_FALSE(marks.changed);
    marks.skip(*a, false);
    EXPECT_TRUE(marks.changed);
    marks.changed = false;
    marks.skip(*a, false);
    EXPECT_FALSE(marks.changed);
    // The root is never marked.
    marks.skipBranch(g.root(), true);
    marks.prefer(g.root(), true);
    EXPECT_EQ(g.root().flags, 0u);
}

TEST_F(MarksTest, ACollapsedHostSkippedMarksItsBranchAndPagesFoundLaterOnItAreSkipped) {
    policy.internalLevels = 5;
    ToBeOpenTN* top = start("http://h/index.html");
    fetched(top, {{"http://h/d/a.html"}, {"http://h/d/b.html"}, {"http://h/p.gif", FlagPicture}});
    ToBeOpenTN* host = node("http://h");
    ASSERT_TRUE(host);
    std::vector<ToBeOpenTN*> order;
    marks.refresh = [&order](ToBeOpenTN& n) { order.push_back(&n); };

    marks.skipItems({{host, true}}, MarkView::Files);
    ForEachNode(*host, [](ToBeOpenTN& n) { EXPECT_TRUE(n.flags & FlagSkipped) << n.name.c_str(); });
    EXPECT_TRUE(host->flags & FlagBranchMark);
    EXPECT_FALSE(node("http://h/d")->flags & FlagBranchMark);
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(g.bestQueued(), nullptr);
    // Children before their node.
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.back(), host);
    auto at = [&order](ToBeOpenTN* n) { return std::find(order.begin(), order.end(), n) - order.begin(); };
    EXPECT_LT(at(node("http://h/d/a.html")), at(node("http://h/d")));

    ToBeOpenTN* a = node("http://h/d/a.html");
    g.setState(*a, StateDone);
    fetched(a, {{"http://h/d/new.html"}, {"http://h/new.gif", FlagPicture}});
    ToBeOpenTN* fresh = node("http://h/d/new.html");
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->flags & FlagSkipped);
    // Never fetched, never counted: out of the queue like the branch.
    EXPECT_EQ(fresh->priority, 0);
    EXPECT_EQ(g.counters.queuedFiles, 0u);
    // A picture is not skipped by the branch.
    EXPECT_FALSE(node("http://h/new.gif")->flags & FlagSkipped);
}

TEST_F(MarksTest, AnExpandedItemStandsForItsNodeAndALeafKeepsTheMarkForLaterChildren) {
    policy.internalLevels = 5;
    ToBeOpenTN* top = start("http://h/index.html");
    fetched(top, {{"http://h/d/a.html"}, {"http://h/e"}});
    ToBeOpenTN* d = node("http://h/d");
    marks.skipBranch(*d, false);
    EXPECT_TRUE(d->flags & FlagSkipped);
    EXPECT_FALSE(d->flags & FlagBranchMark);  // it has children
    EXPECT_FALSE(node("http://h/d/a.html")->flags & FlagSkipped);

    ToBeOpenTN* e = node("http://h/e");
    marks.skipBranch(*e, false);
    EXPECT_TRUE(e->flags & FlagBranchMark);
    fetched(node("http://h/d/a.html"), {{"http://h/e/x.html"}});
    EXPECT_TRUE(node("http://h/e/x.html")->flags & FlagSkipped);

    // Included again: the branch mark now stops the host's skip.
    marks.skipItems({{node("http://h"), true}}, MarkView::Files);
    marks.includeItems({{e, true}}, MarkView::Files);
    EXPECT_TRUE(e->flags & FlagBranchMark);
    EXPECT_FALSE(e->flags & FlagSkipped);
    fetched(node("http://h/d/a.html"), {{"http://h/e/x.html"}, {"http://h/e/y.html"}});
    EXPECT_FALSE(node("http://h/e/y.html")->flags & FlagSkipped);
}

TEST_F(MarksTest, SkippingADownloadingNodeStopsItAndItKeepsItsState) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}});
    ToBeOpenTN* a = node("http://h/a.html");
    g.setState(*a, StateLoading);
    const uint32_t files = g.counters.queuedFiles;
    marks.skipItems({{a, false}}, MarkView::Links);
    EXPECT_EQ(stopped, std::vector<ToBeOpenTN*>{a});
    EXPECT_EQ(a->state, StateLoading);
    EXPECT_EQ(g.counters.queuedFiles, files);
    // Preferring it while it runs starts no second download.
    marks.prefer(*a, false);
    EXPECT_EQ(a->state, StateLoading);
}

TEST_F(MarksTest, IncludingANodeTheFiltersRejectForcesItIntoTheQueue) {
    policy.excluded = {"http://h/ads/"};
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/ads/x.html"}, {"http://h/a.html"}});
    fetched(node("http://h/a.html"), {{"http://h/deep.html"}});  // level 2, beyond the limit
    ToBeOpenTN* ads = node("http://h/ads/x.html");
    ToBeOpenTN* deep = node("http://h/deep.html");
    ASSERT_TRUE(ads && deep);
    EXPECT_EQ(ads->state, StateNew);
    EXPECT_EQ(deep->state, StateNew);

    EXPECT_EQ(marks.includeItems({{ads, false}, {deep, false}}, MarkView::Links), 2u);
    for (ToBeOpenTN* n : {ads, deep}) {
        EXPECT_TRUE(n->flags & FlagForced);
        EXPECT_EQ(n->state, StateQueued);
        EXPECT_GT(n->priority, 0);
    }
    // Skipped again: the force goes with it and the node leaves the queue.
    const uint32_t files = g.counters.queuedFiles;
    marks.skipItems({{deep, false}}, MarkView::Links);
    EXPECT_FALSE(deep->flags & FlagForced);
    EXPECT_TRUE(deep->flags & FlagSkipped);
    EXPECT_EQ(deep->priority, 0);
    EXPECT_EQ(g.counters.queuedFiles, files - 1);
}

TEST_F(MarksTest, PreferringAFetchedNodeQueuesItAheadOfTheOthers) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}, {"http://h/b.html"}});
    ToBeOpenTN* a = node("http://h/a.html");
    fetched(a, {});
    ASSERT_EQ(a->state, StateDone);
    marks.preferItems({{a, false}}, MarkView::Links);
    EXPECT_EQ(a->state, StateQueued);
    EXPECT_EQ(g.bestQueued(), a);
    EXPECT_GT(a->priority, node("http://h/b.html")->priority);
}

TEST_F(MarksTest, RemovingThePreferenceOfAQueuedNodeKeepsTheCountOfQueuedFiles) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}, {"http://h/b.html"}, {"http://h/e.gif", FlagEmbedded}});
    ToBeOpenTN* a = node("http://h/a.html");
    ToBeOpenTN* e = node("http://h/e.gif");
    const uint16_t plain = a->priority;
    const uint16_t embeddedPlain = e->priority;
    marks.prefer(*top, false);  // the page: its embedded file follows it
    EXPECT_GT(e->priority, embeddedPlain);
    marks.prefer(*a, true);
    const uint32_t files = g.counters.queuedFiles;
    EXPECT_GT(a->priority, plain);
    marks.unpreferItems({{a, false}, {top, false}}, MarkView::Links);
    EXPECT_EQ(a->priority, plain);
    EXPECT_EQ(e->priority, embeddedPlain);
    EXPECT_EQ(g.counters.queuedFiles, files);
}

TEST_F(MarksTest, FlatLinksChangeTheLevelsReachedThroughAPage) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}});
    ToBeOpenTN* a = node("http://h/a.html");
    fetched(a, {{"http://h/b.html"}, {"http://h/b.gif", FlagPicture}});
    ToBeOpenTN* b = node("http://h/b.html");
    EXPECT_EQ(b->level, 2);
    EXPECT_EQ(b->state, StateNew);

    marks.flatLinksItems({{a, false}}, true);
    EXPECT_EQ(b->level, 1);
    EXPECT_EQ(b->state, StateQueued);
    EXPECT_GT(b->priority, 0);
    fetched(b, {{"http://h/c.html"}});
    EXPECT_EQ(node("http://h/c.html")->level, 2);

    // Off again: the levels rise back; a queued node takes its new priority.
    marks.setFlatLinks(*a, false);
    EXPECT_EQ(b->level, 2);
    EXPECT_EQ(node("http://h/c.html")->level, 3);
    // The start page's flat links make a's links level 1 too.
    marks.setFlatLinks(*top, true);
    EXPECT_EQ(a->level, 0);
    EXPECT_EQ(b->level, 1);
}

TEST_F(MarksTest, ClearingAnExclusionFollowsEmbeddedLinksAndEndsOnACycle) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/f1.html", FlagEmbedded}, {"http://h/a.html"}});
    ToBeOpenTN* f1 = node("http://h/f1.html");
    fetched(f1, {{"http://h/f2.html", FlagEmbedded}, {"http://h/p.gif", FlagPicture}});
    ToBeOpenTN* f2 = node("http://h/f2.html");
    fetched(f2, {{"http://h/f1.html", FlagEmbedded}});
    ToBeOpenTN* p = node("http://h/p.gif");
    ToBeOpenTN* a = node("http://h/a.html");
    for (ToBeOpenTN* n : {top, f1, f2, p, a}) g.setFlags(*n, n->flags | FlagExcluded);
    marks.queueIt(*a);  // excluded and no picture: not queued
    marks.clearExclusion(*top);
    for (ToBeOpenTN* n : {top, f1, f2, p}) EXPECT_FALSE(n->flags & FlagExcluded) << n->name.c_str();
    EXPECT_TRUE(a->flags & FlagExcluded);  // a plain link
}

TEST_F(MarksTest, RetryAndUnskipOfFailedOrOtherCodePageNodes) {
    ToBeOpenTN* top = start("http://h/");
    fetched(top, {{"http://h/a.html"}, {"http://h/b.html"}});
    ToBeOpenTN* a = node("http://h/a.html");
    ToBeOpenTN* b = node("http://h/b.html");
    std::vector<ToBeOpenTN*> deleted;
    marks.deleteLocalCopies = [&deleted](ToBeOpenTN& n) {
        deleted.push_back(&n);
        n.savedFile.clear();
    };
    g.setState(*a, StateFailed);
    a->lastError = 404;
    a->retries = 3;
    marks.skip(*a, true);
    marks.unskip(*a);
    EXPECT_EQ(a->state, StateFailed);  // its tries are used up
    a->retries = 1;
    a->savedFile = "h/a.html";
    a->flags |= FlagReceived | FlagRewritten;
    marks.skip(*a, true);
    marks.unskip(*a);
    EXPECT_EQ(a->state, StateQueued);
    EXPECT_EQ(a->lastError, 0);
    EXPECT_EQ(a->flags & (FlagReceived | FlagRewritten), 0u);
    EXPECT_EQ(deleted, std::vector<ToBeOpenTN*>{a});

    g.setState(*b, StateDone);
    b->flags |= FlagOtherCodePage | FlagReceived;
    marks.skip(*b, false);
    marks.unskip(*b);
    EXPECT_EQ(b->flags & (FlagOtherCodePage | FlagReceived), 0u);
    EXPECT_EQ(deleted.back(), b);
}

// The counters and the queue must match the graph after every step of a
// long random sequence of marks on a large graph of pages.
TEST_F(MarksTest, CountersEqualARecountAfterEveryOperation) {
    policy.internalLevels = 8;
    constexpr int kPages = 5000;
    constexpr int kSteps = 10000;
    std::mt19937 rnd(1234);
    auto url = [](int i) { return "http://h/s" + std::to_string(i % 50) + "/p" + std::to_string(i) + ".html"; };
    ToBeOpenTN* top = start(url(0).c_str());
    std::vector<ToBeOpenTN*> nodes;
    for (int i = 0; i < kPages; ++i) {
        ToBeOpenTN* page = node(url(i));
        ASSERT_TRUE(page) << i;
        std::vector<Link> links;
        for (int k : {2 * i + 1, 2 * i + 2})
            if (k < kPages) links.emplace_back(url(k));
        links.emplace_back(url(static_cast<int>(rnd() % kPages)));
        links.emplace_back("http://h/img/i" + std::to_string(i % 300) + ".gif", FlagPicture);
        if (i % 7 == 0) links.emplace_back("http://h/e/f" + std::to_string(i) + ".html", FlagEmbedded);
        fetched(page, links);
    }
    // Some pages wait again, some failed, some are out of the filters.
    for (int i = 0; i < kPages; i += 3) g.setState(*node(url(i)), StateQueued);
    for (int i = 1; i < kPages; i += 11) g.setState(*node(url(i)), StateFailed);
    (void)top;
    ForEachNode(g.root(), [&nodes](ToBeOpenTN& n) { nodes.push_back(&n); });
    ASSERT_GT(nodes.size(), size_t(kPages));

    // The priorities are costly to compute: every 97th step.
    auto check = [&](int step, int op) {
        const bool priorities = step % 97 == 0;
        uint32_t files = 0, pictures = 0;
        uint16_t best = 0;
        bool ok = true;
        // No operation adds or removes nodes: the list made once is the
        // graph. Indexed plainly, so that a debug build stays quick.
        ToBeOpenTN* const* all = nodes.data();
        for (size_t i = 0, end = nodes.size(); i < end; ++i) {
            ToBeOpenTN& n = *all[i];
            if (n.state != StateQueued) continue;
            if ((n.flags & FlagEmbedded) && !(n.flags & FlagPicture)) ++files;
            else if (n.flags & (FlagSkipped | FlagExcluded)) {
            } else if (n.flags & FlagPicture) ++pictures;
            else ++files;
            if (priorities && ok && n.priority != g.queuePriority(n)) {
                ok = false;
                ADD_FAILURE() << g.urlOf(n).c_str() << " " << n.priority << " " << g.queuePriority(n) << " level " << int(n.level) << " flags " << n.flags;
            }
            if (n.priority > best) best = n.priority;
        }
        ASSERT_TRUE(ok) << "a stale priority at step " << step << " op " << op;
        ASSERT_EQ(g.counters.queuedFiles, files) << "step " << step << " op " << op;
        ASSERT_EQ(g.counters.queuedPictures, pictures) << "step " << step << " op " << op;
        ASSERT_EQ(g.root().subtreePriority, best) << "step " << step << " op " << op;
    };
    check(-1, -1);
    for (int step = 0; step < kSteps; ++step) {
        ToBeOpenTN& n = *nodes[rnd() % nodes.size()];
        const int op = static_cast<int>(rnd() % 16);
        bool collapsed = rnd() % 2;
        switch (op) {
        case 0: marks.skipItems({{&n, collapsed}}, MarkView::Files); break;
        case 1: marks.includeItems({{&n, collapsed}}, MarkView::Files); break;
        case 2: marks.preferItems({{&n, collapsed}}, MarkView::Files); break;
        case 3: marks.unpreferItems({{&n, collapsed}}, MarkView::Files); break;
        case 4: marks.skipItems({{&n, false}}, MarkView::Links); break;
        case 5: marks.includeItems({{&n, false}}, MarkView::Links); break;
        case 6: marks.prefer(n, false); break;
        case 7: marks.unprefer(n); break;
        case 8: marks.setFlatLinks(n, rnd() % 2); break;
        case 9: marks.clearExclusion(n); break;
        case 10: marks.retry(n); break;
        case 11: marks.queueIt(n); break;
        case 12: g.setFlags(n, n.flags | FlagExcluded); break;  // the filters keep it out
        case 13:
            if (n.state == StateQueued && !n.isRoot()) g.setState(n, StateFailed);
            n.retries = static_cast<uint8_t>(rnd() % 4);
            break;
        case 14: marks.force(n); break;
        case 15: marks.unforce(n); break;
        }
        check(step, op);
        if (HasFatalFailure()) return;
    }
}
