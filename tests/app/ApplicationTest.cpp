// A normal run of the program with a test main window: the order of the
// entry's steps, what each kind of command line does, the idle steps that
// drive the batch and the "/f" project, and the settings written at the
// end.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/CommandLine.h"
#include "app/Lang.h"
#include "app/MainWindow.h"
#include "app/Password.h"
#include "app/TestSupport.h"
#include "app/shell/Application.h"
#include "app/shell/ProgramEntry.h"
#include "batch/Batch.h"
#include "platform/Clock.h"
#include "platform/File.h"
#include "platform/FullPath.h"
#include "platform/Library.h"

namespace {

constexpr uint32_t kQuit = 0x8000 + 77;  // the test window's quit message

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The projects the batch opens, as the test window's batch host.
class TestBatchHost final : public BatchHost {
public:
    explicit TestBatchHost(std::vector<std::string>& log) : log_(log) {}

    std::set<std::string> existing;  // project files that open
    bool busy = false;                // a job is running

    bool idle() const override { return !busy; }
    bool hasNamedProject() const override { return !current_.empty(); }
    void saveAndCloseProject() override {
        log_.push_back("close " + current_);
        current_.clear();
    }
    bool openProject(const AStr& path) override {
        std::string p(path.view());
        if (!existing.count(p)) {
            log_.push_back("cannot open " + p);
            return false;
        }
        current_ = p;
        log_.push_back("batch open " + p);
        return true;
    }
    void resetStatistics() override { log_.push_back("reset"); }
    void startDialUpDeadline() override {}
    void command(int id) override { log_.push_back("command " + std::to_string(id)); }
    void postCommand(int id) override { log_.push_back("post " + std::to_string(id)); }
    void requestExit() override { log_.push_back("exit requested"); }
    bool startTimer(int id, uint32_t) override {
        log_.push_back("timer " + std::to_string(id));
        return true;
    }
    void stopTimer(int) override {}
    void restoreMenu() override { log_.push_back("batch ended"); }

private:
    std::vector<std::string>& log_;
    std::string current_;
};

// The main window as the shell sees it. Its idle step answers from a
// script; once the script is done and the application has nothing left
// to do (no batch, no waiting project) it posts the quit message.
class TestWindow final : public MainWindow {
public:
    static constexpr uint32_t kGuardTimer = 999;  // ends a loop that went to sleep with work left

    TestWindow(std::vector<std::string>& log, platform::MessageQueue& queue, MessageLoop& loop)
        : batch(log), log_(log), queue_(queue), loop_(loop) {}

    TestBatchHost batch;
    std::vector<MessageLoop::Idle> answers;
    bool quitAfterScript = false;  // also while the application has work left

    MessageLoop::Idle idle() override {
        log_.push_back("idle");
        if (!answers.empty()) {
            MessageLoop::Idle a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        Application* app = TheApplication();
        bool left = !quitAfterScript && app && (app->batchRunner().running() || !app->projectToOpen().empty());
        if (!left && !quitPosted_) {
            quitPosted_ = true;
            platform::PostMessageTo(queue_.handle(), kQuit, 0, 0);
        }
        return MessageLoop::Idle::Done;
    }
    void dispatch(const platform::Message& m) override {
        if (m.id == MessageLoop::kTimerMessage && m.wParam == kGuardTimer) {
            log_.push_back("stalled");
            loop_.quit(99);
        } else if (m.id == kQuit) {
            log_.push_back("quit");
            loop_.quit(static_cast<int>(m.wParam));
        } else {
            log_.push_back("message " + std::to_string(m.id));
        }
    }
    platform::WindowHandle handle() const override { return queue_.handle(); }
    bool jobIdle() const override { return !batch.busy; }
    bool startUrl(const char* url) override {
        log_.push_back(std::string("url ") + url);
        return true;
    }
    bool openProject(const char* path) override {
        log_.push_back(std::string("open project ") + path);
        return true;
    }
    void postCommand(uint32_t command) override { log_.push_back("post " + std::to_string(command)); }
    bool mayClose() override { return true; }
    BatchHost& batchHost() override { return batch; }

private:
    std::vector<std::string>& log_;
    platform::MessageQueue& queue_;
    MessageLoop& loop_;
    bool quitPosted_ = false;
};

// A front-end over the portable queue and loop, like the console's.
class TestFrontEnd final : public ApplicationFrontEnd {
public:
    TestFrontEnd(std::vector<std::string>& log, bool canCreate) : log_(log), canCreate_(canCreate), loop_(queue_) {}
    ~TestFrontEnd() override { log_.push_back("frame destroyed"); }

