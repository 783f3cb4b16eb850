#include "ui/win32/EngineMainWindow.h"

#include <commdlg.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/Lang.h"
#include "app/shell/Application.h"
#include "engine/JobFolder.h"
#include "platform/File.h"
#include "site/LocalPaths.h"
#include "ui/panes/NodeLook.h"
#include "ui/win32/MessageBoxes.h"

namespace {
// Status bar texts: 22017 + job state, then the counts.
constexpr int kStateText = 22017;
constexpr int kFilesText = 22022;
constexpr int kReceivedText = 22025;
constexpr int kRateText = 22026;
constexpr int kThreadsText = 22027;
constexpr int kQueuedText = 22028;
constexpr int kTimeText = 22029;

// The view commands.
constexpr UINT kFileViewCommand = 401, kLinkViewCommand = 402, kPageViewCommand = 403, kLowerPanesCommand = 408;
constexpr UINT kToolbarCommand = 410, kStatusBarCommand = 411;
constexpr char kOptions[] = "options";
constexpr DWORD kProgressPaintMs = 100;

// Descriptions of the project file dialog's two filters.
constexpr int kProjectsFilterText = 22174;
constexpr int kAllFilesFilterText = 22175;
constexpr int kFetchOfferText = 22195;   // with the node's URL
constexpr int kCannotFetchText = 22196;  // with the node's URL
}  // namespace

EngineMainWindow::EngineMainWindow(Application& app) : app_(app) {}

EngineMainWindow::~EngineMainWindow() {
    if (engine_) engine_->stopAll();
    // While this object is whole, so that it sees its own WM_DESTROY.
    destroy();
}

void EngineMainWindow::graphReset() {
    if (!engine_) {
        fileView_.clear();
        linkView_.clear();
        return;
    }
    linkView_.show(engine_->graph().root());
    // The root named by the project, or by the job's first start URL.
    std::string label = projectPath_.c_str();
    if (label.empty() && engine_->project().urls.first()) label = engine_->project().urls.first()->str.c_str();
    if (label.empty()) label = ProgramLanguage().text(22064).c_str();
    fileView_.show(engine_->graph().root(), label);
}

void EngineMainWindow::writeViewState() {
    ApplicationProfile& s = app_.settings();
    (void)s.writeInt(kOptions, "iCurTab", layout_.tab());
    (void)s.writeInt(kOptions, "flagsVisibleView", static_cast<int>(layout_.visible()));
}

void EngineMainWindow::relayout(bool writePercentages) {
    band_ = panes_.place(layout_);
    commands_.refreshToolbar();
    if (!writePercentages) return;
    ApplicationProfile& s = app_.settings();
    (void)s.writeInt(kOptions, "seppos1", layout_.leftPercent());
    (void)s.writeInt(kOptions, "seppos2", layout_.upperPercent());
}

bool EngineMainWindow::create(HWND frame) {
    RECT r;
    GetClientRect(frame, &r);
    if (!ZWindow::create(0, "FrameClient", kStyle, 0, 0, r.right, r.bottom, frame, nullptr)) return false;
    if (!panes_.create(hwnd(), [](int id) { return std::string(ProgramLanguage().text(id).c_str()); })) return false;
    fileView_.attach(panes_.fileView(), &app_.start().options);
    linkView_.attach(panes_.linkView(), &app_.start().options, fileView_.icons());
    messages_.attach(panes_.lowerLeft());
    threads_.attach(panes_.lowerRight());
    const ApplicationProfile& s = app_.settings();
    layout_.load(s.readInt(kOptions, "iCurTab", PaneLayout::kFileView),
                 s.readInt(kOptions, "flagsVisibleView", static_cast<int>(PaneLayout::kAllPanes)),
                 app_.start().splitter1, app_.start().splitter2);
    // Percentages out of range are written back as they are used.
    bool clamped = layout_.leftPercent() != app_.start().splitter1 || layout_.upperPercent() != app_.start().splitter2;
    EngineSettings settings;
    settings.agent = app_.start().options.internetAgent;
    settings.proxy = app_.proxy();
    settings.exitOnEnd = app_.exitOnEnd();
    settings.languageCode = app_.start().options.language;
    settings.skip.read(app_.settings());
    Application* app = &app_;
    engine_ = std::make_unique<Window>(static_cast<WindowViews&>(*this), hwnd(), app_.dialUp(), ProgramLanguage(),
                                       std::move(settings), [app] { return app->batchRunner().running(); });
    graphReset();
    refreshStatusBar();
    relayout(clamped);
    SetFocus(panes_.leftView(layout_));
    commands_.start();
    return true;
}

