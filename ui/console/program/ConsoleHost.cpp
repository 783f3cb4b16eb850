#include "ui/console/program/ConsoleHost.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/Lang.h"
#include "platform/Clock.h"
#include "site/TreeFile.h"

namespace {

volatile std::sig_atomic_t g_interrupts = 0;

// Only a flag is set here; the second interrupt ends the process, which
// _exit may do from a signal handler.
extern "C" void OnInterrupt(int) {
    if (g_interrupts) _exit(130);
    g_interrupts = 1;
}

constexpr uint32_t kTerminalRedrawMs = 250;

}  // namespace

void ConsoleHost::catchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

ConsoleHost::ConsoleHost(EngineSettings settings, int codePage)
    : dialUp_(platform::RasFunctions{}), out_(stderr, isatty(2) != 0, codePage) {
    window_ = std::make_unique<Window>(*this, queue_.handle(), dialUp_, ProgramLanguage(), std::move(settings));
}

ConsoleHost::~ConsoleHost() { window_.reset(); }

void ConsoleHost::showMessage(const AStr& text) { out_.message(text.view()); }

void ConsoleHost::postCommand(uint32_t command) {
    if (command == Window::kCommandExit) loop_.quit(0);
}

void ConsoleHost::showStatus(bool force) {
    uint32_t now = platform::TickCount();
    if (!force && !statusDue_ && now - lastStatus_ < kTerminalRedrawMs) return;
    if (!force && now - lastStatus_ < kTerminalRedrawMs) return;
    statusDue_ = false;
    lastStatus_ = now;
    JobStatus s;
    s.received = window_->filesReceived();
    s.queued = window_->filesQueued();
    s.active = window_->activeCount();
    s.failed = window_->failedCount();
    s.bytesPerSecond = window_->bytesPerSecond();
    out_.status(s, now, force);
}

MessageLoop::Idle ConsoleHost::idle(int) {
    if (g_interrupts && !stopping_) {
        stopping_ = true;
        stoppedEarly_ = window_->jobState() != Window::kIdle;
        if (window_->mayRunCommand(Window::kCommandExit)) loop_.quit(0);
    }
    showStatus(false);
    MessageLoop::Idle r = window_->idle();
    if (r == MessageLoop::Idle::Done && window_->jobState() == Window::kIdle && window_->activeList().empty())
        loop_.quit(0);
    return r;
}

void ConsoleHost::dispatch(const platform::Message& m) { (void)window_->dispatch(m); }

uint32_t ConsoleHost::unfinishedFiles() {
    uint32_t n = 0;
    std::vector<ToBeOpenTN*> stack{&window_->graph().root()};
    while (!stack.empty()) {
        ToBeOpenTN* t = stack.back();
        stack.pop_back();
        for (ToBeOpenTN* c = t->firstChild(); c; c = c->nextSibling()) stack.push_back(c);
        if (t->state == StateFailed || t->state == StateMissing) ++n;
    }
    return n;
}

int ConsoleHost::run() {
    loop_.run(*this);
    showStatus(true);
    out_.finish();
    if (window_->jobMessage() == ProgramLanguage().text(Window::kTextDiskFull)) return 3;
    if (stoppedEarly_) return 2;
    return unfinishedFiles() ? 1 : 0;
}

int ConsoleHost::finish(const AStr& projectPath, bool unnamed) {
    int r = window_->saveProject(projectPath.c_str());
    AStr folder = window_->outputFolder();
    AStr start = folder + "/start.htm";
    if (unnamed) (void)window_->writeStartPage("");
    std::fprintf(stderr, "Stored copy: %s\n", folder.c_str());
    if (unnamed) std::fprintf(stderr, "Start page:  %s\n", start.c_str());
    if (r == 0) {
        std::fprintf(stderr, "Project:     %s\n", projectPath.c_str());
        std::fprintf(stderr, "Continue or refresh with: zbrask /f \"%s\"\n", projectPath.c_str());
    } else {
        std::fprintf(stderr, "The project could not be saved at %s (error %d)\n", projectPath.c_str(), r);
    }
    return r;
}