    MainWindow* createMainWindow(Application&) override {
        log_.push_back("create main window");
        if (!canCreate_) return nullptr;
        window = std::make_unique<TestWindow>(log_, queue_, loop_);
        if (setUp) setUp(*window);
        return window.get();
    }
    int runLoop(MessageLoop::Handler& handler) override {
        loop_.setTimer(TestWindow::kGuardTimer, 5000);
        return loop_.run(handler);
    }

    std::function<void(TestWindow&)> setUp;
    std::unique_ptr<TestWindow> window;
    platform::MessageQueue queue_;

private:
    std::vector<std::string>& log_;
    bool canCreate_;
    MessageLoop loop_;
};

class ApplicationRun : public ::testing::Test {
protected:
    ScratchFolder folder{"apprun"};
    std::vector<std::string> log;
    int updaterStarts = 0;

    std::string ini() const { return folder.file("zbrask.INI"); }

    // The whole entry, as the program runs it.
    int run(const char* commandLine, std::function<void(TestWindow&)> setUp = nullptr, bool canCreate = true) {
        ProgramEntry e;
        e.commandLine = commandLine;
        e.settings = ApplicationProfile(ini().c_str());
        e.languageFolder = folder.path().c_str();
        e.frontEnd = [&, setUp, canCreate] {
            auto fe = std::make_unique<TestFrontEnd>(log, canCreate);
            fe->setUp = setUp;
            return fe;
        };
        e.dialUp = [] { return std::make_unique<DialUp>(platform::RasFunctions{}); };
        e.updater = [this](void*) {
            ++updaterStarts;
            log.push_back("updater");
        };
        return RunZBrask(e);
    }
    static std::string full(const char* name) { return platform::FullPath(name, 259); }
};

}  // namespace

TEST_F(ApplicationRun, APlainFirstStartInItsOrder) {
    EXPECT_EQ(0, run(""));
    // The first run greets with a new download; the updater starts at the
    // first idle step, once; the frame goes with the application.
    EXPECT_EQ((std::vector<std::string>{"create main window", "post 121", "idle", "updater", "quit", "frame destroyed"}),
              log);
    EXPECT_EQ(1, updaterStarts);
    EXPECT_EQ(nullptr, TheApplication());
    EXPECT_TRUE(platform::FileExists(ini().c_str())) << "the save step writes the settings";
}

TEST_F(ApplicationRun, AFirstStartWithWorkOfItsOwnIsNotGreeted) {
    EXPECT_EQ(0, run("/url http://example.test/"));
    EXPECT_EQ((std::vector<std::string>{"create main window", "url http://example.test/", "idle", "updater", "quit",
                                        "frame destroyed"}),
              log);
}

TEST_F(ApplicationRun, ALaterStartIsNoFirstRun) {
    folder.write("zbrask.INI", "[Proxy]\r\nUse=0\r\n");
    EXPECT_EQ(0, run("   "));
    EXPECT_EQ((std::vector<std::string>{"create main window", "idle", "updater", "quit", "frame destroyed"}), log);
}

TEST_F(ApplicationRun, RunKindsOfTheCommandLine) {
    folder.write("zbrask.INI", "[DLoad]\r\nExitOnEnd=0\r\n");
    struct Row {
        const char* commandLine;
        std::vector<std::string> expected;  // the log between creation and the first idle step
    };
    const Row rows[] = {
        {"/url http://example.test/a b", {"url http://example.test/a"}},
        {"/URL \"http://example.test/x y\"", {"url http://example.test/x y"}},
        {"/url", {}},
        {"/f", {}},
        {"/bogus file.zbp", {}},
    };
    for (const Row& row : rows) {
        log.clear();
        EXPECT_EQ(0, run(row.commandLine)) << row.commandLine;
        std::vector<std::string> expected = {"create main window"};
        expected.insert(expected.end(), row.expected.begin(), row.expected.end());
        expected.insert(expected.end(), {"idle", "updater", "quit", "frame destroyed"});
        EXPECT_EQ(expected, log) << row.commandLine;
    }
}

TEST_F(ApplicationRun, AProjectOfSlashFIsOpenedWhenTheWindowHasNoMoreWork) {
    folder.write("zbrask.INI", "");
    EXPECT_EQ(0, run("/F \"my project.zbp\"", [](TestWindow& w) {
        w.answers = {MessageLoop::Idle::More, MessageLoop::Idle::Waiting, MessageLoop::Idle::Done};
    }));
    // Not a batch: opened as it is named, without ".zbp" or a full path,
    // and only after the idle step that reported no more work.
    EXPECT_EQ((std::vector<std::string>{"create main window", "idle", "updater", "idle", "idle", "open project my project.zbp",
                                        "idle", "quit", "frame destroyed"}),
              log);
}

TEST_F(ApplicationRun, AListOfFilesReplacesTheBatchAndRunsIt) {
    // The saved batch had a start time and exit on end: a list of files
    // clears both, and starts at once.
    folder.write("zbrask.INI",
                 "[MissionList]\r\ncount=1\r\n0=old.zbp\r\n[DLoad]\r\nExitOnEndBatch=1\r\n[Batch]\r\nUseStartTime=1\r\n");
    const std::string one = full("one.zbp"), two = full("my two.zbp"), three = full("three.prj");
    EXPECT_EQ(0, run("one \"my two\" three.prj", [&](TestWindow& w) { w.batch.existing = {one, three}; }));
    // Each project opens when the window is idle; the first resets the
    // statistics; one that cannot be opened is skipped. The batch's steps
    // keep the idle steps going although the window reports no work.
    EXPECT_EQ((std::vector<std::string>{"create main window", "idle", "updater", "batch open " + one, "reset",
                                        "command 125", "idle", "close " + one, "cannot open " + two,
                                        "batch open " + three, "command 125", "idle", "batch ended", "idle", "quit", "frame destroyed"}),
              log);
    std::string saved = ReadFile(ini());
    EXPECT_NE(std::string::npos, saved.find("[MissionList]\r\ncount=3\r\n0=" + one + "\r\n1=" + two + "\r\n2=" + three + "\r\n"))
        << saved;
    EXPECT_NE(std::string::npos, saved.find("ExitOnEndBatch=0")) << saved;
    EXPECT_NE(std::string::npos, saved.find("UseStartTime=0")) << saved;
}

TEST_F(ApplicationRun, AutoStartsTheSavedBatchWithItsSettings) {
    folder.write("zbrask.INI", "[MissionList]\r\ncount=1\r\n0=saved\r\n[DLoad]\r\nExitOnEndBatch=1\r\n");
    const std::string saved = full("saved.zbp");
    EXPECT_EQ(0, run("/AUTO", [&](TestWindow& w) { w.batch.existing = {saved}; }));
    // Exit on end of batch: the window is asked to end the program.
    EXPECT_EQ((std::vector<std::string>{"create main window", "idle", "updater", "batch open " + saved, "reset",
                                        "command 125", "idle", "exit requested", "post 199",
                                        "batch ended", "idle", "quit", "frame destroyed"}),
              log);
    EXPECT_NE(std::string::npos, ReadFile(ini()).find("0=" + saved)) << "entries are stored normalised";
}

TEST_F(ApplicationRun, ABatchWaitsWhileAJobRuns) {
    folder.write("zbrask.INI", "[MissionList]\r\ncount=1\r\n0=a.zbp\r\n");
    EXPECT_EQ(0, run("/auto", [](TestWindow& w) {
        w.batch.busy = true;
        w.quitAfterScript = true;
        w.batch.existing = {full("a.zbp")};
        w.answers = {MessageLoop::Idle::Waiting, MessageLoop::Idle::Waiting};
    }));
    for (const std::string& line : log) EXPECT_EQ(std::string::npos, line.find("batch open")) << line;
}

TEST_F(ApplicationRun, InstallTimeSwitchesAreAnsweredWithoutARun) {
    // In the words of the program's own English library.
    std::string library = std::string("zbenu") + platform::kLibraryExtension;
    {
        std::ifstream in(std::string(ZB_BINARY_DIR) + "/bin/" + library, std::ios::binary);
        ASSERT_TRUE(in) << "the build makes the language libraries in " ZB_BINARY_DIR "/bin";
        std::ofstream(folder.file(library), std::ios::binary) << in.rdbuf();
    }
    for (const char* line : {"/install", "/Shadow", "/uninstall x", "/REGISTER", "/unregister"}) {
        MessageBoxCapture boxes;
        log.clear();
        EXPECT_EQ(1, run(line)) << line;
        EXPECT_TRUE(log.empty()) << line << ": no main window";
        ASSERT_EQ(1u, boxes.boxes.size()) << line;
        std::string word = SplitProgramArguments(line).front();
        EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("\"" + word + "\"")) << boxes.boxes[0].text;
        EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("come later")) << boxes.boxes[0].text;
    }
    EXPECT_FALSE(platform::FileExists(ini().c_str())) << "an install-time run writes no settings";
}

