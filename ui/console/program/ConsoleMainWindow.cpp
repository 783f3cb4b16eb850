#include "ui/console/program/ConsoleMainWindow.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Lang.h"
#include "app/LanguageFile.h"
#include "app/ZBraskLibrary.h"
#include "app/shell/Application.h"
#include "engine/JobFolder.h"
#include "engine/LocalPath.h"
#include "engine/ThreadData.h"
#include "platform/Clock.h"
#include "platform/File.h"
#include "platform/FolderLock.h"
#include "site/NodeUrl.h"

namespace {

constexpr uint32_t kCommandMessage = 0x0111;  // the window system's command message; wParam is the id
constexpr uint32_t kTerminalRedrawMs = 250;

volatile std::sig_atomic_t g_interrupts = 0;

// Only a flag is set here; the second interrupt ends the process, which
// _exit may do from a signal handler.
extern "C" void OnInterrupt(int) {
    if (g_interrupts) _exit(130);
    g_interrupts = 1;
}

// The files of the job that failed or are missing, in tree order.
std::vector<const ToBeOpenTN*> UnfinishedFiles(const ToBeOpenTN& root) {
    std::vector<const ToBeOpenTN*> left;
    ForEachNode(root, [&left](const ToBeOpenTN& t) {
        if (t.state == StateFailed || t.state == StateMissing) left.push_back(&t);
    });
    return left;
}

// Whether a file's error is one of the local file system (writing the
// copy) rather than of the network or the server.
bool LocalError(const ToBeOpenTN& n) {
    const auto code = static_cast<uint32_t>(n.lastError);
    // 10000 and up: the sockets' and the Internet library's codes; 38 (end
    // of file): a body too short to tell its type.
    if (code == 0 || code >= 10000 || code == ThreadData::kStopped || code == 38) return false;
    // A file: URL reads the local file system too: its errors may be the source's.
    return !AStr(nodeUrl(&n)).lower().startsWith("file:");
}

// Where the copy of a file goes, or "" when its URL gives no place.
std::string LocalPathOf(const ToBeOpenTN& n, const Window& engine) {
    AStr url = nodeUrl(&n);
    saving::PlaceRequest req;
    req.outputFlags = engine.project().outputFlags;
    req.url = url.view();
    req.outputFolder = engine.outputFolder().view();
    req.doNotCreate = true;
    AStr path;
    if (!saving::localPath(req, path)) return {};
    return path.c_str();
}

// For a path that cannot be found: the first folder on the way, below the
// output folder, that is a file instead.
std::string FileInTheWay(const std::string& path, const std::string& top) {
    for (size_t end = top.size() + 1; end < path.size(); ++end) {
        end = path.find(platform::kPathSep, end);
        if (end == std::string::npos) break;
        std::string part = path.substr(0, end);
        if (platform::FileExists(part.c_str())) return part;
        if (!platform::FolderExists(part.c_str())) break;
    }
    return {};
}

// Why a file ended unstored, in the terminal's encoding: the program's
// words for the error (the error text of its code), else those of the
// server or the internet library ("404 Not Found", "Connection refused");
// for a file that could not be written, where it was to go.
std::string WhyNotStored(const ToBeOpenTN& n, const Window& engine, const ConsoleOutput& out) {
    const auto code = static_cast<uint32_t>(n.lastError);
    // Left so by an earlier run and not tried again in this one: the tree
    // file keeps no error.
    if (code == 0) return out.say(n.state == StateMissing ? kTextMissingBefore : kTextFailedBefore);
    const AStr theirs = engine.failureWords(&n);
    if (code == ThreadData::kRefused)
        return theirs.empty() ? out.say(kTextRefused) : out.say(kTextServerAnswered, theirs.c_str());
    if (code == ThreadData::kNoBody) return out.say(kTextNoBody);
    if (code == ThreadData::kUnaskedPart) return out.say(kTextUnaskedPart);
    if (code == ThreadData::kSizeLimit) return out.say(kTextSizeLimit);
    const LangWithError& lang = ProgramLanguage();
    const bool ownText = !lang.text(static_cast<long long>(n.lastError) + 50).empty();
    const AStr words = ownText || theirs.empty() ? lang.errorText(n.lastError) : theirs;
    // The number too, unless the words are only the number again.
    std::string number = words == NumberedErrorText(n.lastError) ? "" : out.say(kTextErrorNumber, n.lastError);
    // The library's words are not in the language's code page.
    std::string shown = ownText || theirs.empty() ? out.fromCodePage(words.view()) : std::string(words.c_str());
    if (LocalError(n)) {
        std::string path = LocalPathOf(n, engine);
        if (!path.empty()) {
            int why = n.lastError;
            if (code == 3) {
                if (std::string file = FileInTheWay(path, engine.outputFolder().c_str()); !file.empty()) {
                    path = file;
                    why = platform::FolderLock::kNotAFolder;
                }
            }
            return out.say(kTextCannotWrite, path.c_str(), out.fromCodePage(lang.errorText(why).view()).c_str()) + number;
        }
    }
    return shown + number;
}

// At most this many of them are named when a job ends.
constexpr size_t kUnfinishedShown = 10;

}  // namespace

