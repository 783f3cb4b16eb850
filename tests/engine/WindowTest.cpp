// The download engine of the main window against the local http server
// (fixture net_servers): whole jobs over generated sites, checked file by
// file in the stored copy and request by request in the server's log.

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "EngineJob.h"
#include "site/LocalPaths.h"

namespace enginetest {

std::vector<std::string> LinksOf(const std::string& html) {
    static const std::regex value(R"re((?:href|src|background)\s*=\s*"([^"]*)")re", std::regex::icase);
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), value); it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1].str());
    return out;
}

MirrorCheck CheckMirror(const fs::path& folder, const std::string& serverPrefix, Window* window) {
    MirrorCheck c;
    std::set<fs::path> stubs;
    if (window) {
        std::vector<ToBeOpenTN*> stack{&window->graph().root()};
        while (!stack.empty()) {
            ToBeOpenTN* n = stack.back();
            stack.pop_back();
            for (ToBeOpenTN* k = n->firstChild(); k; k = k->nextSibling()) stack.push_back(k);
            if ((n->flags & FlagStub) && !n->savedFile.empty())
                stubs.insert((folder / n->savedFile.c_str()).lexically_normal());
        }
    }
    for (auto& e : fs::recursive_directory_iterator(folder)) {
        std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".html" && ext != ".htm")) continue;
        ++c.pages;
        if (stubs.count(e.path().lexically_normal())) {
            ++c.stubs;
            continue;
        }
        // The start page names each start URL beside the link to its copy.
        const bool startPage = e.path().filename() == "start.htm";
        std::string page = ReadFileBytes(e.path().string());
        for (std::string link : LinksOf(page)) {
            ++c.links;
            if (link.find(serverPrefix) != std::string::npos) {
                if (startPage) continue;
                c.problems.push_back(e.path().string() + ": still points at the server: " + link);
                continue;
            }
            if (link.find("://") != std::string::npos) continue;  // off-site links stay as they are
            link = link.substr(0, link.find('#'));
            if (link.empty()) continue;
            fs::path target = (e.path().parent_path() / link).lexically_normal();
            if (!fs::is_regular_file(target)) c.problems.push_back(e.path().string() + ": no local file for " + link);
        }
    }
    return c;
}

namespace {

std::string Page(const std::string& title, const std::vector<std::string>& links,
                 const std::vector<std::string>& pictures = {}) {
    std::string s = "<html><head><title>" + title + "</title></head><body>\n";
    for (const std::string& l : links) s += "<a href=\"" + l + "\">" + l + "</a>\n";
    for (const std::string& p : pictures) s += "<img src=\"" + p + "\">\n";
    return s + "</body></html>\n";
}

const std::string kGif = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;";

// index.html -> s0..s11/index.html (level 1) -> s<i>/p<j>.html (level 2,
// 16 each) -> deep/<i>-<j>.html (level 3, beyond the depth). Pictures
// shared between pages, a folder kept out by the exclude list, a link to
// another host.
struct GeneratedSite {
    static constexpr int kSections = 12;
    static constexpr int kPagesPerSection = 16;
    static constexpr int kPictures = 24;
    ServedSite site{"mirror"};
    GeneratedSite() {
        std::vector<std::string> top;
        for (int i = 0; i < kSections; ++i) top.push_back("s" + std::to_string(i) + "/index.html");
        top.push_back("private/secret.html");
        top.push_back("http://127.0.0.2:9999/elsewhere.html");
        site.write("index.html", Page("Top", top, {"img/pic0.gif"}));
        site.write("private/secret.html", Page("Secret", {"../index.html"}));
        for (int p = 0; p < kPictures; ++p) site.write("img/pic" + std::to_string(p) + ".gif", kGif);
        for (int i = 0; i < kSections; ++i) {
            std::string s = "s" + std::to_string(i);
            std::vector<std::string> pages{"../index.html"};
            for (int j = 0; j < kPagesPerSection; ++j) pages.push_back("p" + std::to_string(j) + ".html");
            site.write(s + "/index.html", Page("Section " + s, pages, {"../img/pic" + std::to_string(i) + ".gif"}));
            for (int j = 0; j < kPagesPerSection; ++j) {
                std::string deep = "../deep/" + std::to_string(i) + "-" + std::to_string(j) + ".html";
                std::string next = "p" + std::to_string((j + 1) % kPagesPerSection) + ".html#top";
                site.write(s + "/p" + std::to_string(j) + ".html",
                           Page(s + " page " + std::to_string(j), {"index.html", next, deep},
                                {"../img/pic" + std::to_string((i + j) % kPictures) + ".gif"}));
                site.write("deep/" + std::to_string(i) + "-" + std::to_string(j) + ".html", Page("Deep", {}));
            }
        }
    }
    static constexpr int kFetchedPages = 1 + kSections + kSections * kPagesPerSection;
};

void SetUpJob(EngineJob& job, const std::string& url, int levels) {
    job.window->newJob(url.c_str(), job.out.str().c_str());
    Project& p = job.project();
    p.levelsInternal = levels;
    p.levelsExternal = 0;
    p.maxNumFiles = 0;
    p.maxSizeFiles = 100;
    p.timeMaxWait = 0;
}

std::string ServerPrefix() { return "127.0.0.1:" + workertest::ServerPort("http"); }

size_t Requests(const std::string& target) { return workertest::LoggedRequests(target).size(); }

}  // namespace