bool EngineMainWindow::startUrl(const char* url) {
    if (!engine_->mayRunCommand(Window::kCommandNewDownload)) return false;
    return startNewJob(url);
}

bool EngineMainWindow::startNewJob(const char* url) {
    currentUrl_.clear();
    // Below the output folder of the options, or the current folder.
    projectPath_.clear();
    UnnamedJob job = UnnamedJobFor(url, app_.start().options.braskDir, '\\');
    defaultProject_ = job.project;
    // The same URL again is the same job: it is continued, not overwritten.
    if (job.continues) {
        if (!openProject(job.project.c_str())) return false;
        showMessage(ProgramLanguage().format(23027, job.project.c_str()));
        engine_->continueJob();
        refreshStatusBar();
        return true;
    }
    // A job that ends the program by itself keeps its project beside its
    // copy anyway: it is written from the start, so that a run killed
    // half-way can be continued. A user at the window names it at the end.
    if (app_.exitOnEnd()) {
        engine_->newJob(url, job.folder.c_str(), job.project.c_str());
        if (engine_->folderError() == 0) projectPath_ = job.project;
    } else {
        engine_->newJob(url, job.folder.c_str());
    }
    refreshStatusBar();
    return true;
}

bool EngineMainWindow::openProject(const char* path) {
    // The engine says why when it cannot.
    if (engine_->openProject(path) != 0) return false;
    projectPath_ = path;
    currentUrl_.clear();
    refreshStatusBar();
    return true;
}

void EngineMainWindow::saveAndCloseProject() {
    if (!projectPath_.empty()) (void)engine_->saveProject(projectPath_.c_str());
}

bool EngineMainWindow::mayClose() {
    if (!engine_->mayRunCommand(Window::kCommandExit)) return false;
    if (!projectPath_.empty()) (void)engine_->saveTreeIfChanged();
    return true;
}

