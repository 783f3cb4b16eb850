#pragma once
// The download engine of the main window: the running job's state and
// counters, the active downloads, the rewrite and orphan lists, and the
// idle step that drives them all. Workers report through the two
// registered messages; everything here runs on the window's thread, so the
// link graph and the project are touched by this thread alone.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/MessageLoop.h"
#include "app/ProxySettings.h"
#include "engine/ActiveNode.h"
#include "engine/OnceList.h"
#include "engine/PageRewriter.h"
#include "engine/StrayCopies.h"
#include "engine/StubPages.h"
#include "engine/TransferRate.h"
#include "engine/WindowViews.h"
#include "framework/AStr.h"
#include "platform/FolderLock.h"
#include "site/FileClasses.h"
#include "site/LinkFlags.h"
#include "site/LinkGraph.h"
#include "site/NodeMarks.h"
#include "site/MissionFilter.h"
#include "site/Project.h"

class DialUp;
class Lang;
class ThreadData;

// Program-wide settings the engine reads when it starts downloads and ends
// a job.
struct EngineSettings {
    AStr agent;                 // "Options" / "InternetAgent"; empty sends the program's own
    ProxySettings proxy;
    bool exitOnEnd = false;     // "DLoad" / "ExitOnEnd"
    AStr languageCode = "enu";  // code-page detection is off for "ger"
    SkipList skip;              // "Extensions" / "Skip"
};

class Window {
public:
    static constexpr const char* kDefaultAgent = "Zelko Brask 3.3";
    static constexpr uint32_t kConnectWaitMs = 5000;
    static constexpr uint32_t kStopWaitMs = 5000;
    static constexpr uint32_t kStatusRefreshMs = 20000;
    static constexpr int kMaxRetries = 3;
    // Downloads at once however "MaxNumThread" reads (0 or below: no limit
    // of the job's own), so that no hand-edited project opens hundreds of
    // connections to one server.
    static constexpr uint32_t kMostAtOnce = 32;
    // A running job's tree file is written again once a twentieth of the
    // files it knows were settled since the last write (at least one: a
    // download ended, a page was rewritten) and this many times what a
    // write takes (the least of the last four) has passed, so that writing
    // takes at most about a twentieth of the job's time, and about twenty
    // writes of the graph however slowly the servers answer; after
    // kSaveIntervalMs a changed graph is written anyway.
    static constexpr uint32_t kSaveCostFactor = 20;
    static constexpr uint32_t kSettledShare = 20;
    static constexpr uint32_t kSaveIntervalMs = 30000;

    // Commands of the main window the engine posts.
    static constexpr uint32_t kCommandNewDownload = 121;
    static constexpr uint32_t kCommandStartDownload = 125;
    static constexpr uint32_t kCommandExit = 199;

    // Texts of the job message.
    enum : int {
        kTextTimeLimit = 22013,
        kTextSizeLimit = 22014,
        kTextFileLimit = 22015,
        kTextStopping = 22068,
        kTextCanceled = 22069,
        kTextComplete = 22071,
        kTextRestarting = 22088,
        kTextDiskFull = 22090,
        kTextSaveChanged = 22012,
        kTextFolderInUse = 22091,     // the output folder (%s) is another program's
        kTextFolderUnusable = 22092,  // the output folder (%s) cannot be written: the reason (%s)
        kTextProjectMissing = 22037,  // the project file (%s) cannot be found
    };

    enum JobState : uint32_t { kIdle = 0, kRunning = 1, kFinishing = 2, kFinishingForCommand = 3, kDialing = 4 };

    // self: where the workers post their messages (the window's queue).
    // batchRunning: whether a batch runs now (then the job's end does not
    // end the program).
    Window(WindowViews& views, platform::WindowHandle self, DialUp& dialUp, const Lang& lang, EngineSettings settings,
           std::function<bool()> batchRunning = nullptr);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The idle step: More after work done, Waiting while only the running
    // downloads can make progress, Done when the job is idle.
    MessageLoop::Idle idle();
    // Handles "_WM_THREADEND" and "_WM_BYTESREAD"; false for other messages.
    bool dispatch(const platform::Message& m);

    // False when the job cannot start: its output folder is another
    // program's or cannot be written (folderError() says which; the job
    // message says it in words).
    bool startJob(bool requeue, bool reset, bool clear);
    bool startDownload(ToBeOpenTN& node);
    void onThreadEnd(int status, ThreadData* worker);
    void onBytesRead(uint32_t bytes, ThreadData* worker);
    void stopDownload(BraskNode& entry);
    // Stops every download, waiting at most kStopWaitMs for their threads.
    void stopAll();
    bool anyActive() const;

    // The gate of commands that need an idle job. True: go ahead now.
    // False: held back until the downloads wound down (posted again then),
    // or canceled by the user.
    bool mayRunCommand(uint32_t command);