TEST_F(ApplicationRun, AMainWindowThatCannotBeMadeEndsTheRunButTheSettingsAreSaved) {
    EXPECT_EQ(-1, run("/url http://example.test/", nullptr, false));
    EXPECT_EQ((std::vector<std::string>{"create main window", "frame destroyed"}), log);
    EXPECT_NE(std::string::npos, ReadFile(ini()).find("[Proxy]")) << "saved all the same";
}

TEST_F(ApplicationRun, OldLanguageNumbersBecomeCodes) {
    MakeTestLibrary(TestLibrary::Russian, folder.file(std::string("zbrus") + platform::kLibraryExtension));
    folder.write("zbrask.INI", "[Options]\r\nlanguage=1\r\n");
    EXPECT_EQ(0, run(""));
    EXPECT_NE(std::string::npos, ReadFile(ini()).find("[Options]\r\nlanguage=rus\r\n")) << ReadFile(ini());
    EXPECT_EQ(ProgramLanguage().text(22113), kRussianName);

    // A language whose library is missing falls back to one that exists.
    folder.write("zbrask.INI", "[Options]\r\nlanguage=deu\r\n");
    EXPECT_EQ(0, run(""));
    EXPECT_NE(std::string::npos, ReadFile(ini()).find("language=rus")) << ReadFile(ini());
}