WindowViews::Answer EngineMainWindow::askYesNoCancel(const AStr& text) {
    // A job that ended the program by itself keeps its project where its
    // copy is, as the terminal program does: nobody is there to ask.
    if (endingByItself_ || app_.batchRunner().running()) return Answer::Yes;
    switch (ShowBox(GetParent(hwnd()), text, ProgramLanguage().text(22064),
                        MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return Answer::Yes;
    case IDNO:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

AStr EngineMainWindow::chooseProjectFile() {
    // Nobody to ask while the job ends the program or a batch runs: the
    // unnamed job's project goes beside its copy.
    if (endingByItself_ || app_.batchRunner().running()) {
        if (!defaultProject_.empty()) projectPath_ = defaultProject_;
        return defaultProject_;
    }
    return commands_.chooseSaveName(defaultProject_);
}

void EngineMainWindow::setCurrentNode(const ToBeOpenTN* node) {
    currentUrl_ = node ? engine_->graph().urlOf(*node) : AStr();
}

AStr EngineMainWindow::currentUrl() const {
    if (!currentUrl_.empty()) return currentUrl_;
    const StrList& urls = engine_->project().urls;
    return urls.empty() ? AStr() : urls[0];
}

void EngineMainWindow::updateNode(ToBeOpenTN* node) {
    fileView_.nodeChanged(*node);
    linkView_.nodeChanged(*node);
}

void EngineMainWindow::nodeAdded(ToBeOpenTN* node) {
    fileView_.nodeAdded(*node);
    linkView_.nodeAdded(*node);
}

void EngineMainWindow::nodeRemoved(ToBeOpenTN* node) {
    fileView_.nodeRemoved(*node);
    linkView_.nodeRemoved(*node);
}

void EngineMainWindow::updateCommands() {
    commands_.refreshToolbar();
    catchUpViews();
}

void EngineMainWindow::catchUpViews() {
    // While a job runs the nodes it made show in batches; at its end the
    // views show everything it met.
    const bool idle = !engine_ || jobIdle();
    if (idle && !wasIdle_) {
        fileView_.showPending();
        fileView_.showUnannounced();
    } else {
        fileView_.showPendingSoon();
    }
    wasIdle_ = idle;
}

bool EngineMainWindow::onViewNotify(const NMHDR* header, LRESULT& result) {
    if (fileView_.onNotify(header, result) || linkView_.onNotify(header, result)) return true;
    const bool files = header->hwndFrom == fileView_.hwnd();
    if (!files && header->hwndFrom != linkView_.hwnd()) return false;
    ToBeOpenTN* node = files ? fileView_.selected() : linkView_.selected();
    switch (header->code) {
    case TVN_SELCHANGEDW:
        // The selection is the current node of the commands.
        setCurrentNode(node);
        return true;
    case NM_DBLCLK:
    case NM_RETURN:
        // A folder made on the way has nothing to show: it opens and closes.
        if (!node || (files && node->level == ToBeOpenTN::kFolderLevel && node->savedFile.empty())) return false;
        openNode(node);
        result = TRUE;
        return true;
    default:
        return false;
    }
}

std::string EngineMainWindow::storedFileOf(const ToBeOpenTN& node) const {
    const LinkGraph& graph = engine_->graph();
    // The copy with rewritten links first, then the file as it came.
    for (const AStr* relative : {&node.savedFile, &node.rawFile}) {
        if (relative->empty() || !isSafeRelativePath(relative->view())) continue;
        AStr path = graph.absolutePath(relative->view());
        if (platform::FileExists(path.c_str())) return path.c_str();
    }
    return {};
}

void EngineMainWindow::openNode(ToBeOpenTN* node) {
    if (!node || node->isRoot()) return;
    std::string stored = storedFileOf(*node);
    if (!stored.empty()) {
        showStoredFile(stored);
        return;
    }
    const LangWithError& lang = ProgramLanguage();
    AStr url = ShownText(engine_->graph().urlOf(*node).view());
    if (ShowBox(GetParent(hwnd()), lang.format(kFetchOfferText, url.c_str()), lang.text(22064),
                MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (!engine_->fetchNode(*node))
        ShowBox(GetParent(hwnd()), lang.format(kCannotFetchText, url.c_str()), lang.text(22064), MB_OK | MB_ICONWARNING);
    refreshStatusBar();
    commands_.refreshToolbar();
}

std::string EngineMainWindow::browserTarget() {
    const std::string& shown = panes_.pageView().pagePath();
    if (!shown.empty() && layout_.shows(PaneLayout::kPageView)) return shown;
    // The stored copy of the current node; the address itself while it has none.
    AStr url = currentUrl();
    ToBeOpenTN* node = url.empty() ? nullptr : engine_->graph().find(url.view());
    std::string stored = node ? storedFileOf(*node) : std::string();
    return stored.empty() ? std::string(url.c_str()) : stored;
}

void EngineMainWindow::showStoredFile(const std::string& path) {
    PageViewHost& page = panes_.pageView();
    if (!page.showBitmap(path)) page.showPage(path);
    if (!layout_.shows(PaneLayout::kPageView)) relayout(layout_.togglePageView());
}

void EngineMainWindow::refreshStatusBar() {
    catchUpViews();
    const LangWithError& lang = ProgramLanguage();
    uint32_t seconds = engine_ ? engine_->elapsedMs() / 1000 : 0;
    if (engine_ && engine_->jobMessage() != jobMessageSeen_) {
        jobMessageSeen_ = engine_->jobMessage();
        if (!jobMessageSeen_.empty()) {
            messageField_ = jobMessageSeen_;
            statusText_.clear();  // the newer text wins
        }
    }
    const AStr& message = !statusText_.empty() ? statusText_ : messageField_;
    panes_.tools().animation().play(engine_ && engine_->jobState() == Window::kRunning);
    // The job's state changes are told here, a step before the next idle.
    commands_.refreshToolbar();
    panes_.statusBar().setTexts({
        lang.text(kStateText + static_cast<int>(engine_ ? engine_->jobState() : 0)).c_str(),
        lang.format(kFilesText, engine_ ? engine_->filesReceived() : 0u).c_str(),
        lang.format(kReceivedText, engine_ ? engine_->bytesReceived() / 1024 : 0u).c_str(),
        lang.format(kRateText, engine_ ? static_cast<uint32_t>(engine_->bytesPerSecond() / 1024) : 0u).c_str(),
        lang.format(kThreadsText, engine_ ? engine_->activeCount() : 0u).c_str(),
        lang.format(kQueuedText, engine_ ? engine_->filesQueued() : 0u).c_str(),
        lang.format(kTimeText, seconds / 3600, seconds / 60 % 60, seconds % 60).c_str(),
        message.c_str(),
    });
}

void EngineMainWindow::showMessage(const AStr& text) { ProgramTextSource().show(text); }

void EngineMainWindow::refreshThreadView() {
    if (!engine_) return;
    // Each running download: its URL, what the library last said, and how
    // far it is when the length is known.
    std::vector<std::string> lines;
    const ActiveList& active = engine_->activeList();
    for (const BraskNode* e = active.firstEntry(); e; e = ActiveList::nextEntry(e)) {
        if (!e->node()) continue;
        std::string line = engine_->graph().urlOf(*e->node()).c_str();
        AStr status = e->statusText();
        if (!status.empty()) line += std::string("  ") + status.c_str();
        if (e->percent >= 0) line += "  " + std::to_string(e->percent) + "%";
        lines.push_back(std::move(line));
    }
    threads_.setLines(lines, false);
}

void EngineMainWindow::setMessages(const AStr& pane, const AStr& newest, bool) {
    messages_.setLines(MessageLines(pane.c_str()), true);
    messageField_ = newest;
    statusText_.clear();  // the newer text wins
    refreshStatusBar();
}

void EngineMainWindow::showStatusText(const AStr& text) {
    statusText_ = text;
    refreshStatusBar();
    // Shown now: the work it tells of keeps the loop from painting.
    if (panes_.statusBar().hwnd()) UpdateWindow(panes_.statusBar().hwnd());
}

void EngineMainWindow::showProgress(const AStr& text) {
    // Every 10 links of a huge page would be thousands of repaints: a few
    // a second tell as much.
    DWORD now = GetTickCount();
    if (!statusText_.empty() && now - progressTick_ < kProgressPaintMs) return;
    progressTick_ = now;
    showStatusText(text);
}

void EngineMainWindow::postCommand(uint32_t command) {
    if (command == Window::kCommandExit && engine_ && engine_->jobState() == Window::kIdle) endingByItself_ = true;
    PostMessageA(hwnd(), WM_COMMAND, command, 0);
}

bool EngineMainWindow::startTimer(int id, uint32_t periodMs) {
    return SetTimer(hwnd(), static_cast<UINT_PTR>(id), periodMs, nullptr) != 0;
}

void EngineMainWindow::stopTimer(int id) { KillTimer(hwnd(), static_cast<UINT_PTR>(id)); }

void EngineMainWindow::onCommand(UINT id, UINT notification) {
    if (notification == ZSplitter::kMoved) {
        RECT client;
        GetClientRect(hwnd(), &client);
        if (id == MainPanes::kVerticalId) layout_.moveVertical(panes_.vertical().position(), client.right);
        if (id == MainPanes::kHorizontalId)
            layout_.moveHorizontal(panes_.horizontal().position(), band_.top, band_.bottom);
        if (id == MainPanes::kVerticalId || id == MainPanes::kHorizontalId) relayout(true);
        return;
    }
    switch (id) {
    case Window::kCommandExit:
        // The frame asks whether it may close.
        PostMessageA(GetParent(hwnd()), WM_CLOSE, 0, 0);
        return;
    case kCommandDial:
        engine_->connectDialUp();
        return;
    case kCommandHangUp:
        engine_->hangUpDialUp();
        return;
    case kFileViewCommand:
    case kLinkViewCommand:
        relayout(layout_.showTab(id == kFileViewCommand ? PaneLayout::kFileView : PaneLayout::kLinkView));
        SetFocus(panes_.leftView(layout_));
        return;
    case kPageViewCommand:
        relayout(layout_.togglePageView());
        return;
    case kLowerPanesCommand:
        relayout(layout_.toggleLowerPanes());
        return;
    case kToolbarCommand:
    case kStatusBarCommand:
        layout_.toggle(id == kToolbarCommand ? PaneLayout::kToolbar : PaneLayout::kStatusBar);
        relayout(false);
        return;
    default:
        (void)commands_.run(id);
        return;
    }
}

void EngineMainWindow::dispatch(const platform::Message& m) { (void)onMessage(m.id, m.wParam, m.lParam); }

LRESULT EngineMainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (engine_ && message >= 0xC000 && engine_->dispatch({message, wParam, lParam})) return 0;
    switch (message) {
    case WM_SIZE:
        relayout(false);
        return 0;
    case WM_DESTROY:
        writeViewState();
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (onViewNotify(header, result)) return result;
        if (panes_.tools().onNotify(header)) return 0;
        break;
    }
    case WM_TIMER:
        if (wParam == static_cast<WPARAM>(BatchRunner::kTimerId)) app_.batchRunner().timerTick();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP:
        commands_.refreshMenu(reinterpret_cast<HMENU>(wParam));
        return 0;
    default:
        break;
    }
    return ZWindow::onMessage(message, wParam, lParam);
}
