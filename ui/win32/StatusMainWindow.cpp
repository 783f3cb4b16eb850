#include "ui/win32/StatusMainWindow.h"

#include "app/Application.h"
#include "app/Lang.h"
#include "platform/Messages.h"

namespace {
// Status bar texts: 22017 + job state, then the counts.
constexpr int kStateText = 22017;
constexpr int kFilesText = 22022;
constexpr int kReceivedText = 22025;
constexpr UINT kExitCommand = 199;
}  // namespace

StatusMainWindow::StatusMainWindow(Application& app)
    : app_(app),
      bytesRead_(platform::RegisterMessage("_WM_BYTESREAD")),
      threadEnd_(platform::RegisterMessage("_WM_THREADEND")) {}

bool StatusMainWindow::create(HWND frame) {
    RECT r;
    GetClientRect(frame, &r);
    if (!ZWindow::create(0, "FrameClient", kStyle, 0, 0, r.right, r.bottom, frame, nullptr)) return false;
    if (!status_.create(hwnd(), kStatusBarId)) return false;
    status_.setParts({120, 110, 140});
    refreshStatusBar();
    layout();
    return true;
}

void StatusMainWindow::refreshStatusBar() {
    const LangWithError& lang = ProgramLanguage();
    status_.setText(0, lang.text(kStateText + state_).c_str());
    status_.setText(1, lang.format(kFilesText, files_).c_str());
    status_.setText(2, lang.format(kReceivedText, static_cast<unsigned>(bytes_ / 1024)).c_str());
    status_.setText(3, message_.c_str());
}

void StatusMainWindow::layout() { (void)status_.fit(); }

bool StatusMainWindow::startUrl(const char* url) {
    message_ = url;
    refreshStatusBar();
    return true;
}

bool StatusMainWindow::openProject(const char* path) {
    message_ = path;
    refreshStatusBar();
    return false;
}

void StatusMainWindow::postCommand(uint32_t command) {
    PostMessageA(hwnd(), WM_COMMAND, command, 0);
}

void StatusMainWindow::resetStatistics() {
    files_ = 0;
    bytes_ = 0;
    refreshStatusBar();
}

bool StatusMainWindow::startTimer(int id, uint32_t periodMs) {
    return SetTimer(hwnd(), static_cast<UINT_PTR>(id), periodMs, nullptr) != 0;
}

void StatusMainWindow::stopTimer(int id) { KillTimer(hwnd(), static_cast<UINT_PTR>(id)); }

void StatusMainWindow::onCommand(UINT id) {
    // The exit command closes the frame, which asks whether it may.
    if (id == kExitCommand) PostMessageA(GetParent(hwnd()), WM_CLOSE, 0, 0);
}

void StatusMainWindow::dispatch(const platform::Message& m) {
    (void)onMessage(m.id, m.wParam, m.lParam);
}

LRESULT StatusMainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == bytesRead_ && bytesRead_) {
        bytes_ += wParam;
        refreshStatusBar();
        return 0;
    }
    if (message == threadEnd_ && threadEnd_) {
        ++files_;
        refreshStatusBar();
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_TIMER:
        if (wParam == static_cast<WPARAM>(BatchRunner::kTimerId)) app_.batchRunner().timerTick();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return 0;
    default:
        break;
    }
    return ZWindow::onMessage(message, wParam, lParam);
}