// A mirror of a few hundred pages two levels deep with stubs: every page
// and picture within the depth is fetched once, the excluded folder and
// the deeper level get stubs, and every stored link leads to a local file.
TEST(Window, MirrorsAGeneratedSiteWithDepthFiltersAndStubs) {
    GeneratedSite g;
    EngineJob job;
    job.window->newJob(g.site.url("index.html").c_str(), job.out.str().c_str());
    Project& p = job.project();
    p.levelsInternal = 2;
    p.levelsExternal = 0;
    p.maxNumFiles = 0;
    p.stubs = 1;
    p.maxNumThread = 4;
    p.excludeUrls.add(AStr(g.site.url("private/").c_str()));
    // The settings take effect at the start; the start came with newJob,
    // so enter them once more as the dialog's confirmation would.
    job.window->continueJob();
    ASSERT_TRUE(job.run(120));

    EXPECT_EQ(Window::kIdle, job.window->jobState());
    EXPECT_EQ("The download is complete.", std::string(job.window->jobMessage().c_str()));
    EXPECT_EQ(static_cast<uint32_t>(GeneratedSite::kFetchedPages), job.window->filesReceived());
    EXPECT_EQ(0u, job.window->failedCount());
    EXPECT_LE(job.maxActive, 4u);
    EXPECT_TRUE(job.rewrittenTooEarly.empty()) << job.rewrittenTooEarly.front();
    EXPECT_EQ(1u, Requests(g.site.target("s3/p7.html")));
    EXPECT_EQ(1u, Requests(g.site.target("img/pic5.gif")));
    EXPECT_EQ(0u, Requests(g.site.target("deep/3-7.html")));
    EXPECT_EQ(0u, Requests(g.site.target("private/secret.html")));

    MirrorCheck c = CheckMirror(job.out.path, ServerPrefix(), job.window.get());
    EXPECT_TRUE(c.problems.empty()) << c.problems.size() << " problems, the first: " << c.problems.front();
    // The fetched pages, a stub for every deep page and the secret page.
    EXPECT_GE(c.pages, static_cast<size_t>(GeneratedSite::kFetchedPages + GeneratedSite::kSections * 16 + 1));
    EXPECT_EQ(static_cast<size_t>(GeneratedSite::kSections * 16 + 2), c.stubs);
    EXPECT_GT(c.links, 800u);
    EXPECT_EQ(static_cast<uint32_t>(GeneratedSite::kFetchedPages), job.window->pagesRewritten());
}

