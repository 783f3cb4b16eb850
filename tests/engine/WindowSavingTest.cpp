// What a job keeps when it is killed: a named new job writes its project
// and tree file at its start and the tree file again while it runs, with
// the running downloads recorded as queued and left running; a job
// continued from such a file first clears what the killed run left that
// no node knows; and a second engine on the same output folder is refused
// and writes nothing there.

#include <gtest/gtest.h>

#include "EngineJob.h"
#include "engine/LocalPath.h"
#include "site/MissionFilter.h"
#include "site/TreeFile.h"

namespace enginetest {

namespace {

std::string Page(const std::vector<std::string>& links) {
    std::string s = "<html><body>\n";
    for (const std::string& l : links) s += "<a href=\"" + l + "\">" + l + "</a>\n";
    return s + "</body></html>\n";
}

// The tree file at project as another program would read it now.
struct TreeOnDisk {
    Project mission;
    MissionFilter filter{mission, SkipList()};
    LinkGraph graph{filter};
    TreeOnDisk(const std::string& project, const std::string& output) {
        graph.outputFolder = output.c_str();
        loaded = loadTree(graph, project) == 0;
    }
    bool loaded = false;
    const ToBeOpenTN* node(const std::string& url) { return graph.find(url); }
};

std::string LocalPathOf(const std::string& url, const std::string& output, uint32_t outputFlags) {
    saving::PlaceRequest req;
    req.outputFlags = outputFlags;
    req.url = url;
    req.outputFolder = output;
    req.doNotCreate = true;
    AStr path;
    EXPECT_TRUE(saving::localPath(req, path)) << url;
    return path.c_str();
}

// index -> a, b and a download that hangs after its first bytes.
struct HangingSite {
    ServedSite site{"saving"};
    std::string stall = "/stall?" + site.name;
    HangingSite() {
        site.write("index.html", Page({"a.html", "b.html", stall}));
        site.write("a.html", Page({"index.html"}));
        site.write("b.html", Page({"index.html"}));
    }
};

void Limit(Project& p) {
    p.levelsInternal = 1;
    p.levelsExternal = 0;
    p.maxNumFiles = 0;
    p.maxSizeFiles = 100;
    p.timeMaxWait = 0;
}

}  // namespace

TEST(WindowSaving, ANamedJobIsWrittenAtItsStartAndWhileItRuns) {
    HangingSite s;
    EngineJob job;
    std::string project = job.out.str() + "/saving.zbp";
    std::string tree = job.out.str() + "/saving.zbt";
    job.window->newJob(s.site.url("index.html").c_str(), job.out.str().c_str(), project.c_str());
    // Before anything was fetched.
    EXPECT_TRUE(fs::exists(project));
    EXPECT_TRUE(fs::exists(tree));
    EXPECT_EQ(job.window->project().path(), project.c_str());
    {
        TreeOnDisk start(project, job.out.str());
        ASSERT_TRUE(start.loaded);
        const ToBeOpenTN* index = start.node(s.site.url("index.html"));
        ASSERT_NE(nullptr, index);
        EXPECT_EQ(StateQueued, index->state);
    }
    Limit(job.project());

    bool checked = false;
    job.onIdle = [&](EngineJob& j) {
        const BraskNode* e = j.window->activeList().firstEntry();
        if (checked || j.window->filesReceived() != 3 || j.window->activeCount() != 1 || !e ||
            platform::TickCount() - e->node()->startTime < 1500)
            return;
        checked = true;
        // Written since the three files came, the hanging one as queued.
        TreeOnDisk now(project, j.out.str());
        ASSERT_TRUE(now.loaded);
        EXPECT_EQ(1u, now.graph.counters.savedWhileRunning);
        for (const char* f : {"index.html", "a.html", "b.html"}) {
            const ToBeOpenTN* n = now.node(s.site.url(f));
            ASSERT_NE(nullptr, n) << f;
            EXPECT_TRUE(n->flags & FlagReceived) << f;
            EXPECT_TRUE(fs::exists(j.out.path / n->savedFile.c_str())) << f;
        }
        const ToBeOpenTN* hung = now.node(workertest::HttpUrl(s.stall));
        ASSERT_NE(nullptr, hung);
        EXPECT_EQ(StateQueued, hung->state);
        // The job itself goes on undisturbed.
        const ToBeOpenTN* running = j.window->graph().find(workertest::HttpUrl(s.stall));
        ASSERT_NE(nullptr, running);
        EXPECT_EQ(StateLoading, running->state);
        EXPECT_EQ(1u, j.window->activeCount());
        EXPECT_EQ(0, j.window->saveTreeIfChanged());
        EXPECT_EQ(StateLoading, running->state);
        EXPECT_EQ(1u, j.window->activeCount());
        (void)j.window->mayRunCommand(Window::kCommandExit);
    };
    ASSERT_TRUE(job.run());
    EXPECT_TRUE(checked);
    EXPECT_EQ(0, job.window->saveProject(project.c_str()));
    TreeOnDisk end(project, job.out.str());
    EXPECT_EQ(0u, end.graph.counters.savedWhileRunning);
}

// The tree file written while the job finishes, just before its end (the
// running job's periodic save): the save when the program closes still
// writes the ended job's tree file and its start page, although nothing
// changed in between.
TEST(WindowSaving, TheEndedJobIsWrittenAfterALastSaveWhileItRan) {
    ServedSite site("ending");
    site.write("index.html", Page({"a.html"}));
    site.write("a.html", Page({"index.html"}));
    EngineJob job;
    std::string project = job.out.str() + "/ending.zbp";
    job.window->newJob(site.url("index.html").c_str(), job.out.str().c_str(), project.c_str());
    Limit(job.project());
    job.onIdle = [](EngineJob& j) {
        if (j.window->jobState() == Window::kFinishing) (void)j.window->saveTreeIfChanged();
    };
    ASSERT_TRUE(job.run());
    ASSERT_FALSE(fs::exists(job.out.path / "start.htm"));
    EXPECT_EQ(0, job.window->saveTreeIfChanged());
    EXPECT_TRUE(fs::exists(job.out.path / "start.htm"));
    TreeOnDisk end(project, job.out.str());
    ASSERT_TRUE(end.loaded);
    EXPECT_EQ(0u, end.graph.counters.savedWhileRunning);
}

// A job killed while a download ran: continued, it clears the files that
// the killed run left and no node knows (the hanging download's partial
// data, a copy at a queued node's name) before it fetches them again.
TEST(WindowSaving, AContinuedKilledJobClearsWhatNoNodeKnows) {
    HangingSite s;
    EngineJob job;
    std::string project = job.out.str() + "/killed.zbp";
    job.window->newJob(s.site.url("index.html").c_str(), job.out.str().c_str(), project.c_str());
    Limit(job.project());
    bool killed = false;
    job.onIdle = [&](EngineJob& j) {
        const BraskNode* e = j.window->activeList().firstEntry();
        if (!killed && j.window->filesReceived() == 3 && j.window->activeCount() == 1 && e &&
            platform::TickCount() - e->node()->startTime > 1500) {
            killed = true;
            j.loop.quit(0);
        }
    };
    ASSERT_TRUE(job.run());
    ASSERT_TRUE(killed);
    // Gone without a last save or a word to its downloads, as after SIGKILL
    // (its hanging download still ends its thread and keeps its data).
    job.reopen();
    std::vector<std::string> left = job.out.temporaryFiles();
    EXPECT_FALSE(left.empty()) << "the hanging download kept no partial data";
    ASSERT_EQ(0, job.window->openProject(project.c_str()));
    std::string stray = LocalPathOf(workertest::HttpUrl(s.stall), job.out.str(), job.window->project().outputFlags);
    workertest::WriteFileBytes(stray, "a copy the tree does not know");

    EXPECT_EQ(1u, job.window->graph().counters.savedWhileRunning);
    std::string index = job.window->graph().find(s.site.url("index.html"))->savedFile.c_str();
    job.window->continueJob();
    EXPECT_EQ(0, job.window->folderError());
    EXPECT_FALSE(fs::exists(stray));
    for (const std::string& t : left) EXPECT_FALSE(fs::exists(t)) << t;
    // What the tree knows stays.
    EXPECT_TRUE(fs::exists(job.out.path / index));
    job.onIdle = [&](EngineJob& j) {
        if (workertest::LoggedRequests(s.stall).size() >= 2 && j.window->jobState() == Window::kRunning)
            (void)j.window->mayRunCommand(Window::kCommandExit);
    };
    ASSERT_TRUE(job.run());
    for (const char* f : {"index.html", "a.html", "b.html"})
        EXPECT_EQ(1u, workertest::LoggedRequests(s.site.target(f)).size()) << f;
}

TEST(WindowSaving, ASecondEngineOnTheSameFolderIsRefused) {
    ServedSite site("twice");
    site.write("index.html", Page({"a.html"}));
    site.write("a.html", Page({"index.html"}));
    EngineJob first, second;
    std::string project = first.out.str() + "/first.zbp";
    first.window->newJob(site.url("index.html").c_str(), first.out.str().c_str(), project.c_str());
    ASSERT_EQ(0, first.window->folderError());
    std::string before = workertest::ReadFileBytes(project);

    second.window->newJob(site.url("index.html").c_str(), first.out.str().c_str(), project.c_str());
    EXPECT_EQ(platform::FolderLock::kInUse, second.window->folderError());
    EXPECT_EQ(Window::kIdle, second.window->jobState());
    // The folder as the engine made it whole (on Windows with its drive).
    std::string said = "The output folder " + std::string(second.window->outputFolder().c_str()) +
                       " is in use by another Zelko Brask job.";
    ASSERT_FALSE(second.views.messages.empty());
    EXPECT_EQ(0u, second.views.messages.back().rfind(said, 0)) << second.views.messages.back();
    EXPECT_EQ(platform::FolderLock::kInUse, second.window->saveProject(project.c_str()));
    EXPECT_TRUE(second.window->mayRunCommand(Window::kCommandExit));
    EXPECT_EQ(before, workertest::ReadFileBytes(project));
    EXPECT_TRUE(second.run());
    EXPECT_EQ(0u, workertest::LoggedRequests(site.target("a.html")).size());

    Limit(first.project());
    ASSERT_TRUE(first.run());
    EXPECT_EQ(2u, first.window->filesReceived());
    EXPECT_EQ(1u, workertest::LoggedRequests(site.target("a.html")).size());
    // Free again once the first engine lets the folder go.
    first.reopen();
    second.window->newJob(site.url("index.html").c_str(), first.out.str().c_str(), project.c_str());
    EXPECT_EQ(0, second.window->folderError());
    second.window->stopAll();
}

TEST(WindowSaving, AFileWhereTheOutputFolderShouldBeIsSaidInWords) {
    ServedSite site("blocked");
    site.write("index.html", Page({}));
    EngineJob job;
    std::string folder = job.out.str() + "/copy";
    workertest::WriteFileBytes(folder, "in the way");
    job.window->newJob(site.url("index.html").c_str(), folder.c_str(), (folder + "/copy.zbp").c_str());
    EXPECT_EQ(platform::FolderLock::kNotAFolder, job.window->folderError());
    EXPECT_EQ(Window::kIdle, job.window->jobState());
    EXPECT_EQ("The output folder " + std::string(job.window->outputFolder().c_str()) +
                  " cannot be written. A file stands where a folder should be.",
              std::string(job.window->jobMessage().c_str()));
    EXPECT_EQ("in the way", workertest::ReadFileBytes(folder));
    EXPECT_EQ(0u, workertest::LoggedRequests(site.target("index.html")).size());
}

}  // namespace enginetest
