#include "engine/Window.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <vector>

#include "app/Lang.h"
#include "batch/DialUp.h"
#include "engine/LocalPath.h"
#include "engine/ThreadData.h"
#include "platform/Clock.h"
#include "platform/File.h"
#include "site/LinkSafety.h"
#include "site/LocalPaths.h"
#include "site/ResolveLinks.h"
#include "site/TreeFile.h"

namespace {

// Flags of a download that a reset takes off.
constexpr uint32_t kFlagDownloadMark = 0x10;

}  // namespace

Window::Window(WindowViews& views, platform::WindowHandle self, DialUp& dialUp, const Lang& lang,
               EngineSettings settings, std::function<bool()> batchRunning)
    : views_(views),
      self_(self),
      dialUp_(dialUp),
      lang_(lang),
      settings_(std::move(settings)),
      batchRunning_(std::move(batchRunning)),
      filter_(project_, settings_.skip),
      graph_(filter_),
      rewriter_(graph_),
      stubs_(graph_, PageLanguage{lang_, settings_.languageCode.view()}),
      marks_(graph_) {
    stubs_.installInGraph();
    hookMarks();
    graph_.reportError = [this](int text, std::string_view file) { reportDamagedTree(text, AStr(file)); };
    // The tree file read or written: a passing text of the status line
    // (0 gives it back to the job's own).
    graph_.showStatus = [this](int text) { views_.showStatusText(text ? lang_.text(text) : AStr()); };
    graph_.progress = [this](size_t done, size_t total) {
        if (!platform::TickPassed(now(), linksStart_ + kLinkProgressAfterMs)) return;
        linkProgressShown_ = true;
        views_.showProgress(lang_.format(kTextLinkProgress, static_cast<int>(done), static_cast<int>(total)));
    };
    graph_.nodeChanged = [this](ToBeOpenTN& n) {
        // A node leaving the queue or a download is work a save keeps.
        if (n.state != StateQueued && n.state != StateLoading) ++settled_;
        views_.updateNode(&n);
    };
    graph_.showNode = [this](ToBeOpenTN& n) { views_.nodeAdded(&n); };
    graph_.rebuildViews = [this] { views_.graphReset(); };
}

Window::~Window() {
    stopAll();
    // A worker still using its entry's session after the wait keeps it:
    // the entry is given up rather than freed under the worker.
    while (BraskNode* e = active_.firstEntry()) {
        active_.remove(e);
        ThreadData* w = e->worker();
        if (w && !w->waitFinished(kStopWaitMs)) continue;
        if (w) w->release();
        delete e;
    }
    // The main window goes: the line the program dialled goes with it when
    // so set.
    if (dialUp_.hangUpWhenDone) dialUp_.hangUpOwnConnection();
}

uint32_t Window::now() const { return clock ? clock() : platform::TickCount(); }

double Window::bytesPerSecond() const { return rate_.bytesPerSecond(now()); }

uint32_t Window::elapsedMs() const {
    if (!jobStartTick_) return 0;
    bool ended = jobState_ == kIdle && endTick_ != 0 && !platform::TickPassed(jobStartTick_, endTick_);
    return (ended ? endTick_ : now()) - jobStartTick_;
}

void Window::setState(JobState s) {
    jobState_ = s;
    activityTick_ = now();
}

bool Window::anyActive() const {
    for (BraskNode* e = active_.firstEntry(); e; e = ActiveList::nextEntry(e))
        if (e->isOpen()) return true;
    return false;
}

