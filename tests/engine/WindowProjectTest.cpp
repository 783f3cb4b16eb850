// Projects opened one after another in the same main window, and what the
// status line is told while the tree file is read and written and while a
// page's many links are taken into the graph.

#include <gtest/gtest.h>

#include "EngineJob.h"
#include "site/MissionFilter.h"
#include "site/TreeFile.h"

namespace enginetest {

namespace {

// A project below folder whose tree file holds its start page, a page and
// a picture of its folder, both queued.
struct QueuedProject {
    std::string path;
    std::string start, page, picture;

    QueuedProject(const fs::path& folder, const std::string& name, const std::string& site) {
        path = (folder / (name + ".zbp")).string();
        start = site + "/index.html";
        page = site + "/page.html";
        picture = site + "/pic.gif";
        Project p;
        p.makeNew(ApplicationProfile());
        p.urls.add(start.c_str());
        p.outputPath = (folder / name).string().c_str();
        p.onlyInDirectory = true;
        p.allowOutPicture = false;
        EXPECT_EQ(0, p.save(path.c_str()));

        MissionFilter filter(p, SkipList());
        LinkGraph graph(filter);
        graph.outputFolder = p.outputFolder();
        graph.beginStartUrls();
        graph.addStartUrl(start, true);
        ToBeOpenTN* n = graph.findOrCreate(page, 1, false);
        graph.setState(*n, StateQueued);
        ToBeOpenTN* g = graph.findOrCreate(picture, 1, false);
        g->flags |= FlagPicture;
        graph.setState(*g, StateQueued);
        EXPECT_EQ(0, saveTree(graph, path));
    }
};

}  // namespace

// Project B is opened after project A ran in the same window: the queue
// restored from B's tree is weighed by B's start folder (the job keeps to
// it) and host (pictures of other hosts are not fetched), not by A's
// folder or by no start URLs at all.
TEST(WindowProject, AnOpenedTreeIsWeighedByItsOwnProjectsStartUrls) {
    EngineJob job;
    QueuedProject a(job.out.path, "a", "http://h.test/a");
    QueuedProject b(job.out.path, "b", "http://h.test/b");
    ASSERT_EQ(0, job.window->openProject(a.path.c_str()));
    job.window->continueJob();  // A's start URLs entered (no idle step: nothing is fetched)
    ASSERT_NE(nullptr, job.window->graph().bestQueued());

    job.views.statusTexts.clear();
    ASSERT_EQ(0, job.window->openProject(b.path.c_str()));
    LinkGraph& graph = job.window->graph();
    for (const std::string* url : {&b.start, &b.page, &b.picture}) {
        const ToBeOpenTN* n = graph.find(*url);
        ASSERT_NE(nullptr, n) << *url;
        EXPECT_EQ(StateQueued, n->state) << *url;
        EXPECT_GT(n->priority, 0) << *url;
    }
    ASSERT_NE(nullptr, graph.bestQueued());
    // The tree file read, as the status line shows it.
    EXPECT_EQ((std::vector<std::string>{"Reading the site tree...", "Linking the site tree...",
                                        "The site tree has been read."}),
              job.views.statusTexts);

    // Written by an idle job: said, then the status line is the job's again.
    job.views.statusTexts.clear();
    EXPECT_EQ(0, job.window->saveProject(b.path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"Saving the site tree...", ""}), job.views.statusTexts);

    // A project without a tree file yet: its reading is not left behind.
    QueuedProject c(job.out.path, "c", "http://h.test/c");
    fs::remove(job.out.path / "c.zbt");
    job.views.statusTexts.clear();
    ASSERT_EQ(0, job.window->openProject(c.path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"Reading the site tree...", ""}), job.views.statusTexts);
}

// A page of 400 links taken into the graph while the clock runs 50 ms per
// look: nothing is said for the first second, then every 10 links, and
// the status line is given back at the end. A short page says nothing.
TEST(WindowProject, ALongListOfLinksShowsItsProgressAfterASecond) {
    ServedSite site("progress");
    std::string index = "<html><body>\n";
    for (int i = 0; i < 400; ++i) index += "<a href=\"p" + std::to_string(i) + ".html\">p</a>\n";
    site.write("index.html", index + "<a href=\"short.html\">s</a></body></html>\n");
    std::string shortPage = "<html><body>\n";
    for (int i = 0; i < 30; ++i) shortPage += "<a href=\"s" + std::to_string(i) + ".html\">s</a>\n";
    site.write("short.html", shortPage + "</body></html>\n");

    EngineJob job;
    uint32_t t = 1000;
    job.window->clock = [&t] { return t += 50; };
    job.window->newJob(site.url("index.html").c_str(), job.out.str().c_str());
    Project& p = job.project();
    p.levelsInternal = 1;  // index and short.html; the links of short.html stay unfetched
    p.levelsExternal = 0;
    p.maxSizeFiles = 100;
    p.maxNumFiles = 0;
    p.timeMaxWait = 0;
    ASSERT_TRUE(job.run());

    const std::vector<std::string>& shown = job.views.progress;
    ASSERT_FALSE(shown.empty());
    // One look per 10 links after the first: past 1000 ms at the 21st.
    EXPECT_EQ("Processing links: 210 of 401", shown.front());
    EXPECT_EQ("Processing links: 400 of 401", shown.back());
    EXPECT_EQ(20u, shown.size());
    for (const std::string& s : shown) EXPECT_EQ(std::string::npos, s.find("of 30")) << s;
    EXPECT_EQ((std::vector<std::string>{""}), job.views.statusTexts);
}

}  // namespace enginetest