void ConsoleMainWindow::catchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

ConsoleMainWindow::ConsoleMainWindow(Application& app, platform::MessageQueue& queue, MessageLoop& loop, int codePage)
    : app_(app), queue_(queue), loop_(loop), out_(stderr, isatty(2) != 0, codePage) {
    EngineSettings settings;
    settings.agent = app_.start().options.internetAgent;
    settings.proxy = app_.proxy();
    settings.exitOnEnd = false;  // the run ends with its job or batch anyway
    settings.languageCode = app_.start().options.language;
    settings.skip.read(app_.settings());
    programConnection_.agent = settings.agent;
    programConnection_.proxy = settings.proxy;
    Application* a = &app_;
    engine_ = std::make_unique<Window>(static_cast<WindowViews&>(*this), queue_.handle(), app_.dialUp(),
                                       ProgramLanguage(), std::move(settings),
                                       [a] { return a->batchRunner().running(); });
}

ConsoleMainWindow::~ConsoleMainWindow() { engine_.reset(); }

void ConsoleMainWindow::setJobOptions(const JobOptions& options, bool quiet) {
    options_ = options;
    quiet_ = quiet;
    out_.setQuiet(quiet);
}

void ConsoleMainWindow::useConnection(const ApplicationProfile& project, const JobOptions& given) {
    JobConnection c = ConnectionOf(project, programConnection_, given);
    engine_->setConnection(c.agent, c.proxy);
}

void ConsoleMainWindow::saveOptions() {
    if (!options_.any() || refused_) return;
    Project& p = engine_->project();
    // Said at the end, when the whole project is saved again.
    if (p.save(nullptr) == 0) (void)options_.saveConnection(p);
}

void ConsoleMainWindow::worsen(Status s) { status_ = std::max(status_, static_cast<int>(s)); }

MessageLoop::Idle ConsoleMainWindow::idle() {
    showStatus(false);
    return engine_->idle();
}

void ConsoleMainWindow::afterIdle() {
    if (g_interrupts && !stopping_) {
        stopping_ = true;
        if (!jobIdle()) worsen(kStopped);
        if (app_.batchRunner().running()) {
            if (app_.batchRunner().nextIndex() < app_.batch().count()) worsen(kStopped);
            app_.batchRunner().end();
        }
        onCommand(Window::kCommandExit);
        return;
    }
    if (!jobIdle()) {
        jobRunning_ = true;
        return;
    }
    if (jobRunning_) {
        jobRunning_ = false;
        jobEnded();
    }
    if (!stopping_ && engine_->activeList().empty() && !app_.batchRunner().running() && app_.projectToOpen().empty())
        loop_.quit(status_);
}

void ConsoleMainWindow::jobEnded() {
    if (engine_->jobMessage() == ProgramLanguage().text(Window::kTextDiskFull)) worsen(kDiskFull);
    else if (std::vector<const ToBeOpenTN*> left = UnfinishedFiles(engine_->graph().root()); !left.empty()) {
        worsen(kSomeFailed);
        // Which files, so that the user need not search the copy for them.
        for (size_t i = 0; i < left.size() && i < kUnfinishedShown; ++i)
            out_.line(out_.say(kTextNotStored, nodeUrl(left[i]).c_str(), WhyNotStored(*left[i], *engine_, out_).c_str()));
        for (const ToBeOpenTN* n : left)
            if (LocalError(*n)) worsen(kCannotWrite);
        if (left.size() > kUnfinishedShown)
            out_.line(out_.say(kTextMoreNotStored, static_cast<unsigned>(left.size() - kUnfinishedShown)));
    }
}

