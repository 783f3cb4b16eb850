#include "app/shell/Application.h"

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/shell/UpdaterStart.h"

namespace {
Application* gApplication = nullptr;

constexpr uint32_t kNewDownload = 121;
}  // namespace

Application* TheApplication() { return gApplication; }
void SetTheApplication(Application* app) { gApplication = app; }

Application::Application(Start start, std::unique_ptr<ApplicationFrontEnd> frontEnd, std::unique_ptr<DialUp> dialUp,
                         UpdaterStarter updater)
    : start_(std::move(start)),
      frontEnd_(std::move(frontEnd)),
      dialUp_(dialUp ? std::move(dialUp) : std::make_unique<DialUp>()),
      runner_(batch_, dialUp_.get()),
      stored_(*dialUp_, batch_),
      updater_(updater ? std::move(updater) : [](void* owner) { (void)StartUpdater(owner, RegisteredUpdater()); }) {
    stored_.read(start_.settings);
}

Application::~Application() {
    runner_.setHost(nullptr);
    mainWindow_ = nullptr;
    frontEnd_.reset();  // the frame, and the main window with it
    if (gApplication == this) gApplication = nullptr;
}

bool Application::initMainWindow() {
    mainWindow_ = frontEnd_->createMainWindow(*this);
    if (!mainWindow_) return false;
    runner_.setHost(&mainWindow_->batchHost());
    return true;
}

bool Application::initInstance() {
    if (!initMainWindow()) return false;
    actOnCommandLine();
    return true;
}

void Application::actOnCommandLine() {
    RunRequest request = ParseCommandLine(start_.commandLine.c_str());
    switch (request.kind) {
    case RunRequest::Url:
        (void)mainWindow_->startUrl(request.value.c_str());
        break;
    case RunRequest::OpenFile:
        projectToOpen_ = AStr(request.value);
        break;
    case RunRequest::Batch:
        batch_.clear();
        for (const std::string& f : request.files) batch_.add(AStr(f));
        batch_.exitOnEndBatch = false;
        batch_.useStartTime = false;
        batch_.normalizeAll();
        runner_.start();
        break;
    case RunRequest::Auto:
        batch_.normalizeAll();
        runner_.start();
        break;
    default:
        // A plain start; the install-time switches never get this far
        // (after an install the run goes on as a plain one). A first one
        // greets the user with the new-download dialog; a first start that
        // brings its own work is not greeted, since the greeting's command
        // would stop that work to ask for another address.
        if (start_.firstRun) mainWindow_->postCommand(kNewDownload);
        break;
    }
}

int Application::run() {
    if (!initApplication() || !initInstance()) return -1;
    return frontEnd_->runLoop(*this);
}

MessageLoop::Idle Application::idleAction(int) {
    MessageLoop::Idle result = mainWindow_ ? mainWindow_->idle() : MessageLoop::Idle::Done;
    if (updaterPending_) {
        updaterPending_ = false;
        updater_(frontEnd_->ownerWindow());
    }
    const bool wasRunning = runner_.running();
    const uint32_t wasNext = runner_.nextIndex();
    runner_.step();
    // A batch step that opened a project and started it, or ended the
    // batch, leaves work the main window has not seen yet: without another
    // idle step the loop would sleep until some message came.
    if (runner_.running() != wasRunning || runner_.nextIndex() != wasNext) result = MessageLoop::Idle::More;
    if (result == MessageLoop::Idle::Done && !projectToOpen_.empty() && mainWindow_) {
        AStr path = std::move(projectToOpen_);
        projectToOpen_.clear();
        (void)mainWindow_->openProject(path.c_str());
        result = MessageLoop::Idle::More;
    }
    return result;
}

void Application::save() { stored_.write(start_.settings); }

bool Application::dropUrl(const char* url) {
    if (!mainWindow_ || !url || !*url || !mainWindow_->jobIdle()) return false;
    return mainWindow_->startUrl(url);
}

void Application::dispatch(const platform::Message& m) {
    if (mainWindow_) mainWindow_->dispatch(m);
}