BraskNode* Window::entryOf(const void* worker) const {
    for (BraskNode* e = active_.firstEntry(); e; e = ActiveList::nextEntry(e))
        if (static_cast<const Thread*>(e->worker()) == worker) return e;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Messages

bool Window::dispatch(const platform::Message& m) {
    if (m.id == Thread::endMessage()) {
        // Only a worker of ours is looked at: the pointer is compared, never
        // followed, before it is found among the entries.
        BraskNode* e = entryOf(reinterpret_cast<const void*>(m.lParam));
        onThreadEnd(static_cast<int>(m.wParam), e ? e->worker() : nullptr);
        return true;
    }
    if (m.id == ThreadBase::bytesReadMessage()) {
        BraskNode* e = entryOf(reinterpret_cast<const void*>(m.lParam));
        if (e) onBytesRead(static_cast<uint32_t>(m.wParam), e->worker());
        return true;
    }
    return false;
}

void Window::onBytesRead(uint32_t bytes, ThreadData* worker) {
    BraskNode* e = entryOf(worker);
    if (!e) return;
    uint32_t length = worker->contentLength();
    if (length != ThreadData::kUnknownLength && length != 0) {
        // A resumed download's length is that of the part still to come.
        uint64_t whole = static_cast<uint64_t>(worker->resumeOffset()) + length;
        uint64_t received = static_cast<uint64_t>(worker->resumeOffset()) + worker->bytesReceived();
        e->percent = static_cast<int32_t>(std::min<uint64_t>(100, (received * 100 + whole / 2) / whole));
    }
    bytesReceived_ += bytes;
    rate_.add(bytes, now());
    views_.refreshStatusBar();
}

void Window::onThreadEnd(int status, ThreadData* worker) {
    BraskNode* e = worker ? entryOf(worker) : nullptr;
    if (!e) return;  // not ours: nothing of it may be touched
    uint32_t code = worker->waitForExitCode();

    active_.remove(e);
    if (e->isOpen()) {
        if (activeCount_) --activeCount_;
        e->close();
    }
    ToBeOpenTN* node = e->node();
    delete e;
    viewChanged_ = true;
    views_.refreshThreadView();
    graphChanged_ = true;

    if (node) {
        node->activeDownload = nullptr;
        node->savedFile = graph_.relativePath(worker->savedFile().view());
        node->rawFile = graph_.relativePath(worker->partialFile().view());
        node->codePage = static_cast<uint16_t>(worker->codePage());
        strays_.stored(graph_, *node);
        if (node->lastError) views_.updateNode(node);
        if (code == 0 && (node->savedFile.empty() || !platform::FileExists(worker->savedFile().c_str()))) {
            int probe = platform::ProbeFile(worker->savedFile().c_str());
            code = probe ? static_cast<uint32_t>(probe) : 2;
        }
        node->lastError = static_cast<int32_t>(code);
        const AStr& words = code == ThreadData::kRefused ? worker->statusLine() : worker->libraryWords();
        if (code == 0 || words.empty()) failureWords_.erase(node);
        else failureWords_[node] = words;
        if (code != 0) applyFailure(*node, code);
        else applySuccess(*node, status, *worker);
        views_.updateNode(node);
    }
    views_.refreshStatusBar();
    viewChanged_ = true;
    worker->release();
}

void Window::applyFailure(ToBeOpenTN& node, uint32_t code) {
    if (code == 3 || code == ThreadData::kRefused) {
        failed_.erase(&node);
        graph_.setState(node, StateMissing);
        return;
    }
    if (code == ThreadData::kDiskFull) {
        stopAll();
        setState(kIdle);
        jobMessage_ = lang_.text(kTextDiskFull);
        views_.showMessage(jobMessage_);
        views_.refreshStatusBar();
    } else if (countsAsTry(code) && node.retries < 255) {
        // Whatever arrived: a server that sends some bytes and then fails
        // would otherwise be asked again without end.
        ++node.retries;
    }
    errorSeen_ = true;
    failed_.insert(&node);
    graph_.setState(node, StateFailed);
    // Failed for good: its partial data waits for no resume.
    if (node.retries >= kMaxRetries) deleteNodeFile(node.rawFile);
}

AStr Window::failureWords(const ToBeOpenTN* node) const {
    auto it = failureWords_.find(node);
    return it == failureWords_.end() ? AStr() : it->second;
}

bool Window::countsAsTry(uint32_t code) const {
    // The job's own limit is no fault of the file's, nor a stop of the
    // whole job (the user, a limit, the dial-up line); a download stopped
    // for taking too long while the job runs is one.
    if (code == ThreadData::kSizeLimit) return false;
    return code != ThreadData::kStopped || jobState_ == kRunning;
}

void Window::applySuccess(ToBeOpenTN& node, int status, ThreadData& worker) {
    failed_.erase(&node);
    node.flags &= ~(kFlagDownloadMark | FlagOtherCodePage);
    // A style sheet, reached as a picture, holds links like a page: it is
    // handled, counted and rewritten as one from now on.
    if (status != 304 && worker.styleSheet()) node.flags &= ~FlagPicture;
    if (!isPicture(node)) {
        if (status != 304) {
            if (!(node.flags & FlagChanged)) ++graph_.counters.changedFiles;
            node.flags |= FlagChanged;
            if (isRewritten(node) && !(node.flags & FlagStub) && pagesRewritten_) --pagesRewritten_;
            node.flags &= ~(FlagRewritten | FlagStub);
        }
        if (!(node.flags & FlagReceived)) ++graph_.counters.receivedFiles;
    }
    node.flags |= FlagReceived;

    if (status != 304) {
        if (isPicture(node)) {
            // A picture stays one only while every link to it is a picture link.
            for (ToBeOpenTN* from : node.referrers) {
                bool pictureLink = true;
                for (ExtractNode* l : each<ExtractNode>(from->links))
                    if (l->target == &node && !(l->flags & FlagPicture)) pictureLink = false;
                if (!pictureLink) { node.flags &= ~FlagPicture; break; }
            }
        }
        if (isPicture(node)) {
            node.title.clear();
            graph_.setState(node, StateDone);
        } else {
            AStr own = graph_.urlOf(node);
            node.baseUrl = worker.baseUrl() == own ? AStr() : worker.baseUrl();
            node.title = worker.title();
            graph_.replaceLinks(node, worker.links());
            graph_.setState(node, StateDone);
            takeLinks(node, worker.resolvedLinks());
            // The resolved texts are used up: a page of many links would
            // keep them until the download's end.
            std::vector<ResolvedLink>().swap(worker.resolvedLinks());
            if (linksReady(node)) rewriteQueue_.add(&node);
        }
    } else {
        if (isRewritten(node)) {
            unrewrite(node);
            if (!(node.flags & FlagStub) && pagesRewritten_) --pagesRewritten_;
        }
        node.flags &= ~FlagStub;
        std::vector<ResolvedLink> links;
        AStr own = graph_.urlOf(node);
        ResolveLinks(node.links, own.view(), node.baseUrl.empty() ? own.view() : node.baseUrl.view(), false, links);
        graph_.setState(node, StateDone);
        graph_.forgetReferrers(node);
        takeLinks(node, links);
        if (!isPicture(node) && linksReady(node)) rewriteQueue_.add(&node);
    }
    settleReferrers(node);
}

void Window::settleReferrers(ToBeOpenTN& node) {
    for (ToBeOpenTN* page : node.referrers) {
        if (!page || page->isRoot() || page == &node) continue;
        // A page waiting for its own download (a refresh queues them all)
        // is left alone: it is rewritten once it has been fetched.
        if (isRewritten(*page) && page->state != StateLoading && page->state != StateQueued) {
            bool counted = !isPicture(*page) && !(page->flags & FlagStub);
            unrewrite(*page);
            graph_.setState(*page, StateDone);
            page->flags &= ~FlagStub;
            if (counted && pagesRewritten_) --pagesRewritten_;
        }
        if (!isRewritten(*page) && !isPicture(*page) && page->state == StateDone && linksReady(*page))
            rewriteQueue_.add(page);
        views_.updateNode(page);
    }
}

void Window::takeLinks(ToBeOpenTN& page, const std::vector<ResolvedLink>& links) {
    linksStart_ = now();
    linkProgressShown_ = false;
    graph_.processLinks(page, links);
    if (linkProgressShown_) views_.showStatusText(AStr());
}

bool Window::expected(const ToBeOpenTN& t) const {
    if (t.flags & (FlagExcluded | FlagSkipped | FlagOtherCodePage)) return false;
    if (t.state == StateNew && (t.flags & FlagStub)) return false;
    if (t.state == StateMissing || t.state == StateFailed) return false;
    if (isPicture(t) && !project_.allowPicture) return false;
    if (t.flags & FlagReceived) return false;
    // A node that nobody will fetch is not waited for either.
    return t.state == StateQueued || t.state == StateLoading;
}

bool Window::linksReady(const ToBeOpenTN& page) const {
    for (ExtractNode* l : each<ExtractNode>(page.links)) {
        const ToBeOpenTN* t = l->target;
        if (!t || t == &page) continue;
        if (t->state == StateLoading || expected(*t)) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Downloads

bool Window::startDownload(ToBeOpenTN& node) {
    node.lastError = 0;
    if (node.flags & FlagOtherCodePage) deleteLocalFiles(node);
    strays_.reclaim(graph_, node);

    const ProxySettings& p = settings_.proxy;
    const char* agent = settings_.agent.empty() ? kDefaultAgent : settings_.agent.c_str();
    auto* e = p.use ? new BraskNode(&node, &viewChanged_, agent, platform::inet::kOpenProxy, p.address.c_str(),
                                    p.user.c_str(), p.password.c_str())
                    : new BraskNode(&node, &viewChanged_, agent, platform::inet::kOpenPreconfig, nullptr, "", "");

    AStr referrer;
    if (const ToBeOpenTN* from = node.referrers.first(); from && !from->isRoot())
        referrer = graph_.urlOf(*from);
    AStr url = graph_.urlOf(node);
    AStr saved = node.savedFile.empty() || !isSafeRelativePath(node.savedFile) ? AStr() : graph_.absolutePath(node.savedFile);
    AStr raw = node.rawFile.empty() || !isSafeRelativePath(node.rawFile) ? AStr() : graph_.absolutePath(node.rawFile);
    auto* w = new ThreadData(e, url.c_str(), referrer.c_str(), saved.c_str(), raw.c_str(), project_.outputFlags,
                             graph_.outputFolder.c_str(), self_, static_cast<uint32_t>(project_.codePref),
                             !settings_.languageCode.equalsNoCase("ger"));
    w->accepted[ThreadData::kImage] = project_.allowPicture;
    w->accepted[ThreadData::kAudio] = project_.allowSound;
    w->accepted[ThreadData::kVideo] = project_.allowVideo;
    w->arrived = &arrivedBytes_;
    w->sizeLimit = project_.maxSizeFiles < 0 ? 0 : static_cast<uint64_t>(project_.maxSizeFiles) * 1048576;
    w->user = project_.user;
    w->password = project_.password;
    if (!CredentialsMayGoTo(project_.urls, url.view())) w->user = w->password = AStr();
    e->setWorker(w);

    if (!w->start()) {
        w->release();
        delete e;
        viewChanged_ = true;
        views_.refreshThreadView();
        return false;
    }
    // Wait until the request is under way (or over), so that the thread view
    // shows it and the next start does not race it for the connection.
    for (uint32_t waited = 0; waited < kConnectWaitMs; waited += 50) {
        if (e->connected().isSet() || w->waitFinished(0)) break;
        if (e->connected().wait(50)) break;
    }
    if (project_.priority) (void)w->setPriority(project_.priority);
    graph_.setState(node, StateLoading);
    node.activeDownload = e;
    node.startTime = now();
    ++activeCount_;
    active_.append(e);
    viewChanged_ = true;
    views_.refreshThreadView();
    graphChanged_ = true;
    return true;
}

void Window::stopDownload(BraskNode& e) {
    if (e.isOpen() && activeCount_) --activeCount_;
    e.stop();
}

void Window::stopAll() {
    std::vector<ThreadData*> stopped;
    for (BraskNode* e = active_.firstEntry(); e; e = ActiveList::nextEntry(e)) {
        if (!e->worker() || e->worker()->waitFinished(0)) continue;
        stopDownload(*e);
        stopped.push_back(e->worker());
    }
    uint32_t start = platform::TickCount();
    for (ThreadData* w : stopped) {
        uint32_t spent = platform::TickCount() - start;
        if (spent >= kStopWaitMs) break;
        (void)w->waitFinished(kStopWaitMs - spent);
    }
}

// ---------------------------------------------------------------------------
// The idle step

MessageLoop::Idle Window::idle() {
    views_.updateCommands();
    saveWhileRunning();
    if (!graph_.orphanCandidates().empty()) {
        removeOrphan();
        rewriteDeferred();
        return MessageLoop::Idle::More;
    }
    switch (jobState_) {
    case kIdle:
        // Only a connection asked for is dialled: an idle window that
        // dialled whenever it had nothing to do would dial again right
        // after the end of a job had hung up.
        if (connectionWanted_ && dialUp_.usage != DialUp::kNoDialUp && !dialUp_.connect()) {
            setState(kDialing);
            jobMessage_.clear();
            return MessageLoop::Idle::Waiting;
        }
        connectionWanted_ = false;
        return MessageLoop::Idle::Done;
    case kRunning:
        return idleRunning();
    case kFinishing:
        return idleFinishing();
    case kFinishingForCommand:
        if (!anyActive() && active_.empty()) {
            setState(kIdle);
            if (pendingCommand_) views_.postCommand(pendingCommand_);
            pendingCommand_ = 0;
            return MessageLoop::Idle::Done;
        }
        return MessageLoop::Idle::Waiting;
    case kDialing:
        if (!dialUp_.poll()) {
            connectionWanted_ = false;
            if (!jobStarted()) {
                setState(kIdle);
                views_.refreshStatusBar();
            } else {
                startJob(false, false, false);
            }
            return MessageLoop::Idle::More;
        }
        return MessageLoop::Idle::Waiting;
    }
    return MessageLoop::Idle::Done;
}

int Window::limitReached() const {
    if (dialUp_.usage == DialUp::kDialEntry && deadline_ && platform::TickPassed(now(), deadline_))
        return kTextTimeLimit;
    if (static_cast<int64_t>(arrivedBytes_.load()) > static_cast<int64_t>(project_.maxSizeFiles) * 1048576)
        return kTextSizeLimit;
    if (project_.maxNumFiles > 0 && graph_.counters.receivedFiles >= static_cast<uint32_t>(project_.maxNumFiles))
        return kTextFileLimit;
    return 0;
}

void Window::stopLongRunning(bool stopEveryOne) {
    uint32_t t = now();
    for (BraskNode* e = active_.firstEntry(); e; e = ActiveList::nextEntry(e)) {
        if (!e->isOpen()) continue;
        ToBeOpenTN* n = e->node();
        bool barred = n && (n->flags & (FlagExcluded | FlagSkipped));
        bool tooLong = project_.timeMaxWait > 0 && n &&
                       platform::TickPassed(t, n->startTime + static_cast<uint32_t>(project_.timeMaxWait));
        if (stopEveryOne || barred || tooLong) stopDownload(*e);
    }
}

bool Window::dialUpReady() {
    if (dialUp_.connect()) return true;
    setState(kDialing);
    for (BraskNode* e = active_.firstEntry(); e; e = ActiveList::nextEntry(e))
        if (e->isOpen()) stopDownload(*e);
    jobMessage_.clear();
    return false;
}

MessageLoop::Idle Window::idleRunning() {
    int limit = limitReached();
    stopLongRunning(limit != 0);
    if (limit) {
        setState(kFinishing);
        jobMessage_ = lang_.text(limit);
        if (dialUp_.hangUpWhenDone) dialUp_.hangUpOwnConnection();
        views_.refreshStatusBar();
        return MessageLoop::Idle::More;
    }
    const uint32_t most = project_.maxNumThread < 1 ? kMostAtOnce
                                                    : std::min(kMostAtOnce, static_cast<uint32_t>(project_.maxNumThread));
    bool room = activeCount_ < most;
    if (room) {
        if (ToBeOpenTN* next = graph_.bestQueued()) {
            if (dialUpReady()) {
                if (!startDownload(*next)) {
                    // The node stays queued; a worker that cannot start now
                    // gets its chance at the next poll rather than at once.
                    return MessageLoop::Idle::Waiting;
                }
                views_.refreshStatusBar();
            }
            return MessageLoop::Idle::More;
        }
    }
    if (ToBeOpenTN* page = rewriteQueue_.take()) {
        rewritePage(*page);
        return MessageLoop::Idle::More;
    }
    if (!active_.empty()) {
        if (now() - statusTick_ > kStatusRefreshMs) {
            statusTick_ = now();
            views_.refreshStatusBar();
        }
        return MessageLoop::Idle::Waiting;
    }
    if (errorSeen_) {
        startJob(true, false, false);
        errorSeen_ = false;
        // Announced only when a failed file was queued again: once every
        // failure used its retries the job simply finishes.
        if (graph_.bestQueued()) views_.showMessage(lang_.text(kTextRestarting));
        views_.refreshStatusBar();
        return MessageLoop::Idle::More;
    }
    setState(kFinishing);
    if (dialUp_.hangUpWhenDone) dialUp_.hangUpOwnConnection();
    jobMessage_.clear();
    views_.refreshStatusBar();
    return MessageLoop::Idle::More;
}

ToBeOpenTN* Window::firstUnrewritten() {
    return FindNode(graph_.root(), [](const ToBeOpenTN& n) {
        return n.state == StateDone && !(n.flags & (FlagPicture | FlagOtherCodePage | FlagRewritten));
    });
}

MessageLoop::Idle Window::idleFinishing() {
    ToBeOpenTN* page = rewriteQueue_.take();
    if (!page) page = firstUnrewritten();
    if (page) {
        rewritePage(*page);
        return MessageLoop::Idle::More;
    }
    if (!active_.empty()) return MessageLoop::Idle::Waiting;
    setState(kIdle);
    // A tree file written while the job ran records its downloads as
    // queued and comes without the start page: the ended job's is written
    // anew, also when nothing changed since that write.
    graphChanged_ = true;
    endTick_ = now();
    if (jobMessage_.empty()) jobMessage_ = lang_.text(kTextComplete);
    views_.showMessage(jobMessage_);
    rewriteDeferred();
    views_.refreshStatusBar();
    if (settings_.exitOnEnd && !(batchRunning_ && batchRunning_())) views_.postCommand(kCommandExit);
    return MessageLoop::Idle::More;
}

void Window::rewritePage(ToBeOpenTN& page) {
    if (project_.stubs) stubs_.writeStubsForPage(page);
    (void)rewriter_.rewrite(page);
    // The page leaves the finishing pass's search whether or not its copy
    // could be rewritten; a page that failed to rewrite keeps its file.
    if (!isRewritten(page)) page.flags |= kFlagDownloadMark;
    graph_.setState(page, StateNew);
    ++pagesRewritten_;
    graphChanged_ = true;
    views_.refreshStatusBar();
}

void Window::unrewrite(ToBeOpenTN& page) {
    if (isRewritten(page)) (void)rewriter_.unrewrite(page);
    page.flags &= ~FlagRewritten;
}

// ---------------------------------------------------------------------------
// Orphans

void Window::deleteLocalFiles(ToBeOpenTN& node) {
    for (AStr* path : {&node.savedFile, &node.rawFile}) deleteNodeFile(*path);
}

void Window::deleteNodeFile(AStr& relative) {
    // A path of a tree file that would leave the output folder is dropped,
    // never followed.
    if (!relative.empty() && isSafeRelativePath(relative))
        (void)platform::DeleteFile(graph_.absolutePath(relative).c_str());
    relative.clear();
}

void Window::forget(ToBeOpenTN* node) {
    failed_.erase(node);
    failureWords_.erase(node);
    rewriteQueue_.remove(node);
    deferredRewrites_.remove(node);
    graph_.dropOrphanCandidate(node);
}

void Window::removeOrphan() {
    ToBeOpenTN* n = graph_.orphanCandidates().front();
    graph_.dropOrphanCandidate(n);
    // A node that is being fetched, got a referrer back, or still holds
    // other nodes below it stays in the graph.
    if (n->state == StateLoading || !n->referrers.empty() || n->isRoot() || n->isHostNode()) return;
    graphChanged_ = true;
    if (isRewritten(*n) && !(n->flags & FlagStub) && pagesRewritten_) --pagesRewritten_;
    deleteLocalFiles(*n);
    // Its links go: their targets may become orphans in turn, and pages
    // that linked to it (through older records) are rewritten again.
    ExtractList none;
    graph_.replaceLinks(*n, none);
    if (n->firstChild()) {
        n->flags &= ~(FlagReceived | FlagChanged | FlagStub | FlagRewritten);
        graph_.setState(*n, StateNew);
        return;
    }
    // No page names it any more (it has no referrers), so nothing points at it.
    if (n->state == StateQueued) graph_.setState(*n, StateNew);
    forget(n);
    views_.nodeRemoved(n);
    delete n;
}

void Window::rewriteDeferred() {
    while (ToBeOpenTN* p = deferredRewrites_.take()) {
        if (!isRewritten(*p)) continue;
        (void)rewriter_.unrewrite(*p);
        (void)rewriter_.rewrite(*p);
    }
}

// ---------------------------------------------------------------------------
// Jobs

void Window::prepareJob() {
    NormaliseUrlLists(project_);
    graph_.outputFolder = project_.outputFolder();
    graph_.stubs = project_.stubs != 0;
    graph_.htmlFirst = project_.htmlFirst != 0;
    stubs_.setOutputFlags(project_.outputFlags);
    (void)platform::MakeFolder(graph_.outputFolder.c_str());
}

void Window::enterStartUrls(bool starting) {
    graph_.beginStartUrls();
    for (StrNode* u = project_.urls.first(); u; u = static_cast<StrNode*>(u->next())) graph_.addStartUrl(u->str.view(), starting);
}

bool Window::startJob(bool requeue, bool reset, bool clear) {
    if (takeOutputFolder() != 0) {
        // Nothing of the job starts, and nothing is written there.
        setState(kIdle);
        jobMessage_ = folderErrorText();
        views_.showMessage(jobMessage_);
        views_.updateCommands();
        views_.refreshStatusBar();
        if (settings_.exitOnEnd && !(batchRunning_ && batchRunning_())) views_.postCommand(kCommandExit);
        return false;
    }
    if (straysPending_) {
        straysPending_ = false;
        if (!clear) StrayCopies::removeForQueued(graph_, project_.outputFlags);
    }
    if (clear) {
        rewriteQueue_.clear();
        deferredRewrites_.clear();
        graph_.clear();
        views_.graphReset();
        failed_.clear();
        failureWords_.clear();
        pagesRewritten_ = 0;
    }
    if (jobStartTick_ == 0) {
        jobStartTick_ = now();
        if (!jobStartTick_) jobStartTick_ = 1;
        bytesReceived_ = 0;
        arrivedBytes_ = 0;
        rate_.clear();
    }
    setState(kRunning);
    if (requeue) {
        ForEachNode(graph_.root(), [&](ToBeOpenTN& n) {
            if (n.isRoot()) return;
            if (reset) {
                n.savedFile.clear();
                n.flags &= ~(FlagReceived | FlagStub | kFlagDownloadMark | FlagOtherCodePage | FlagRewritten);
            }
            if (n.state == StateQueued) {
                graph_.setState(n, StateNew);
                graph_.setState(n, StateQueued);
            } else if (n.state == StateFailed && n.retries < kMaxRetries) {
                n.lastError = 0;
                n.flags &= ~(FlagReceived | FlagChanged);
                // A saved copy is fetched whole again; partial data stays
                // for the resume.
                deleteNodeFile(n.savedFile);
                graph_.setState(n, StateQueued);
            }
        });
    }
    jobMessage_.clear();
    errorSeen_ = false;
    graphChanged_ = true;
    views_.updateCommands();
    views_.refreshStatusBar();
    return true;
}

void Window::startDialUpDeadline() {
    deadline_ = now() + dialUp_.effectiveTimeLimit();
    if (!deadline_) deadline_ = 1;  // 0 is no deadline
}

void Window::armDeadlineOutsideBatch() {
    if (!(batchRunning_ && batchRunning_())) startDialUpDeadline();
}

void Window::resetStatistics() {
    jobStartTick_ = 0;
    endTick_ = 0;
    bytesReceived_ = 0;
    arrivedBytes_ = 0;
    rate_.clear();
    failed_.clear();
    views_.refreshStatusBar();
}

void Window::connectDialUp() {
    if (jobState_ == kIdle) connectionWanted_ = true;
}

void Window::hangUpDialUp() {
    connectionWanted_ = false;
    if (jobState_ == kDialing) setState(kIdle);
    dialUp_.hangUpOwnConnection();
    views_.refreshStatusBar();
}

bool Window::mayRunCommand(uint32_t command) {
    // A job stopped while it dials leaves no half-made line behind.
    if (jobState_ == kDialing) {
        connectionWanted_ = false;
        dialUp_.hangUpOwnConnection();
        setState(kIdle);
    }
    if (anyActive() || !active_.empty()) {
        stopAll();
        setState(kFinishingForCommand);
        jobMessage_ = lang_.text(kTextStopping);
        pendingCommand_ = command;
        views_.refreshStatusBar();
        return false;
    }
    if (graphChanged_ && !project_.path().empty()) (void)saveTreeIfChanged();
    if (!project_.changed()) return true;
    if (!project_.path().empty()) {
        if (project_.save(project_.path().c_str()) == 0) return true;
        // A project that cannot be written is not dropped without a word.
        setState(kIdle);
        jobMessage_ = lang_.text(kTextCanceled);
        views_.refreshStatusBar();
        return false;
    }
    switch (views_.askYesNoCancel(lang_.text(kTextSaveChanged))) {
    case WindowViews::Answer::Yes: {
        AStr name = views_.chooseProjectFile();
        if (!name.empty() && saveProject(name.c_str()) == 0) return true;
        [[fallthrough]];
    }
    case WindowViews::Answer::Cancel:
        setState(kIdle);
        jobMessage_ = lang_.text(kTextCanceled);
        views_.refreshStatusBar();
        return false;
    case WindowViews::Answer::No:
        return true;
    }
    return false;
}

void Window::newJob(const char* url, const char* outputPath, const char* projectPath,
                    const std::function<void(Mission&)>& adjust) {
    folderLock_.release();
    straysPending_ = false;
    strays_.clear();
    project_.makeNew(ApplicationProfile());
    project_.setPath("");
    project_.urls.clear();
    project_.urls.add(url);
    project_.outputPath = outputPath;
    if (adjust) adjust(project_);
    jobStartTick_ = 0;
    failed_.clear();
    failureWords_.clear();
    prepareJob();
    armDeadlineOutsideBatch();
    // A job refused its folder has nothing to keep.
    if (!startJob(false, false, true)) return;
    project_.markChanged();
    enterStartUrls(true);
    // Named at once: a job killed before its end leaves a project to
    // continue. A failure here is said again by the save at the end.
    if (projectPath && *projectPath) (void)saveProject(projectPath);
}

void Window::reportDamagedTree(int text, const AStr& path) {
    // A project that never ran has no tree file yet: nothing to say.
    if (!platform::FileExists(path.c_str())) return;
    for (int i = 0; i < 1000; ++i) {
        AStr aside = path + (i ? AStr::format(".damaged%d", i) : AStr(".damaged"));
        if (platform::PathExists(aside.c_str())) continue;
        (void)platform::ReplaceFile(path.c_str(), aside.c_str());
        break;
    }
    views_.showMessage(lang_.format(text, path.c_str()));
}

int Window::openProject(const char* path) {
    Project opened;
    if (opened.open(path) != 0) {
        jobMessage_ = lang_.format(kTextProjectMissing, path);
        views_.showMessage(jobMessage_);
        views_.refreshStatusBar();
        return -1;
    }
    // The folder of the job before is let go; this one's is taken when
    // its job starts or it is saved.
    folderLock_.release();
    folderError_ = 0;
    rewriteQueue_.clear();
    deferredRewrites_.clear();
    graph_.clear();
    views_.graphReset();
    project_.setPath(path);
    if (project_.open(path) != 0) return -1;
    prepareJob();
    // The queue priorities restored from the tree weigh where each node
    // lies against this project's start URLs, not the last job's.
    graph_.beginStartUrls();
    for (StrNode* u = project_.urls.first(); u; u = static_cast<StrNode*>(u->next())) graph_.addStartPlace(u->str.view());
    int r = loadTree(graph_, path);
    // A tree that could not be read leaves no "Reading..." behind, and
    // views hold nothing of what it read.
    if (r != 0) {
        views_.showStatusText(AStr());
        views_.graphReset();
    }
    pagesRewritten_ = 0;
    ForEachNode(graph_.root(), [this](const ToBeOpenTN& n) {
        if (isRewritten(n) && !(n.flags & FlagStub) && !isPicture(n)) ++pagesRewritten_;
    });
    jobStartTick_ = 0;
    failed_.clear();
    failureWords_.clear();
    setState(kIdle);
    // What a damaged tree file held is kept, and is written again beside
    // the damaged one that was moved aside; a missing tree file is a job
    // that starts afresh.
    graphChanged_ = r == kTreeDamaged;
    straysPending_ = r >= 0 && graph_.counters.savedWhileRunning == 1;
    // The copies of the nodes that went with the damage are still there.
    if (r == kTreeDamaged) strays_.watch(graph_, project_.outputFlags);
    else strays_.clear();
    return 0;
}

void Window::continueJob() {
    prepareJob();
    enterStartUrls(false);
    armDeadlineOutsideBatch();
    startJob(true, false, false);
}

bool Window::fetchNode(ToBeOpenTN& node) {
    if (node.isRoot() || node.state == StateLoading) return false;
    if (node.state != StateQueued) {
        // Not queued, so the queue's counters do not see the flags change.
        node.flags = (node.flags & ~(FlagSkipped | FlagExcluded)) | FlagForced;
        node.retries = 0;
        graph_.setState(node, StateQueued);
        if (node.state != StateQueued) return false;
        graphChanged_ = true;
    }
    if (jobState_ != kIdle) return true;
    prepareJob();
    armDeadlineOutsideBatch();
    return startJob(false, false, false);
}

void Window::refreshJob() {
    prepareJob();
    armDeadlineOutsideBatch();
    enterStartUrls(true);
    ForEachNode(graph_.root(), [this](ToBeOpenTN& n) {
        if (!n.isRoot() && (n.flags & FlagReceived) && !(n.flags & FlagStub) && n.state != StateQueued &&
            n.state != StateLoading && n.level != ToBeOpenTN::kFolderLevel)
            graph_.setState(n, StateQueued);
    });
    startJob(true, false, false);
}

void Window::stopJob(const AStr& message) {
    if (jobState_ == kDialing) {
        connectionWanted_ = false;
        dialUp_.hangUpOwnConnection();
        setState(kIdle);
    } else if (jobState_ == kRunning) {
        stopAll();
        // The finishing step rewrites what waits and ends the job; it
        // keeps a message that is set.
        setState(kFinishing);
    } else {
        return;
    }
    jobMessage_ = message;
    views_.refreshStatusBar();
    views_.updateCommands();
}

int Window::deleteDownloads() {
    if (jobState_ != kIdle || !active_.empty()) return -1;
    const AStr out = graph_.outputFolder;
    if (out.empty()) return 0;
    int failures = 0;
    // The folders the files lay in, deepest first, go when they are empty.
    std::vector<AStr> folders;
    ForEachNode(graph_.root(), [&](ToBeOpenTN& n) {
        for (AStr* relative : {&n.savedFile, &n.rawFile}) {
            if (relative->empty() || !isSafeRelativePath(*relative)) continue;
            AStr path = graph_.absolutePath(*relative);
            if (platform::FileExists(path.c_str()) && platform::DeleteFile(path.c_str()) != 0) ++failures;
            for (size_t cut = relative->view().find_last_of("\\/"); cut != std::string_view::npos && cut > 0;
                 cut = relative->view().find_last_of("\\/", cut - 1))
                folders.push_back(graph_.absolutePath(relative->view().substr(0, cut)));
        }
    });
    std::sort(folders.begin(), folders.end(), [](const AStr& a, const AStr& b) { return a.size() > b.size(); });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const AStr& f : folders)
        if (!f.empty()) (void)platform::RemoveFolder(f.c_str());
    for (const char* name : {"start.htm", "start.html", "zelko.gif"}) {
        AStr path = graph_.absolutePath(name);
        if (platform::FileExists(path.c_str()) && platform::DeleteFile(path.c_str()) != 0) ++failures;
    }
    // The folder's lock file is the program's own: it goes with the folder.
    folderLock_.release();
    (void)platform::RemoveFolder(out.c_str());
    // Nothing of the copy is left for the graph to describe.
    graph_.clear();
    rewriteQueue_.clear();
    deferredRewrites_.clear();
    failed_.clear();
    failureWords_.clear();
    pagesRewritten_ = 0;
    jobStartTick_ = 0;
    straysPending_ = false;
    graphChanged_ = true;
    views_.refreshStatusBar();
    views_.updateCommands();
    return failures;
}

int Window::saveProject(const char* path) {
    // Another program's folder is not written, nor one that cannot be.
    if (int e = takeOutputFolder()) {
        project_.setPath(path);
        return e;
    }
    int r = project_.save(path);
    project_.setPath(path);
    graphChanged_ = true;
    int t = saveTreeIfChanged();
    return r ? r : t;
}

int Window::saveTreeIfChanged() {
    if (!graphChanged_ || project_.path().empty()) return 0;
    if (int e = takeOutputFolder()) return e;
    settledAtSave_ = settled_;
    lastSaveTick_ = now();
    const auto start = std::chrono::steady_clock::now();
    // While the job runs, requeueing would spoil the nodes of its
    // downloads under them: the file records them as queued instead, and
    // the job goes on. Such a file says so, since downloads may end after
    // it; a save between two downloads is one too.
    const bool running = jobState_ != kIdle || anyActive() || !active_.empty();
    int r = running ? saveTreeWhileLoading(graph_, project_.path().view()) : saveTree(graph_, project_.path().view());
    if (r == 0) {
        graphChanged_ = false;
        // The start page goes with every tree file of an idle job, headed
        // by the project's name.
        std::string_view name = project_.path().view();
        name = name.substr(name.find_last_of("/\\") + 1);
        if (!running) (void)stubs_.writeStartPage(name.substr(0, name.rfind('.')));
    }
    // What a write costs: the least of the last few, so that one slowed
    // by a busy machine does not hold the next ones back.
    const auto spent = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    saveCosts_[saveCount_++ % std::size(saveCosts_)] =
        static_cast<uint32_t>(std::min<long long>(spent.count(), 0x7FFFFFFF));
    saveCostUs_ = *std::min_element(std::begin(saveCosts_), std::end(saveCosts_));
    return r;
}

int Window::takeOutputFolder() {
    const std::string folder(graph_.outputFolder.c_str());
    if (folderLock_.held() && folderLock_.folder() == folder) return folderError_ = 0;
    // Made when missing, as the job's start makes it; the reason it
    // cannot be is the one to tell.
    if (!platform::FolderExists(folder.c_str())) {
        // With the folders above it that are missing, as the downloads
        // would make them.
        std::vector<std::string> missing{folder};
        for (;;) {
            size_t sep = missing.back().find_last_of(platform::kPathSep == '\\' ? "/\\" : "/");
            if (sep == std::string::npos || sep == 0) break;
            std::string parent = missing.back().substr(0, sep);
            if (parent.empty() || parent.back() == ':' || platform::PathExists(parent.c_str())) break;
            missing.push_back(parent);
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            int e = platform::MakeFolder(it->c_str());
            if (e != 0 && !platform::PathExists(it->c_str())) return folderError_ = e;
        }
    }
    return folderError_ = folderLock_.acquire(folder);
}

AStr Window::folderErrorText() const {
    if (folderError_ == platform::FolderLock::kInUse) return lang_.format(kTextFolderInUse, graph_.outputFolder.c_str());
    AStr reason = lang_.errorText(folderError_);
    return lang_.format(kTextFolderUnusable, graph_.outputFolder.c_str(), reason.c_str());
}

void Window::saveWhileRunning() {
    if (jobState_ == kIdle || !graphChanged_ || project_.path().empty() || !folderLock_.held()) return;
    uint32_t t = now();
    uint64_t gapMs = static_cast<uint64_t>(saveCostUs_) * kSaveCostFactor / 1000;
    const uint32_t share = std::max<uint32_t>(1, (filesReceived() + filesQueued()) / kSettledShare);
    bool due = settled_ - settledAtSave_ >= share && platform::TickPassed(t, lastSaveTick_ + static_cast<uint32_t>(gapMs));
    if (!due && !platform::TickPassed(t, lastSaveTick_ + kSaveIntervalMs)) return;
    if (project_.changed()) (void)project_.save(nullptr);
    (void)saveTreeIfChanged();
}