TEST(LanguageNumbers, Migrated) {
    struct Row {
        const char* in;
        const char* out;
        bool changed;
    };
    for (const Row& r : {Row{"0", "enu", true}, Row{"1", "rus", true}, Row{"2", "2", false}, Row{"rus", "rus", false},
                         Row{"", "", false}}) {
        AStr code = r.in;
        EXPECT_EQ(r.changed, MigrateLanguageNumber(code)) << r.in;
        EXPECT_EQ(AStr(r.out), code) << r.in;
    }
}

namespace {
Application::Start StartWith(const std::string& ini, const char* commandLine) {
    Application::Start start;
    start.commandLine = commandLine;
    start.settings = ApplicationProfile(ini.c_str());
    return start;
}
}  // namespace

TEST_F(ApplicationRun, ADroppedUrlIsTakenOnlyWhileNoJobRuns) {
    auto fe = std::make_unique<TestFrontEnd>(log, true);
    TestFrontEnd* frontEnd = fe.get();
    Application app(StartWith(ini(), ""), std::move(fe), std::make_unique<DialUp>(platform::RasFunctions{}),
                    [](void*) {});
    EXPECT_FALSE(app.dropUrl("http://example.test/")) << "no main window yet";
    ASSERT_TRUE(app.initInstance());
    EXPECT_TRUE(app.dropUrl("http://example.test/"));
    EXPECT_FALSE(app.dropUrl(""));
    frontEnd->window->batch.busy = true;
    EXPECT_FALSE(app.dropUrl("http://example.test/busy"));
    EXPECT_EQ((std::vector<std::string>{"create main window", "url http://example.test/"}), log);
}

TEST_F(ApplicationRun, TheSaveStepWritesEverySettingInItsOrder) {
    Application app(StartWith(ini(), ""), std::make_unique<TestFrontEnd>(log, true),
                    std::make_unique<DialUp>(platform::RasFunctions{}), [](void*) {});
    app.batch().add("a.zbp");
    app.batch().startTime = StartTime{2027, 3, 0, 4, 5, 6, 7, 0};
    app.dialUp().dialParams.entryName = "ISP";
    app.stored().exitOnEnd = true;
    app.stored().proxy = {true, "proxy:3128", "user", "secret", true};
    app.save();
    const std::string written = ReadFile(ini());
    EXPECT_EQ("[Dial Up]\r\nEntry=ISP\r\nSave Password=0\r\nUserName=\r\nPassword=\r\nUsage=0\r\nHangUp=0\r\n"
              "Time Limit=3600000\r\n"
              "[Dial Up.ISP]\r\nPhoneList=0\r\nUserName=\r\nPassword=\r\n"
              "[DLoad]\r\nExitOnEnd=1\r\nExitOnEndBatch=0\r\n"
              "[Proxy]\r\nUse=1\r\nAddress=proxy:3128\r\nSave Password=1\r\nUser=user\r\nPassword=" +
                  std::string(EncodePassword("secret").view()) +
                  "\r\n"
                  "[MissionList]\r\ncount=1\r\n0=a.zbp\r\n"
                  "[Batch]\r\nUseStartTime=0\r\ntm_sec=7\r\ntm_min=6\r\ntm_hour=5\r\ntm_mday=4\r\ntm_mon=3\r\n"
                  "tm_year=2027\r\n",
              written);

    // What the next start reads is what was written, and writing it again
    // changes nothing but the place of the batch list, whose section is
    // cleared first and so comes back at the end, as the private-profile
    // calls do it.
    Application again(StartWith(ini(), ""), std::make_unique<TestFrontEnd>(log, true),
                      std::make_unique<DialUp>(platform::RasFunctions{}), [](void*) {});
    EXPECT_TRUE(again.exitOnEnd());
    EXPECT_EQ(AStr("secret"), again.proxy().password);
    EXPECT_EQ("ISP", again.dialUp().dialParams.entryName);
    EXPECT_EQ(1u, again.batch().count());
    EXPECT_EQ(2027, again.batch().startTime.year);
    again.save();
    std::string moved = written;
    const std::string list = "[MissionList]\r\ncount=1\r\n0=a.zbp\r\n";
    moved.erase(moved.find(list), list.size());
    EXPECT_EQ(moved + list, ReadFile(ini()));
}