// Without stubs the links that are not followed keep their absolute URL;
// everything fetched is still reached through local links.
TEST(Window, UnfetchedLinksStayAbsoluteWithoutStubs) {
    ServedSite site("plain");
    site.write("a.html", Page("A", {"b.html", "c.html"}));
    site.write("b.html", Page("B", {"a.html", "far.html"}));
    site.write("c.html", Page("C", {}));
    site.write("far.html", Page("Far", {}));
    EngineJob job;
    SetUpJob(job, site.url("a.html"), 1);
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    EXPECT_EQ(3u, job.window->filesReceived());
    EXPECT_EQ(0u, Requests(site.target("far.html")));
    std::string b;
    for (auto& e : fs::recursive_directory_iterator(job.out.path))
        if (e.path().filename() == "b.html") b = ReadFileBytes(e.path().string());
    std::vector<std::string> links = LinksOf(b);
    ASSERT_EQ(2u, links.size()) << b;
    EXPECT_EQ("a.html", links[0]);
    EXPECT_EQ(site.url("far.html"), links[1]);
}

// "Exit at the end" ends the program after a job of its own, but not
// after each job of a batch: the batch decides that at its end.
TEST(Window, ExitOnEndOnlyOutsideABatch) {
    ServedSite site("exit");
    site.write("index.html", Page("Top", {"a.html"}));
    site.write("a.html", Page("A", {}));
    for (bool inBatch : {true, false}) {
        EngineJob job;
        EngineSettings settings;
        settings.exitOnEnd = true;
        job.reopen(settings, [inBatch] { return inBatch; });
        SetUpJob(job, site.url("index.html"), 1);
        job.window->continueJob();
        ASSERT_TRUE(job.run());
        EXPECT_EQ(2u, job.window->filesReceived());
        EXPECT_EQ(inBatch ? std::vector<uint32_t>{} : std::vector<uint32_t>{Window::kCommandExit}, job.views.commands)
            << inBatch;
    }
}

// MaxNumThread 0 starts queued files side by side, but never more than 32
// at once; a timeMaxWait of 0 lets a slow answer finish.
TEST(Window, NoThreadLimitAndNoTimeLimit) {
    ServedSite site("threads");
    std::vector<std::string> slow;
    for (int i = 0; i < 40; ++i) slow.push_back("/late?" + site.name + "-" + std::to_string(i));
    site.write("index.html", Page("Slow", slow));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.project().maxNumThread = 0;
    job.window->continueJob();
    uint32_t start = platform::TickCount();
    ASSERT_TRUE(job.run());
    EXPECT_EQ(41u, job.window->filesReceived());
    EXPECT_EQ(Window::kMostAtOnce, job.maxActive);
    // Answers of three seconds each, 32 side by side and then the rest.
    EXPECT_LT(platform::TickCount() - start, 20000u);
}