    // Job set-up. A new job with one start URL saving into outputPath,
    // started at once. With a projectPath the project and its tree file
    // are written there at once, and the tree file again while the job
    // runs, so that a job killed at any moment can be continued; without
    // one the job stays unnamed until the user names it.
    // adjust, when given, changes the new mission before the job starts
    // (the terminal program's options).
    void newJob(const char* url, const char* outputPath, const char* projectPath = nullptr,
                const std::function<void(Mission&)>& adjust = nullptr);
    // The user agent and proxy of the downloads started from now on.
    void setConnection(const AStr& agent, const ProxySettings& proxy) {
        settings_.agent = agent;
        settings_.proxy = proxy;
    }
    // Whether a job's end outside a batch ends the program.
    void setExitOnEnd(bool on) { settings_.exitOnEnd = on; }
    // Opens a project file and its tree file as the current job (idle),
    // the tree's queue weighed by this project's start URLs and filters;
    // 0, or -1 when the project file cannot be read (the job message says
    // so). A tree file that cannot be read is said too and kept aside
    // under a name of its own, so that the next save does not overwrite it.
    int openProject(const char* path);
    // Continues the current job: start URLs entered again, failed nodes
    // queued again.
    void continueJob();
    // Fetches every received file again (answered 304 when unchanged).
    void refreshJob();
    // The user asked for one node that was not fetched: it is queued
    // whatever the filters and the user's marks said, and a job at rest
    // starts for it. False when the node may not be fetched at all (the
    // root, a download that runs, a local file the job does not allow).
    bool fetchNode(ToBeOpenTN& node);
    // The user's stop: the running downloads are stopped (their partial
    // data kept for a resume), the pages that wait are rewritten, and the
    // job ends idle with message as its job message. A job that dials
    // stops dialing. Nothing happens while no job runs.
    void stopJob(const AStr& message);

    // Dial-up duties. The connection's time limit counts from now: a batch
    // calls this once, at its first project; outside a batch every job the
    // user starts (new, continued, refreshed) counts it from its start.
    void startDialUpDeadline();
    // The job's statistics start again (time, bytes, rate, failures): a
    // batch, at its first project.
    void resetStatistics();
    // Makes the dial-up connection while no job runs (the window waits in
    // the dialling state until it is up), and hangs up the program's own.
    void connectDialUp();
    void hangUpDialUp();

    // Deletes what the job downloaded: every node's stored and partial
    // file, the start page ("start.htm", "start.html") and its picture
    // ("zelko.gif"), the folders this leaves empty, and the output folder
    // itself when nothing else is in it. The graph starts again from the
    // start URLs; the project stays. Only while idle: -1 otherwise, else
    // the number of files that could not be deleted.
    int deleteDownloads();
    // Writes the project file and the tree file at path (the project's
    // name from then on). 0, or the first error.
    int saveProject(const char* path);
    // Writes the tree file beside the named project when the graph changed,
    // and with it "start.htm" in the output folder, leading to the start
    // URLs' copies. While the job runs, the nodes of its downloads are
    // recorded as queued and the job goes on undisturbed (no start page
    // then).
    int saveTreeIfChanged();
    // Why the output folder could not be had at the last start or save:
    // 0, platform::FolderLock::kInUse (another program works in it), or
    // the error of writing there (platform::FolderLock::kNotAFolder for a
    // file in its place).
    int folderError() const { return folderError_; }

    // What the views show.
    uint32_t jobState() const { return jobState_; }
    uint32_t activeCount() const { return activeCount_; }
    uint32_t filesReceived() const { return graph_.counters.receivedFiles; }
    uint32_t filesChanged() const { return graph_.counters.changedFiles; }
    uint32_t filesQueued() const { return graph_.counters.queuedFiles + graph_.counters.queuedPictures; }
    uint32_t pagesRewritten() const { return pagesRewritten_; }
    uint32_t bytesReceived() const { return bytesReceived_; }
    // Files whose last download of this job failed: one that came on a
    // later try no longer counts, nor does one tried again and again.
    uint32_t failedCount() const { return static_cast<uint32_t>(failed_.size()); }
    // Why a file of this run ended unstored in words not of the program's:
    // its server's status line ("404 Not Found") or the internet library's
    // own words; "" when there are none. In memory only.
    AStr failureWords(const ToBeOpenTN* node) const;
    double bytesPerSecond() const;
    const AStr& jobMessage() const { return jobMessage_; }
    bool errorSeen() const { return errorSeen_; }
    bool jobStarted() const { return jobStartTick_ != 0; }
    // Milliseconds since the job started, held at the job's end.
    uint32_t elapsedMs() const;
    const ActiveList& activeList() const { return active_; }
    // Set by status reports from any thread; the thread view clears it.
    std::atomic<bool>& viewChanged() { return viewChanged_; }

    Project& project() { return project_; }
    const Project& project() const { return project_; }
    LinkGraph& graph() { return graph_; }
    const AStr& outputFolder() const { return graph_.outputFolder; }
    bool graphChanged() const { return graphChanged_; }

    // The user's marks on the selected items, in the view's order (see
    // NodeMarks): a skipped node's running download is stopped, a copy
    // dropped is deleted, and a changed flag makes the tree file due. Each
    // returns how many items stood for a node; starting the job afterwards
    // is the command's.
    size_t skipNodes(const std::vector<MarkItem>& items, MarkView view);
    size_t includeNodes(const std::vector<MarkItem>& items, MarkView view);
    size_t preferNodes(const std::vector<MarkItem>& items, MarkView view);
    size_t unpreferNodes(const std::vector<MarkItem>& items, MarkView view);
    size_t flatLinks(const std::vector<MarkItem>& items, bool on);