void ConsoleMainWindow::dispatch(const platform::Message& m) {
    if (m.id >= 0xC000) {
        (void)engine_->dispatch(m);
    } else if (m.id == kCommandMessage) {
        onCommand(static_cast<uint32_t>(m.wParam));
    } else if (m.id == MessageLoop::kTimerMessage && m.wParam == static_cast<uintptr_t>(BatchRunner::kTimerId)) {
        app_.batchRunner().timerTick();
    }
}

void ConsoleMainWindow::postCommand(uint32_t command) {
    (void)platform::PostMessageTo(queue_.handle(), kCommandMessage, command, 0);
}

void ConsoleMainWindow::onCommand(uint32_t id) {
    if (id == Window::kCommandExit) {
        stopping_ = true;
        // A job still running is stopped first; the engine sends the
        // command again once its downloads have ended.
        if (mayClose()) loop_.quit(status_);
    } else if (id == Window::kCommandStartDownload) {
        engine_->continueJob();
        checkStarted();
    }
}

bool ConsoleMainWindow::mayClose() { return engine_->mayRunCommand(Window::kCommandExit); }

bool ConsoleMainWindow::startUrl(const char* url) {
    if (!engine_->mayRunCommand(Window::kCommandNewDownload)) return false;
    projectPath_.clear();
    unnamed_ = true;
    UnnamedJob job = options_.output ? JobInFolder(url, AStr(*options_.output), '/')
                                     : UnnamedJobFor(url, app_.start().options.braskDir, '/');
    if (job.taken) {
        // Its project would be written over.
        out_.line(out_.say(kTextFolderTaken, job.folder.c_str(), job.project.c_str()));
        worsen(kFolderInUse);
        return false;
    }
    defaultProject_ = job.project;
    // The same URL again is the same job: what it has is kept, and what is
    // missing fetched.
    if (job.continues) {
        if (!quiet_) out_.line(out_.say(kTextContinuingJob, job.project.c_str()));
        return openProject(job.project.c_str());
    }
    // The options go into the new mission before it starts.
    useConnection(ApplicationProfile(""), options_);
    // Named and written at its start, as at its end: a run killed half-way
    // leaves the project to continue.
    const JobOptions& options = options_;
    engine_->newJob(url, job.folder.c_str(), job.project.c_str(), [&options](Mission& m) { options.applyTo(m); });
    checkStarted();
    if (!refused_) (void)options_.saveConnection(engine_->project());
    return true;
}

void ConsoleMainWindow::checkStarted() {
    refused_ = engine_->folderError() != 0;
    if (refused_) worsen(engine_->folderError() == platform::FolderLock::kInUse ? kFolderInUse : kCannotWrite);
}

bool ConsoleMainWindow::open(const char* path) {
    // The engine says why when it cannot.
    if (engine_->openProject(path) != 0) return false;
    projectPath_ = path;
    unnamed_ = false;
    refused_ = false;
    return true;
}

bool ConsoleMainWindow::openProject(const char* path) {
    if (!open(path)) {
        worsen(kNoProject);
        return false;
    }
    options_.applyTo(engine_->project());
    useConnection(engine_->project(), options_);
    if (updateRun_) {
        showMessage(ProgramLanguage().text(Window::kTextRestarting));
        engine_->refreshJob();
    } else {
        engine_->continueJob();
    }
    checkStarted();
    saveOptions();
    return true;
}

bool ConsoleMainWindow::openProject(const AStr& path) {
    if (open(path.c_str())) {
        // A project of a batch runs with its own settings alone.
        useConnection(engine_->project(), JobOptions());
        return true;
    }
    worsen(kSomeFailed);
    return false;
}

