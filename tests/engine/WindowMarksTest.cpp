// The user's marks on the nodes of a real job against the local http
// server (fixture net_servers): what they make the engine fetch, and in
// which order, read from the server's log.

#include <gtest/gtest.h>

#include "EngineJob.h"

namespace enginetest {
namespace {

std::string LinkPage(const std::vector<std::string>& links) {
    std::string s = "<html><head><title>T</title></head><body>\n";
    for (const std::string& l : links) s += "<a href=\"" + l + "\">" + l + "</a>\n";
    return s + "</body></html>\n";
}

// The site's paths in the order the server was asked for them.
std::vector<std::string> RequestOrder(const ServedSite& site) {
    std::string log = ReadFileBytes(std::string(ZB_BINARY_DIR) + "/netservers/http.log");
    const std::string key = "\"target\": \"/" + site.name + "/";
    std::vector<std::string> out;
    for (size_t pos = log.find(key); pos != std::string::npos; pos = log.find(key, pos + 1)) {
        size_t from = pos + key.size();
        out.push_back(log.substr(from, log.find('"', from) - from));
    }
    return out;
}

void StartSite(EngineJob& job, const ServedSite& site, int levels) {
    job.window->newJob(site.url("index.html").c_str(), job.out.str().c_str());
    Project& p = job.project();
    p.levelsInternal = levels;
    p.levelsExternal = 0;
    p.maxNumFiles = 0;
    p.maxNumThread = 1;
    p.timeMaxWait = 0;
    job.window->continueJob();
}

}  // namespace

TEST(WindowMarks, IncludedNodesTheFiltersKeepOutAreFetched) {
    ServedSite site("include");
    site.write("index.html", LinkPage({"a.html", "files.zip"}));
    site.write("a.html", LinkPage({"deep.html"}));
    site.write("deep.html", LinkPage({}));
    site.write("files.zip", std::string("PK\x03\x04", 4) + std::string(500, 'z'));
    EngineJob job;
    StartSite(job, site, 1);
    ASSERT_TRUE(job.run());
    LinkGraph& g = job.window->graph();
    ToBeOpenTN* deep = g.find(site.url("deep.html"));
    ToBeOpenTN* zip = g.find(site.url("files.zip"));
    ASSERT_TRUE(deep && zip);
    ASSERT_EQ(0u, deep->flags & FlagReceived) << "beyond the depth";
    ASSERT_EQ(0u, zip->flags & FlagReceived) << "not a class the job takes";

    EXPECT_EQ(2u, job.window->includeNodes({{deep, false}, {zip, true}}, MarkView::Links));
    EXPECT_TRUE(job.window->graphChanged());
    EXPECT_NE(0u, deep->flags & FlagForced);
    ASSERT_TRUE(job.window->startJob(true, false, false));
    ASSERT_TRUE(job.run());
    EXPECT_NE(0u, deep->flags & FlagReceived);
    EXPECT_NE(0u, zip->flags & FlagReceived) << zip->state << " " << zip->lastError;
    const std::vector<std::string> asked = RequestOrder(site);
    EXPECT_EQ(1, std::count(asked.begin(), asked.end(), "deep.html"));
    EXPECT_EQ(1, std::count(asked.begin(), asked.end(), "files.zip"));
    EXPECT_EQ(1, std::count(asked.begin(), asked.end(), "index.html"));
}

TEST(WindowMarks, APreferredFetchedPageIsFetchedAgainAheadOfTheQueue) {
    ServedSite site("prefer");
    site.write("index.html", LinkPage({"a.html", "b.html", "c.html"}));
    for (const char* p : {"a.html", "b.html", "c.html"}) site.write(p, LinkPage({}));
    EngineJob job;
    StartSite(job, site, 1);
    bool preferred = false;
    // Once the start page is in and its links wait, nothing running.
    job.onIdle = [&](EngineJob& j) {
        if (preferred || !j.window->activeList().empty()) return;
        ToBeOpenTN* top = j.window->graph().find(site.url("index.html"));
        ToBeOpenTN* a = j.window->graph().find(site.url("a.html"));
        if (!top || !a || top->state != StateDone || a->state != StateQueued) return;
        preferred = true;
        EXPECT_EQ(1u, j.window->preferNodes({{top, false}}, MarkView::Links));
        EXPECT_EQ(top, j.window->graph().bestQueued());
    };
    ASSERT_TRUE(job.run());
    ASSERT_TRUE(preferred);
    const std::vector<std::string> asked = RequestOrder(site);
    ASSERT_GE(asked.size(), 5u);
    EXPECT_EQ("index.html", asked[0]);
    EXPECT_EQ("index.html", asked[1]) << "the preferred page before the others";
    EXPECT_EQ(1, std::count(asked.begin(), asked.end(), "c.html"));
}

TEST(WindowMarks, SkippingAHostBranchStopsTheJobsWorkOnIt) {
    ServedSite site("skip");
    site.write("index.html", LinkPage({"a.html", "sub/b.html"}));
    site.write("a.html", LinkPage({"sub/later.html"}));
    site.write("sub/b.html", LinkPage({}));
    site.write("sub/later.html", LinkPage({}));
    EngineJob job;
    StartSite(job, site, 3);
    bool skipped = false;
    job.onIdle = [&](EngineJob& j) {
        if (skipped || !j.window->activeList().empty()) return;
        ToBeOpenTN* top = j.window->graph().find(site.url("index.html"));
        ToBeOpenTN* sub = j.window->graph().find(site.url("sub"));
        if (!top || !sub || top->state != StateDone) return;
        skipped = true;
        EXPECT_EQ(1u, j.window->skipNodes({{sub, true}}, MarkView::Files));
        EXPECT_NE(0u, sub->flags & FlagBranchMark);
    };
    ASSERT_TRUE(job.run());
    ASSERT_TRUE(skipped);
    const std::vector<std::string> asked = RequestOrder(site);
    EXPECT_EQ(1, std::count(asked.begin(), asked.end(), "a.html"));
    EXPECT_EQ(0, std::count(asked.begin(), asked.end(), "sub/b.html"));
    // Found later, on a page of the job: created skipped.
    EXPECT_EQ(0, std::count(asked.begin(), asked.end(), "sub/later.html"));
    ToBeOpenTN* later = job.window->graph().find(site.url("sub/later.html"));
    ASSERT_NE(nullptr, later);
    EXPECT_NE(0u, later->flags & FlagSkipped);
    EXPECT_EQ(0u, job.window->filesQueued());
}

TEST(WindowMarks, SkippingANodeThatIsDownloadingStopsItsDownload) {
    ServedSite site("stop");
    const std::string stalled = "/w/stall?" + site.name;
    site.write("index.html", LinkPage({stalled}));
    EngineJob job;
    StartSite(job, site, 1);
    ToBeOpenTN* node = nullptr;
    job.onIdle = [&](EngineJob& j) {
        if (node) return;
        ToBeOpenTN* n = j.window->graph().find(workertest::HttpUrl(stalled));
        // Skipped once the server holds the request: a stop before it was
        // sent would leave the server nothing to log.
        if (!n || n->state != StateLoading || workertest::LoggedRequests(stalled).empty()) return;
        node = n;
        EXPECT_EQ(1u, j.window->skipNodes({{n, false}}, MarkView::Links));
        EXPECT_EQ(StateLoading, n->state) << "until the end message arrives";
    };
    // The server holds the request far longer than this.
    ASSERT_TRUE(job.run(20));
    ASSERT_NE(nullptr, node);
    EXPECT_NE(0u, node->flags & FlagSkipped);
    EXPECT_NE(StateLoading, node->state);
    EXPECT_EQ(1u, workertest::LoggedRequests(stalled).size());
    EXPECT_TRUE(job.window->activeList().empty());
}

}  // namespace enginetest
