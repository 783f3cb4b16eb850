#pragma once
// The download engine run against the local http server: a generated
// site in the server's folder, a Window with views that record what they
// are told, and the message loop that drives it to the job's end.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "WorkerJob.h"
#include "app/LanguageFile.h"
#include "app/MessageLoop.h"
#include "app/ZBraskLibrary.h"
#include "batch/DialUp.h"
#include "engine/Window.h"
#include "platform/Clock.h"

namespace enginetest {

namespace fs = std::filesystem;
using workertest::ReadFileBytes;

// A folder of the http server's root, filled by the test, removed after it.
struct ServedSite {
    std::string name;  // "site-<n>", the first part of every path
    fs::path folder;
    explicit ServedSite(const std::string& kind) {
        name = kind + "-" + std::to_string(std::random_device{}());
        folder = fs::path(ZB_BINARY_DIR) / "netservers" / "root" / name;
        fs::create_directories(folder);
    }
    ~ServedSite() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    void write(const std::string& path, const std::string& body) const {
        fs::path p = folder / path;
        fs::create_directories(p.parent_path());
        workertest::WriteFileBytes(p.string(), body);
    }
    std::string url(const std::string& path) const { return workertest::HttpUrl("/" + name + "/" + path); }
    std::string target(const std::string& path) const { return "/" + name + "/" + path; }
};

class RecordingViews : public WindowViews {
public:
    void refreshStatusBar() override { ++statusRefreshes; }
    void refreshThreadView() override {}
    void showMessage(const AStr& text) override { messages.push_back(text.c_str()); }
    void showStatusText(const AStr& text) override { statusTexts.push_back(text.c_str()); }
    void showProgress(const AStr& text) override { progress.push_back(text.c_str()); }
    void updateNode(ToBeOpenTN*) override {}
    void updateCommands() override {}
    void postCommand(uint32_t command) override { commands.push_back(command); }

    int statusRefreshes = 0;
    std::vector<std::string> messages;
    std::vector<std::string> statusTexts;  // "" when the passing text ended
    std::vector<std::string> progress;
    std::vector<uint32_t> commands;
};

// The English texts of the build, loaded once.
inline const LangWithError& EnglishTexts() {
    static LangWithError lang;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        (void)LoadLanguage(AStr(ZB_BINARY_DIR "/bin/"), "enu", lang);
    }
    return lang;
}

struct EngineJob : MessageLoop::Handler {
    workertest::Output out;
    platform::MessageQueue queue;
    DialUp dialUp;
    RecordingViews views;
    std::unique_ptr<Window> window;
    MessageLoop loop{queue};
    uint32_t deadline = 0;
    uint32_t maxActive = 0;
    size_t idleSteps = 0;
    // Pages found rewritten while one of their targets was still loading.
    std::vector<std::string> rewrittenTooEarly;
    // Called on every idle step (a test stops the job from here).
    std::function<void(EngineJob&)> onIdle;

    // Without a dial-up service, or with the given one (a scripted table).
    explicit EngineJob(const platform::RasFunctions& ras = {}, DialClock* dialClock = nullptr)
        : dialUp(ras, dialClock) {
        window = std::make_unique<Window>(views, queue.handle(), dialUp, EnglishTexts(), EngineSettings{});
    }
    ~EngineJob() { window.reset(); }

    void reopen(EngineSettings settings = {}, std::function<bool()> batchRunning = nullptr) {
        window.reset();
        window = std::make_unique<Window>(views, queue.handle(), dialUp, EnglishTexts(), settings,
                                          std::move(batchRunning));
    }

    MessageLoop::Idle idle(int) override {
        ++idleSteps;
        maxActive = std::max(maxActive, window->activeCount());
        checkRewrites();
        if (onIdle) onIdle(*this);
        if (platform::TickPassed(platform::TickCount(), deadline)) {
            ADD_FAILURE() << "the job did not end in time";
            window->stopAll();
            loop.quit(1);
            return MessageLoop::Idle::Done;
        }
        MessageLoop::Idle r = window->idle();
        if (r == MessageLoop::Idle::Done && window->jobState() == Window::kIdle && window->activeList().empty())
            loop.quit(0);
        return r;
    }
    void dispatch(const platform::Message& m) override {
        (void)window->dispatch(m);
        for (const BraskNode* e = window->activeList().firstEntry(); e; e = ActiveList::nextEntry(e))
            mostPercent = std::max(mostPercent, e->percent);
    }
    // The highest progress any download showed.
    int32_t mostPercent = -1;

    // Runs the loop until the job is idle again; false on time-out.
    bool run(uint32_t seconds = 60) {
        deadline = platform::TickCount() + seconds * 1000;
        // Pages rewritten before this run (a project opened again) count as seen.
        std::vector<std::string> before;
        before.swap(rewrittenTooEarly);
        rewritten.clear();
        checkRewrites();
        before.swap(rewrittenTooEarly);
        return loop.run(*this) == 0;
    }

    // A page that became rewritten since the last step must have no target
    // still waiting or loading that has no stored copy yet.
    void checkRewrites() {
        std::set<const ToBeOpenTN*> now;
        std::vector<ToBeOpenTN*> stack{&window->graph().root()};
        while (!stack.empty()) {
            ToBeOpenTN* n = stack.back();
            stack.pop_back();
            for (ToBeOpenTN* c = n->firstChild(); c; c = c->nextSibling()) stack.push_back(c);
            if (!(n->flags & FlagRewritten) || (n->flags & FlagStub)) continue;
            now.insert(n);
            if (rewritten.count(n)) continue;
            for (ExtractNode* l : each<ExtractNode>(n->links))
                if (l->target && !(l->target->flags & FlagReceived) &&
                    (l->target->state == StateLoading || l->target->state == StateQueued))
                    rewrittenTooEarly.push_back(window->graph().urlOf(*n).c_str());
        }
        rewritten = std::move(now);
    }
    std::set<const ToBeOpenTN*> rewritten;

    Project& project() { return window->project(); }
};

// Every link value of a stored page (href, src, background).
std::vector<std::string> LinksOf(const std::string& html);

// Checks the stored copy below folder: every link of every stored page
// leads to an existing local file, none to the server; the count of pages.
struct MirrorCheck {
    size_t pages = 0;
    size_t links = 0;
    size_t stubs = 0;
    std::vector<std::string> problems;
};
// Stub pages (which lead to the original on purpose) are counted, not
// checked.
MirrorCheck CheckMirror(const fs::path& folder, const std::string& serverPrefix, Window* window = nullptr);

}  // namespace enginetest