    // The time source, replaceable in tests.
    std::function<uint32_t()> clock;

    // A page's links are taken into the graph this long before their
    // progress is shown (every 10 links).
    static constexpr uint32_t kLinkProgressAfterMs = 1000;

private:
    uint32_t now() const;
    MessageLoop::Idle idleRunning();
    MessageLoop::Idle idleFinishing();
    void setState(JobState s);
    // Applies the mission to the graph, filter and pages before a start.
    void prepareJob();
    void enterStartUrls(bool starting);
    // Takes the output folder for this program while it works in it: 0, or
    // the reason (kept as folderError()).
    int takeOutputFolder();
    // The job message for a folder that could not be had.
    AStr folderErrorText() const;
    // Writes the tree file of a running job when it is due (see
    // kSaveCostFactor).
    void saveWhileRunning();
    // Shows a tree file that could not be read, and moves it aside.
    void reportDamagedTree(int text, const AStr& path);
    // A limit text, or 0.
    int limitReached() const;
    void stopLongRunning(bool stopEveryOne);
    bool dialUpReady();
    // A job the user starts: outside a batch its time limit counts from now.
    void armDeadlineOutsideBatch();
    // A page's resolved links into the graph, with their progress shown
    // when they take long.
    void takeLinks(ToBeOpenTN& page, const std::vector<ResolvedLink>& links);
    void rewritePage(ToBeOpenTN& page);
    // One orphan candidate removed with its files; its referrers rewritten.
    void removeOrphan();
    void rewriteDeferred();
    ToBeOpenTN* firstUnrewritten();
    bool linksReady(const ToBeOpenTN& page) const;
    bool expected(const ToBeOpenTN& target) const;
    void unrewrite(ToBeOpenTN& page);
    void applyFailure(ToBeOpenTN& node, uint32_t code);
    // Whether a failure with this code uses up one of the file's tries.
    bool countsAsTry(uint32_t code) const;
    void applySuccess(ToBeOpenTN& node, int status, ThreadData& worker);
    void settleReferrers(ToBeOpenTN& node);
    BraskNode* entryOf(const void* worker) const;
    void forget(ToBeOpenTN* node);
    void deleteLocalFiles(ToBeOpenTN& node);
    void hookMarks();
    size_t takeMarks(size_t items);
    // Deletes the file at a node's path relative to the output folder and
    // clears the path.
    void deleteNodeFile(AStr& relative);
    bool isPicture(const ToBeOpenTN& n) const { return (n.flags & FlagPicture) != 0; }
    bool isRewritten(const ToBeOpenTN& n) const { return (n.flags & FlagRewritten) != 0; }

    WindowViews& views_;
    platform::WindowHandle self_;
    DialUp& dialUp_;
    const Lang& lang_;
    EngineSettings settings_;
    std::function<bool()> batchRunning_;

    Project project_;
    MissionFilter filter_;
    LinkGraph graph_;
    PageRewriter rewriter_;
    StubPages stubs_;
    NodeMarks marks_;

    ActiveList active_;
    TransferRate rate_;
    OnceList rewriteQueue_;
    OnceList deferredRewrites_;
    std::atomic<bool> viewChanged_{false};
    std::unordered_set<const ToBeOpenTN*> failed_;  // compared, never followed
    std::unordered_map<const ToBeOpenTN*, AStr> failureWords_;  // likewise

    uint32_t jobState_ = kIdle;
    uint32_t activeCount_ = 0;
    uint32_t pagesRewritten_ = 0;
    uint32_t bytesReceived_ = 0;
    // Bytes of this job as the workers receive them, which the size limit
    // is held to; the reports that fill bytesReceived_ come seconds late.
    std::atomic<uint64_t> arrivedBytes_{0};
    uint32_t jobStartTick_ = 0;
    uint32_t activityTick_ = 0;
    uint32_t statusTick_ = 0;
    uint32_t endTick_ = 0;
    uint32_t deadline_ = 0;
    bool connectionWanted_ = false;  // connectDialUp: dial while idle
    uint32_t linksStart_ = 0;        // when takeLinks began
    bool linkProgressShown_ = false;
    AStr jobMessage_;
    uint32_t pendingCommand_ = 0;
    bool errorSeen_ = false;
    bool graphChanged_ = false;

    platform::FolderLock folderLock_;
    int folderError_ = 0;
    uint32_t settled_ = 0;          // node changes worth keeping: downloads ended, pages rewritten
    uint32_t settledAtSave_ = 0;
    uint32_t lastSaveTick_ = 0;
    uint32_t saveCosts_[4] = {};    // what the last writes took, in microseconds
    uint32_t saveCount_ = 0;
    uint32_t saveCostUs_ = 0;       // the least of them
    bool straysPending_ = false;    // stray copies removed at the next start
    StrayCopies strays_;            // the copies of nodes lost with a damaged tree file
};