void ConsoleMainWindow::saveAndCloseProject() {
    if (!projectPath_.empty() && !refused_) (void)engine_->saveProject(projectPath_.c_str());
}

AStr ConsoleMainWindow::chooseProjectFile() {
    if (!defaultProject_.empty()) projectPath_ = defaultProject_;
    return defaultProject_;
}

bool ConsoleMainWindow::startTimer(int id, uint32_t periodMs) {
    loop_.setTimer(static_cast<uint32_t>(id), periodMs);
    return true;
}

void ConsoleMainWindow::stopTimer(int id) { loop_.killTimer(static_cast<uint32_t>(id)); }

void ConsoleMainWindow::showMessage(const AStr& text) { ProgramTextSource().show(text); }

void ConsoleMainWindow::showStatusText(const AStr& text) { out_.note(text.view(), platform::TickCount()); }

void ConsoleMainWindow::showProgress(const AStr& text) { out_.note(text.view(), platform::TickCount(), true); }

void ConsoleMainWindow::showStatus(bool force) {
    uint32_t now = platform::TickCount();
    if (!force && now - lastStatus_ < kTerminalRedrawMs) return;
    lastStatus_ = now;
    JobStatus s;
    const BatchRunner& batch = app_.batchRunner();
    if (batch.running() && app_.batch().useStartTime && !batch.startReached()) {
        const StartTime& t = app_.batch().startTime;
        char when[32];
        std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u", t.year, t.month, t.day, t.hour, t.minute);
        s.waitingUntil = when;
    } else {
        s.received = engine_->filesReceived();
        s.queued = engine_->filesQueued();
        s.active = engine_->activeCount();
        s.failed = engine_->failedCount();
        s.bytesPerSecond = engine_->bytesPerSecond();
        s.bytes = engine_->bytesReceived();
        s.bytesLeft = bytesLeft();
    }
    struct winsize size {};
    out_.setWidth(ioctl(2, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0);
    out_.status(s, now, force);
}

int64_t ConsoleMainWindow::bytesLeft() const {
    if (engine_->filesQueued()) return -1;  // files still to come whose lengths no one knows
    int64_t left = 0;
    for (const BraskNode* e = engine_->activeList().firstEntry(); e; e = ActiveList::nextEntry(e)) {
        const ThreadData* w = e->worker();
        const uint32_t length = w ? w->contentLength() : ThreadData::kUnknownLength;
        if (length == ThreadData::kUnknownLength) return -1;
        const uint64_t got = w->bytesReceived();
        left += got < length ? static_cast<int64_t>(length - got) : 0;
    }
    return left;
}

void ConsoleMainWindow::finish() {
    // A job refused its folder was never ours: said at the start.
    if (!refused_) showStatus(true);
    out_.finish();
    if (projectPath_.empty() && defaultProject_.empty()) return;  // no job ran
    if (refused_) return;
    AStr project = projectPath_.empty() ? defaultProject_ : projectPath_;
    int r = engine_->saveProject(project.c_str());
    AStr folder = engine_->outputFolder();
    if (r == 0 && quiet_) return;
    out_.line(out_.say(kTextStoredCopy, folder.c_str()));
    if (r == 0) {
        out_.line(out_.say(kTextStartPage, (std::string(folder.c_str()) + "/start.htm").c_str()));
        out_.line(out_.say(kTextProject, project.c_str()));
        // The program's own path: it need not be on the user's PATH.
        std::string command = std::string(ProgramFolder().c_str()) + "zbrask ";
        std::string quoted = std::string("\"") + project.c_str() + "\"";
        out_.line(out_.say(kTextContinueWith, (command + "/f " + quoted).c_str()));
        out_.line(out_.say(kTextRefreshWith, (command + "--update " + quoted).c_str()));
    } else if (r > 0) {
        // In words, with the system's reason where there is one.
        out_.line(out_.say(kTextProjectNotSaved, project.c_str(),
                           out_.fromCodePage(ProgramLanguage().errorText(r).view()).c_str(), r));
    } else {
        out_.line(out_.say(kTextProjectNotSavedNoReason, project.c_str(), r));
    }
    if (r != 0) {
        // A full disk says why already.
        if (status_ != kDiskFull) worsen(kCannotWrite);
    }
}
