// The scheduler's dial-up duties against a scripted RAS table and the
// local http server: downloads wait for the line, the end of a job and the
// closing window hang up what the program dialled, a stop while dialling
// leaves no half-made line, and the connection's time limit stops the job
// (22013), counted once for a whole batch.

#include <gtest/gtest.h>

#include "EngineJob.h"
#include "batch/FakeRas.h"

namespace enginetest {

namespace {

using workertest::LoggedRequests;

std::string Page(const std::vector<std::string>& links) {
    std::string s = "<html><body>\n";
    for (const std::string& l : links) s += "<a href=\"" + l + "\">" + l + "</a>\n";
    return s + "</body></html>\n";
}

void Limit(Mission& m) {
    m.levelsInternal = 1;
    m.levelsExternal = 0;
    m.maxNumFiles = 0;
    m.maxSizeFiles = 100;
    m.timeMaxWait = 0;
}

// The engine with the scripted line: usage 2, the entry "ISP".
struct DialJob {
    FakeRas ras;
    FakeDialClock dialClock;
    EngineJob job{ras.table(), &dialClock};
    // Added to the tick count the window sees: a test jumps past a deadline.
    uint32_t skew = 0;

    explicit DialJob(bool hangUpWhenDone) {
        job.dialUp.usage = DialUp::kDialEntry;
        job.dialUp.dialParams.entryName = "ISP";
        job.dialUp.hangUpWhenDone = hangUpWhenDone;
        useClock();
    }
    void useClock() {
        job.window->clock = [this] { return platform::TickCount() + skew; };
    }
    // The chosen entry's line is up already, made by someone else.
    static constexpr platform::RasHandle kUp = 7;
    void lineUp() { ras.conns[kUp] = {"ISP", platform::kRasConnected, 0}; }
};

// A project file with one start URL, its copy below output.
std::string WriteProject(const std::string& path, const std::string& url, const std::string& output) {
    Project p;
    p.makeNew(ApplicationProfile());
    p.urls.add(url.c_str());
    p.outputPath = output.c_str();
    Limit(p);
    EXPECT_EQ(0, p.save(path.c_str()));
    return path;
}

}  // namespace

TEST(WindowDialUp, DownloadsWaitForTheLineAndTheEndHangsUpWithoutDiallingAgain) {
    ServedSite site("dialwait");
    site.write("index.html", Page({"a.html"}));
    site.write("a.html", Page({"index.html"}));
    DialJob d(true);
    d.job.window->newJob(site.url("index.html").c_str(), d.job.out.str().c_str());
    Limit(d.job.project());
    size_t polls = 0;
    d.job.onIdle = [&](EngineJob& j) {
        if (j.window->jobState() != Window::kDialing || ++polls > 5) return;
        EXPECT_TRUE(LoggedRequests(site.target("index.html")).empty()) << "fetched before the line was up";
        if (polls == 5) d.ras.answerLast();
    };
    ASSERT_TRUE(d.job.run());
    EXPECT_GE(polls, 5u);
    ASSERT_EQ(1u, d.ras.dialled.size());
    EXPECT_EQ(2u, d.job.window->filesReceived());
    for (const char* f : {"index.html", "a.html"}) EXPECT_EQ(1u, LoggedRequests(site.target(f)).size()) << f;
    // The end of the job hung up the line it dialled, and the idle window
    // does not dial again by itself.
    EXPECT_EQ((std::vector<platform::RasHandle>{d.ras.lastHandle()}), d.ras.hungUp);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(MessageLoop::Idle::Done, d.job.window->idle());
    EXPECT_EQ(1u, d.ras.dialled.size());
    EXPECT_EQ(uint32_t(Window::kIdle), d.job.window->jobState());
}

TEST(WindowDialUp, AStopWhileDiallingAndTheClosingWindowHangUp) {
    ServedSite site("dialstop");
    site.write("index.html", Page({}));
    DialJob d(false);
    d.job.window->newJob(site.url("index.html").c_str(), d.job.out.str().c_str());
    d.job.onIdle = [&](EngineJob& j) {
        if (j.window->jobState() != Window::kDialing || d.ras.dialled.empty()) return;
        // Stopped (here by the program's end, whose question about the
        // unnamed project nobody answers) while the modem still dials: hung
        // up whatever the hang-up setting says.
        (void)j.window->mayRunCommand(Window::kCommandExit);
        EXPECT_EQ(uint32_t(Window::kIdle), j.window->jobState());
    };
    ASSERT_TRUE(d.job.run());
    EXPECT_EQ((std::vector<platform::RasHandle>{d.ras.lastHandle()}), d.ras.hungUp);
    EXPECT_EQ(0u, d.job.dialUp.connection);
    EXPECT_TRUE(LoggedRequests(site.target("index.html")).empty());

    // Connected on request while no job runs: up, and nothing fetched.
    d.job.window->connectDialUp();
    d.job.onIdle = [&](EngineJob& j) {
        if (j.window->jobState() == Window::kDialing) d.ras.answerLast();
    };
    ASSERT_TRUE(d.job.run());
    EXPECT_EQ(2u, d.ras.dialled.size());
    EXPECT_EQ(d.ras.lastHandle(), d.job.dialUp.connection);
    EXPECT_EQ(1u, d.ras.hungUp.size());
    // The window goes: the line goes with it only when so set.
    d.job.dialUp.hangUpWhenDone = true;
    d.job.window.reset();
    EXPECT_EQ(2u, d.ras.hungUp.size());
    EXPECT_EQ(d.ras.lastHandle(), d.ras.hungUp.back());
}

TEST(WindowDialUp, TheTimeLimitStopsTheJobAndHangsUp) {
    ServedSite site("diallimit");
    std::string stall = "/stall?" + site.name;
    site.write("index.html", Page({"a.html", stall}));
    site.write("a.html", Page({"index.html"}));
    DialJob d(true);
    d.lineUp();
    d.job.dialUp.timeLimit = 60000;
    d.job.window->newJob(site.url("index.html").c_str(), d.job.out.str().c_str());
    Limit(d.job.project());
    bool jumped = false;
    d.job.onIdle = [&](EngineJob& j) {
        const BraskNode* e = j.window->activeList().firstEntry();
        if (jumped || j.window->filesReceived() != 2 || !e || LoggedRequests(stall).empty()) return;
        jumped = true;
        d.skew += 60001;
    };
    ASSERT_TRUE(d.job.run());
    ASSERT_TRUE(jumped);
    EXPECT_TRUE(d.ras.dialled.empty()) << "the entry's line was up: adopted, not dialled";
    EXPECT_EQ((std::vector<platform::RasHandle>{DialJob::kUp}), d.ras.hungUp);
    const std::string text = EnglishTexts().text(Window::kTextTimeLimit).c_str();
    ASSERT_FALSE(text.empty()) << "no English catalogue in the build";
    EXPECT_EQ(text, std::string(d.job.window->jobMessage().c_str()));
    EXPECT_NE(std::find(d.job.views.messages.begin(), d.job.views.messages.end(), text), d.job.views.messages.end());
    // The download the limit stopped keeps its data for a resume and has
    // used none of its tries.
    const ToBeOpenTN* hung = d.job.window->graph().find(workertest::HttpUrl(stall));
    ASSERT_NE(nullptr, hung);
    EXPECT_EQ(StateFailed, hung->state);
    EXPECT_EQ(0, hung->retries);
}

TEST(WindowDialUp, ABatchCountsTheTimeLimitOnceForAllItsProjects) {
    ServedSite a("dialbatch-a"), b("dialbatch-b");
    for (ServedSite* s : {&a, &b}) {
        s->write("index.html", Page({"x.html"}));
        s->write("x.html", Page({"index.html"}));
    }
    DialJob d(false);
    d.lineUp();
    d.job.dialUp.timeLimit = 60000;
    bool batch = true;
    d.job.reopen(EngineSettings{}, [&] { return batch; });
    d.useClock();
    std::string pa = WriteProject(d.job.out.str() + "/a.zbp", a.url("index.html"), d.job.out.str() + "/a");
    std::string pb = WriteProject(d.job.out.str() + "/b.zbp", b.url("index.html"), d.job.out.str() + "/b");

    // The first project: statistics afresh and the limit counted from now,
    // as the batch does it.
    ASSERT_EQ(0, d.job.window->openProject(pa.c_str()));
    d.job.window->resetStatistics();
    d.job.window->startDialUpDeadline();
    d.job.window->continueJob();
    ASSERT_TRUE(d.job.run());
    EXPECT_EQ(2u, d.job.window->filesReceived());
    EXPECT_GT(d.job.window->bytesReceived(), 0u);
    d.job.window->resetStatistics();
    EXPECT_EQ(0u, d.job.window->bytesReceived());
    EXPECT_EQ(0u, d.job.window->elapsedMs());

    // The hour of the batch is over: its next project is not given one of
    // its own, and stops at once.
    d.skew += 60001;
    ASSERT_EQ(0, d.job.window->openProject(pb.c_str()));
    d.job.window->continueJob();
    ASSERT_TRUE(d.job.run());
    EXPECT_EQ(EnglishTexts().text(Window::kTextTimeLimit), d.job.window->jobMessage());
    EXPECT_TRUE(LoggedRequests(b.target("index.html")).empty());

    // Outside a batch the job the user starts counts its own limit.
    batch = false;
    ASSERT_EQ(0, d.job.window->openProject(pb.c_str()));
    d.job.window->continueJob();
    ASSERT_TRUE(d.job.run());
    EXPECT_EQ(2u, d.job.window->filesReceived());
    EXPECT_EQ(1u, LoggedRequests(b.target("index.html")).size());
}

}  // namespace enginetest