// A download running longer than timeMaxWait is stopped (1223) and tried
// again, whether it received nothing yet or stalled after some bytes; it
// gives up after three attempts, leaves no partial data, and the job ends.
TEST(Window, LongDownloadsAreStoppedAndRetriedThreeTimes) {
    ServedSite site("timeout");
    std::string slow = "/late?" + site.name;
    std::string stalled = "/w/stall?" + site.name;
    site.write("index.html", Page("Slow", {slow, stalled}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.project().timeMaxWait = 500;
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    for (const std::string& target : {slow, stalled}) {
        ToBeOpenTN* n = job.window->graph().find(workertest::HttpUrl(target));
        ASSERT_NE(nullptr, n);
        EXPECT_EQ(StateFailed, n->state) << target;
        EXPECT_EQ(1223, n->lastError) << target;
        EXPECT_EQ(3, n->retries) << target;
        EXPECT_EQ(3u, Requests(target));
        EXPECT_TRUE(n->rawFile.empty()) << target;
    }
    EXPECT_TRUE(job.out.temporaryFiles().empty());
    size_t restarts = std::count(job.views.messages.begin(), job.views.messages.end(), "Restarting the download...");
    EXPECT_EQ(2u, restarts);
    EXPECT_EQ(1u, job.window->filesReceived());
    EXPECT_EQ(2u, job.window->failedCount()) << "two files, each tried three times";
}

// A server that sends some bytes and then fails every time: each attempt
// counts, the file fails for good after three, and nothing of it is left
// in the copy.
TEST(Window, AttemptsThatBroughtBytesCountAsRetries) {
    ServedSite site("retries");
    std::string bad = "/w/never-whole?" + site.name;
    site.write("index.html", Page("Retries", {bad}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    ToBeOpenTN* n = job.window->graph().find(workertest::HttpUrl(bad));
    ASSERT_NE(nullptr, n);
    EXPECT_EQ(StateFailed, n->state);
    EXPECT_EQ(static_cast<int32_t>(ThreadData::kLengthMismatch), n->lastError);
    EXPECT_EQ(3u, Requests(bad));
    EXPECT_TRUE(n->rawFile.empty());
    EXPECT_TRUE(job.out.temporaryFiles().empty());
}

// With stubs on, a file that fails and is tried again (which deletes its
// stub) and then fails for good: the pages that link to it lead to a
// local file still.
TEST(Window, PagesLinkingToAFailedFileLeadToItsStub) {
    ServedSite site("stubs");
    std::string bad = "/w/never-whole?" + site.name;
    site.write("index.html", Page("Top", {"a.html", bad}));
    site.write("a.html", Page("A", {"index.html", bad}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.project().stubs = 1;
    job.project().maxNumThread = 1;
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    ToBeOpenTN* n = job.window->graph().find(workertest::HttpUrl(bad));
    ASSERT_NE(nullptr, n);
    EXPECT_EQ(StateFailed, n->state);
    EXPECT_EQ(3u, Requests(bad));
    MirrorCheck c = CheckMirror(job.out.path, ServerPrefix(), job.window.get());
    EXPECT_EQ(2u, c.pages - c.stubs);
    EXPECT_TRUE(c.problems.empty()) << c.problems.front();
}

// A body without end under a size limit of 1 MB: the download is cut as the
// bytes come, not after them, and the job ends with the limit's text.
TEST(Window, SizeLimitCutsAnEndlessBodyAsItArrives) {
    ServedSite site("endless");
    std::string endless = "/w/endless?" + site.name;
    site.write("index.html", Page("Endless", {endless}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.project().maxSizeFiles = 1;
    job.project().maxNumThread = 1;
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    EXPECT_EQ("The download was stopped: the size limit has been reached.",
              std::string(job.window->jobMessage().c_str()));
    ToBeOpenTN* n = job.window->graph().find(workertest::HttpUrl(endless));
    ASSERT_NE(nullptr, n);
    EXPECT_EQ(static_cast<int32_t>(ThreadData::kSizeLimit), n->lastError);
    EXPECT_EQ(1u, Requests(endless)) << "the job's own limit is no reason to try again";
    uintmax_t stored = 0;
    for (auto& e : fs::recursive_directory_iterator(job.out.path))
        if (e.is_regular_file()) stored += e.file_size();
    EXPECT_LE(stored, 1048576u + 65536u);
}

// A refused picture whose body has no end is not read, and the files
// after it on the same server still come.
TEST(Window, ARefusedEndlessBodyHoldsNothingUp) {
    ServedSite site("refused");
    std::string image = "/w/endless-image?" + site.name;
    // A plain link: it is asked for, and refused by its type.
    site.write("index.html", Page("Refused", {image, "a.html"}));
    site.write("a.html", Page("A", {"index.html"}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.project().allowPicture = false;
    job.project().maxNumThread = 1;
    job.window->continueJob();
    ASSERT_TRUE(job.run(30));
    EXPECT_EQ(2u, job.window->filesReceived());
    ToBeOpenTN* n = job.window->graph().find(workertest::HttpUrl(image));
    ASSERT_NE(nullptr, n);
    EXPECT_EQ(StateMissing, n->state);
}

// A file cut short on its first try and completed on the restart is not
// one that failed: the job ends as a success.
TEST(Window, AFileThatComesOnItsSecondTryHasNotFailed) {
    ServedSite site("twice");
    site.write("index.html", Page("Twice", {"/w/twice.bin"}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    ToBeOpenTN* n = job.window->graph().find(workertest::HttpUrl("/w/twice.bin"));
    ASSERT_NE(nullptr, n);
    EXPECT_EQ(2u, Requests("/w/twice.bin"));
    EXPECT_EQ(0, n->lastError);
    EXPECT_EQ(0u, job.window->failedCount());
    // The resumed part's length is what is left: the whole is more.
    EXPECT_EQ(100, job.mostPercent);
}

// A size limit of 0 MB stops starting files once any data arrived; the
// pages received are still rewritten and the job ends with 22014.
TEST(Window, SizeLimitEndsTheJobWithItsText) {
    GeneratedSite g;
    EngineJob job;
    SetUpJob(job, g.site.url("index.html"), 2);
    job.project().maxSizeFiles = 0;
    job.project().maxNumThread = 1;
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    EXPECT_EQ("The download was stopped: the size limit has been reached.",
              std::string(job.window->jobMessage().c_str()));
    // The first report of bytes reaches the limit: the download under way
    // is stopped, nothing else starts.
    EXPECT_LE(job.window->filesReceived(), 1u);
    EXPECT_EQ(job.window->filesReceived(), job.window->pagesRewritten());
    EXPECT_EQ(0u, Requests(g.site.target("s1/index.html")));
}

// A node the job left out, asked for by the user: fetched alone, the job
// started for it, nothing else asked again.
TEST(Window, ANodeTheUserAsksForIsFetchedWhateverTheFilters) {
    ServedSite site("asked");
    site.write("index.html", Page("Top", {"a.html", "files.zip"}));
    site.write("a.html", Page("A", {"deep.html"}));
    site.write("deep.html", Page("Deep", {}));
    site.write("files.zip", std::string("PK\x03\x04", 4) + std::string(2000, 'z'));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    ToBeOpenTN* deep = job.window->graph().find(site.url("deep.html"));
    ASSERT_NE(nullptr, deep);
    ASSERT_EQ(StateNew, deep->state) << "beyond the depth";
    ASSERT_EQ(0u, deep->flags & FlagReceived);
    deep->flags |= FlagSkipped;
    EXPECT_FALSE(job.window->fetchNode(job.window->graph().root()));

    ASSERT_TRUE(job.window->fetchNode(*deep));
    EXPECT_NE(Window::kIdle, job.window->jobState());
    ASSERT_TRUE(job.run());
    EXPECT_NE(0u, deep->flags & FlagReceived);
    EXPECT_EQ(0u, deep->flags & FlagSkipped);
    EXPECT_NE(0u, deep->flags & FlagForced);
    EXPECT_EQ(1u, Requests(site.target("deep.html")));
    EXPECT_EQ(1u, Requests(site.target("index.html")));
    EXPECT_TRUE(job.window->graphChanged());

    // A file of a class the job does not take (downloads) likewise.
    ToBeOpenTN* zip = job.window->graph().find(site.url("files.zip"));
    ASSERT_NE(nullptr, zip);
    ASSERT_EQ(0u, zip->flags & FlagReceived) << "not a class the job takes";
    ASSERT_TRUE(job.window->fetchNode(*zip));
    ASSERT_TRUE(job.run());
    EXPECT_NE(0u, zip->flags & FlagReceived) << zip->state << " " << zip->lastError;
    EXPECT_EQ(1u, Requests(site.target("files.zip")));
}

// A finished job saved, opened again and refreshed: every file answers
// 304, nothing is stored anew or counted again, every page is rewritten
// once more and still leads to the local files.
TEST(Window, RefreshRunGetsNotModifiedForEveryFile) {
    ServedSite site("refresh");
    site.write("index.html", Page("Top", {"a.html", "b.html"}, {"p.gif"}));
    site.write("a.html", Page("A", {"index.html", "b.html"}, {"p.gif"}));
    site.write("b.html", Page("B", {"a.html"}));
    site.write("p.gif", kGif);
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 2);
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    ASSERT_EQ(3u, job.window->filesReceived());
    uint32_t changed = job.window->filesChanged();
    std::string project = job.out.str() + "/refresh.zbp";
    ASSERT_EQ(0, job.window->saveProject(project.c_str()));
    std::string before = ReadFileBytes(job.out.str() + "/" + job.window->graph().find(site.url("a.html"))->savedFile.c_str());

    job.reopen();
    ASSERT_EQ(0, job.window->openProject(project.c_str()));
    EXPECT_EQ(3u, job.window->filesReceived());
    EXPECT_EQ(3u, job.window->pagesRewritten());
    // One download at a time: a page still waiting for its own refresh
    // sees the pages it links to come back first.
    job.window->project().maxNumThread = 1;
    job.window->refreshJob();
    ASSERT_TRUE(job.run());
    for (const char* f : {"index.html", "a.html", "b.html"}) {
        auto log = workertest::LoggedRequests(site.target(f));
        ASSERT_EQ(2u, log.size()) << f;
        EXPECT_NE(std::string::npos, log[1].find("If-Modified-Since")) << log[1];
    }
    EXPECT_EQ(3u, job.window->filesReceived());
    EXPECT_EQ(changed, job.window->filesChanged());
    EXPECT_EQ(3u, job.window->pagesRewritten());
    // Each page that links to a file is one of its referrers once, also
    // after its links were processed again.
    for (const char* f : {"index.html", "a.html", "b.html", "p.gif"}) {
        std::multiset<const ToBeOpenTN*> from;
        for (ToBeOpenTN* page : job.window->graph().find(site.url(f))->referrers) from.insert(page);
        for (const ToBeOpenTN* p : from) EXPECT_EQ(1u, from.count(p)) << f << " from " << job.window->graph().urlOf(*p).c_str();
    }
    EXPECT_TRUE(job.rewrittenTooEarly.empty());
    std::string after = ReadFileBytes(job.out.str() + "/" + job.window->graph().find(site.url("a.html"))->savedFile.c_str());
    EXPECT_EQ(before, after);
    MirrorCheck c = CheckMirror(job.out.path, ServerPrefix());
    EXPECT_TRUE(c.problems.empty()) << c.problems.front();
}

// Sheets reached as pictures are read for their URLs: what they import
// (also in a loop) and the pictures they name are fetched once, the
// sheets count and are rewritten as pages, and a refresh that finds
// nothing changed keeps every copy and every referrer as it was.
TEST(Window, StyleSheetsAreFollowedRewrittenAndRefreshed) {
    ServedSite site("sheets");
    site.write("index.html", "<link rel=stylesheet href=css/s.css><div style=\"background:url(d.gif)\">x</div>");
    site.write("css/s.css", "@import 't.css'; body { background: url(../p.gif) }");
    site.write("css/t.css", "@import url(s.css); p { background: url(/" + site.name + "/q.gif) }");
    for (const char* f : {"d.gif", "p.gif", "q.gif"}) site.write(f, kGif);
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.window->continueJob();
    ASSERT_TRUE(job.run());
    for (const char* f : {"index.html", "css/s.css", "css/t.css", "d.gif", "p.gif", "q.gif"})
        EXPECT_EQ(1u, Requests(site.target(f))) << f;
    EXPECT_EQ(3u, job.window->filesReceived());
    EXPECT_EQ(3u, job.window->pagesRewritten());
    ToBeOpenTN* sheet = job.window->graph().find(site.url("css/s.css"));
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(sheet->flags & FlagPicture);
    EXPECT_TRUE(sheet->flags & FlagRewritten);
    EXPECT_EQ(2u, sheet->links.count());
    EXPECT_TRUE(job.window->graph().find(site.url("p.gif"))->flags & FlagPicture);
    auto stored = [&](const char* f) {
        return ReadFileBytes(job.out.str() + "/" + job.window->graph().find(site.url(f))->savedFile.c_str());
    };
    EXPECT_EQ("@import 't.css'; body { background: url(../p.gif) }", stored("css/s.css"));
    EXPECT_EQ("@import url(s.css); p { background: url(../q.gif) }", stored("css/t.css"));
    MirrorCheck c = CheckMirror(job.out.path, ServerPrefix());
    EXPECT_TRUE(c.problems.empty()) << c.problems.front();

    std::string project = job.out.str() + "/sheets.zbp";
    ASSERT_EQ(0, job.window->saveProject(project.c_str()));
    job.reopen();
    ASSERT_EQ(0, job.window->openProject(project.c_str()));
    EXPECT_EQ(3u, job.window->pagesRewritten());
    job.window->refreshJob();
    ASSERT_TRUE(job.run());
    for (const char* f : {"index.html", "css/s.css", "css/t.css"}) {
        auto log = workertest::LoggedRequests(site.target(f));
        ASSERT_EQ(2u, log.size()) << f;
        EXPECT_NE(std::string::npos, log[1].find("If-Modified-Since")) << f;
    }
    for (const char* f : {"d.gif", "p.gif", "q.gif"}) EXPECT_EQ(2u, Requests(site.target(f))) << f;
    EXPECT_EQ(3u, job.window->pagesRewritten());
    EXPECT_EQ("@import url(s.css); p { background: url(../q.gif) }", stored("css/t.css"));
    ToBeOpenTN* q = job.window->graph().find(site.url("q.gif"));
    ASSERT_EQ(1u, q->referrers.count());
    EXPECT_EQ(job.window->graph().find(site.url("css/t.css")), q->referrers.first());
}

// A job stopped while a download hangs keeps its partial data; continued
// from the saved project it fetches no completed file again and asks the
// hanging one for the rest with Range.
TEST(Window, InterruptedJobContinuesWithRange) {
    ServedSite site("resume");
    std::string stall = "/stall?" + site.name;
    site.write("index.html", Page("Top", {"a.html", "b.html", stall}));
    site.write("a.html", Page("A", {"index.html"}));
    site.write("b.html", Page("B", {"index.html"}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 1);
    job.window->continueJob();
    bool stopped = false;
    job.onIdle = [&](EngineJob& j) {
        // Stopped once the hanging download has had a second for its first bytes.
        const BraskNode* e = j.window->activeList().firstEntry();
        if (!stopped && j.window->filesReceived() == 3 && j.window->activeCount() == 1 && e &&
            platform::TickCount() - e->node()->startTime > 1000) {
            stopped = true;
            EXPECT_FALSE(j.window->mayRunCommand(Window::kCommandExit));
        }
    };
    ASSERT_TRUE(job.run());
    ASSERT_TRUE(stopped);
    ASSERT_EQ(std::vector<uint32_t>{Window::kCommandExit}, job.views.commands);
    ToBeOpenTN* hung = job.window->graph().find(workertest::HttpUrl(stall));
    ASSERT_NE(nullptr, hung);
    EXPECT_EQ(StateFailed, hung->state);
    EXPECT_FALSE(hung->rawFile.empty());
    std::string project = job.out.str() + "/resume.zbp";
    ASSERT_EQ(0, job.window->saveProject(project.c_str()));
    // The start page goes with the tree file, headed by the project's name.
    std::string start = ReadFileBytes(job.out.str() + "/start.htm");
    EXPECT_NE(std::string::npos, start.find("<h1>resume</h1>")) << start;
    EXPECT_NE(std::string::npos, start.find("href=\"127.0.0.1.")) << start;

    job.reopen();
    job.views.commands.clear();
    ASSERT_EQ(0, job.window->openProject(project.c_str()));
    job.window->continueJob();
    job.onIdle = [&](EngineJob& j) {
        if (workertest::LoggedRequests(stall).size() == 2 && j.window->jobState() == Window::kRunning)
            (void)j.window->mayRunCommand(Window::kCommandExit);
    };
    ASSERT_TRUE(job.run());
    for (const char* f : {"index.html", "a.html", "b.html"}) EXPECT_EQ(1u, Requests(site.target(f))) << f;
    auto log = workertest::LoggedRequests(stall);
    ASSERT_EQ(2u, log.size());
    EXPECT_NE(std::string::npos, log[1].find("[\"Range\", \"bytes=100-\"]")) << log[1];
    EXPECT_EQ(3u, job.window->filesReceived());
}

// The user's stop: the running downloads end without their three-second
// answers, nothing is tried again, the job ends idle with the stop's
// message; a stop while idle changes nothing.
TEST(Window, TheUsersStopEndsTheJobWithItsMessage) {
    ServedSite site("stop");
    std::vector<std::string> slow;
    for (int i = 0; i < 4; ++i) slow.push_back("/late?" + site.name + "-" + std::to_string(i));
    site.write("index.html", Page("Slow", slow));
    EngineJob job;
    job.window->stopJob("stopped");
    EXPECT_EQ(Window::kIdle, job.window->jobState());
    EXPECT_EQ(AStr(), job.window->jobMessage());
    SetUpJob(job, site.url("index.html"), 1);
    job.project().maxNumThread = 4;
    job.window->continueJob();
    bool stopped = false;
    job.onIdle = [&](EngineJob& j) {
        if (!stopped && j.window->activeCount() >= 1 && j.window->filesReceived() == 1) {
            stopped = true;
            j.window->stopJob("stopped");
            EXPECT_EQ(Window::kFinishing, j.window->jobState());
        }
    };
    ASSERT_TRUE(job.run());
    ASSERT_TRUE(stopped);
    EXPECT_EQ(Window::kIdle, job.window->jobState());
    EXPECT_EQ(AStr("stopped"), job.window->jobMessage());
    EXPECT_EQ(1u, job.window->filesReceived()) << "no slow answer was waited for";
    for (const std::string& target : slow) EXPECT_LE(Requests(target), 1u) << target;
}

}  // namespace enginetest

namespace enginetest {

// Deleting the downloads leaves no file of the job in its folder, nor the
// folder; the project keeps its start URL and the next start fetches the
// site again. Refused while a job runs.
TEST(Window, DeletingTheDownloadsEmptiesTheCopyAndStartsOver) {
    ServedSite site("delete");
    site.write("index.html", Page("Index", {"sub/a.html", "sub/deeper/b.html"}));
    site.write("sub/a.html", Page("A", {}));
    site.write("sub/deeper/b.html", Page("B", {}));
    EngineJob job;
    SetUpJob(job, site.url("index.html"), 3);
    EXPECT_EQ(-1, job.window->deleteDownloads()) << "running";
    ASSERT_TRUE(job.run());
    ASSERT_EQ(3u, job.window->filesReceived());
    std::string project = (job.out.path / ".." / (job.out.path.filename().string() + ".zbp")).string();
    ASSERT_EQ(0, job.window->saveProject(project.c_str()));
    ASSERT_TRUE(fs::exists(job.out.path / "start.htm"));
    // Something of the user's own beside the copy stays, and so its folder.
    workertest::WriteFileBytes((job.out.path / "notes.txt").string(), "mine");

    EXPECT_EQ(0, job.window->deleteDownloads());
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(job.out.path)) left.push_back(e.path().filename().string());
    EXPECT_EQ(std::vector<std::string>{"notes.txt"}, left);
    EXPECT_EQ(nullptr, job.window->graph().root().firstChild());
    EXPECT_EQ(0u, job.window->filesReceived());
    EXPECT_EQ(AStr(site.url("index.html")), job.project().urls[0]);

    job.window->continueJob();
    ASSERT_TRUE(job.run());
    EXPECT_EQ(3u, job.window->filesReceived());
    EXPECT_EQ(2u, Requests(site.target("sub/deeper/b.html")));
    fs::remove(job.out.path / "notes.txt");
    EXPECT_EQ(0, job.window->deleteDownloads());
    EXPECT_FALSE(fs::exists(job.out.path)) << "an empty output folder goes too";
    std::error_code ec;
    fs::remove(project, ec);
}

}  // namespace enginetest
