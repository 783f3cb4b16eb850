// The frame window and the main window under Wine: placement restored
// from the settings file (set, unset, minimised), saved when the user moves
// the frame, dropped URLs, a job's state in the status bar, closing, and a
// whole run of the Windows loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "app/LanguageFile.h"
#include "app/ZBraskLibrary.h"
#include "app/shell/Application.h"
#include "app/shell/ProgramEntry.h"
#include "engine/EngineJob.h"
#include "ui/win32/EngineMainWindow.h"
#include "ui/win32/WinFrontEnd.h"
#include "ui/win32/WindowTestSupport.h"

namespace {

using windowtest::Pump;
using windowtest::ReadFile;

// visit(box) for each visible dialog box of this process, until it says
// it is done.
template <class Visit>
void ForOwnDialogs(Visit visit) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(box)) continue;
        if (visit(box)) return;
    }
}

// A message box's text.
std::string BoxText(HWND box) {
    char text[512] = {};
    if (HWND label = GetDlgItem(box, 0xFFFF)) GetWindowTextA(label, text, sizeof text);
    return text;
}

// Answers the next message box of this process as a user would, from a
// thread of its own while the box runs its modal loop; its text is kept.
class MessageBoxAnswer {
public:
    explicit MessageBoxAnswer(int button)
        : thread_([this, button] {
              for (int i = 0; i < 1000 && text_.empty() && !stop_; ++i) {
                  EnumThreadWindowsOfProcess(button);
                  Sleep(10);
              }
          }) {}
    // A box that did not come by then is not waited for.
    ~MessageBoxAnswer() {
        stop_ = true;
        join();
    }
    const std::string& text() {
        join();
        return text_;
    }

private:
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    void EnumThreadWindowsOfProcess(int button) {
        ForOwnDialogs([&](HWND box) {
            std::string text = BoxText(box);
            text_ = text.empty() ? "(no text)" : text;
            PostMessageA(box, WM_COMMAND, button, 0);
            return true;
        });
    }
    std::string text_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Runs the program's loop by hand (messages, then an idle step) until done
// says so; false after 20 s.
bool RunUntil(Application& app, const std::function<bool()>& done) {
    for (int i = 0; i < 2000; ++i) {
        Pump();
        (void)app.idleAction(0);
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}

// Whether a quit message waits, taking it.
bool QuitPosted(int* code = nullptr) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            if (code) *code = static_cast<int>(m.wParam);
            return true;
        }
        DispatchMessageA(&m);
    }
    return false;
}

class FrameWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        (void)OleInitialize(nullptr);
        // The English texts, from the built language library.
        AStr folder = AStr(ZB_BINARY_DIR) + "/bin/";
        (void)LoadLanguage(folder, "enu", ProgramLanguage());
    }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        dir = std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / ("frame-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir);
        ini = (dir / "zbrask.INI").string();
    }
    void TearDown() override {
        app.reset();
        int code;
        (void)QuitPosted(&code);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void write(const std::string& text) { std::ofstream(ini, std::ios::binary) << text; }

    // The application with the Windows front-end, its windows made.
    void start(int show, const char* commandLine = "") {
        Application::Start s;
        s.commandLine = commandLine;
        s.show = show;
        s.settings = ApplicationProfile(ini.c_str());
        // As the entry reads them.
        s.splitter1 = s.settings.readInt("options", "seppos1", 50);
        s.splitter2 = s.settings.readInt("options", "seppos2", 80);
        auto fe = std::make_unique<WinFrontEnd>(GetModuleHandleA(nullptr), commandLine, show);
        frontEnd = fe.get();
        app = std::make_unique<Application>(std::move(s), std::move(fe),
                                            std::make_unique<DialUp>(platform::RasFunctions{}), [](void*) {});
        ASSERT_TRUE(app->initInstance());
        frame = frontEnd->frame()->hwnd();
        ASSERT_TRUE(frame);
    }
    // Ends the application and lets Wine's display driver finish with the
    // frame before the next one opens: without a window manager it waits for
    // a maximised window to be withdrawn, and a new frame made meanwhile can
    // meet X windows already gone.
    void closeAndSettle() {
        app.reset();
        for (int i = 0; i < 30; ++i) {
            Pump();
            Sleep(10);
        }
    }
    RECT normalRect() const {
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        GetWindowPlacement(frame, &wp);
        return wp.rcNormalPosition;
    }
    std::string status(int part) const { return frontEnd->main()->statusBar().text(part); }
    AStr startUrl() const { return frontEnd->main()->engine().project().urls[0]; }

    std::filesystem::path dir;
    std::string ini;
    std::unique_ptr<Application> app;
    WinFrontEnd* frontEnd = nullptr;
    HWND frame = nullptr;
};

const char kPlaced[] = "[Window]\r\nX=100\r\nY=120\r\nW=400\r\nH=300\r\nshow=1\r\n";

}  // namespace

TEST_F(FrameWindowTest, APlacementIsRestoredWithoutBeingWrittenBack) {
    write(kPlaced);
    start(SW_SHOWNORMAL);
    RECT r = normalRect();
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(120, r.top);
    EXPECT_EQ(500, r.right);
    EXPECT_EQ(420, r.bottom);
    EXPECT_TRUE(IsWindowVisible(frame));
    Pump();
    EXPECT_EQ(kPlaced, ReadFile(ini)) << "creating and restoring are not the user's moves";

    // The main window fills the client area, its status bar at the foot.
    RECT client, main;
    GetClientRect(frame, &client);
    GetWindowRect(frontEnd->main()->hwnd(), &main);
    EXPECT_EQ(client.right, main.right - main.left);
    EXPECT_EQ(client.bottom, main.bottom - main.top);

    // The user's moves are saved.
    MoveWindow(frame, 50, 60, 320, 240, TRUE);
    EXPECT_EQ("[Window]\r\nX=50\r\nY=60\r\nW=320\r\nH=240\r\nshow=1\r\n", ReadFile(ini));
}

TEST_F(FrameWindowTest, AMinimisedFrameIsNotRestoredMinimised) {
    for (const char* show : {"2", "6"}) {
        write(std::string("[Window]\r\nX=100\r\nY=120\r\nW=400\r\nH=300\r\nshow=") + show + "\r\n");
        start(SW_SHOWNORMAL);
        EXPECT_FALSE(IsIconic(frame)) << show;
        EXPECT_TRUE(IsWindowVisible(frame)) << show;
        app.reset();
    }
}

// Two cases, each in a process of its own: without a window manager,
// Wine's display driver may unmap a maximised frame's X window after it is
// gone when another frame follows it in the same process.
TEST_F(FrameWindowTest, AStoredMaximisedFrameOpensMaximised) {
    write("[Window]\r\nX=100\r\nY=120\r\nW=400\r\nH=300\r\nshow=3\r\n");
    start(SW_SHOWNORMAL);
    EXPECT_TRUE(IsZoomed(frame));
}

TEST_F(FrameWindowTest, TheEntryShowCommandDecidesWhenItIsZero) {
    write("[Window]\r\nX=100\r\nY=120\r\nW=400\r\nH=300\r\nshow=3\r\n");
    start(SW_HIDE);
    EXPECT_FALSE(IsZoomed(frame));
    EXPECT_FALSE(IsWindowVisible(frame));
}

TEST_F(FrameWindowTest, AnUnsetPlacementOpensWhereTheSystemPutsIt) {
    for (const char* unset : {"[Window]\r\nX=-2147483648\r\nY=10\r\nW=400\r\nH=300\r\n",
                              "[Window]\r\nX=10\r\nY=10\r\nW=400\r\nH=2147483638\r\n", ""}) {
        write(unset);
        start(SW_SHOWNORMAL);
        RECT r = normalRect();
        EXPECT_TRUE(IsWindowVisible(frame)) << unset;
        EXPECT_NE(-2147483647 - 1, static_cast<int>(r.left)) << unset;
        EXPECT_GT(r.right - r.left, 0) << unset;
        Pump();
        EXPECT_EQ(unset, ReadFile(ini)) << "nothing written until the user moves it";
        app.reset();
    }
}

TEST_F(FrameWindowTest, ClosingSavesThePlacementAndEndsTheLoop) {
    write(kPlaced);
    start(SW_SHOWNORMAL);
    // Command 199 reaches the main window through the frame and closes it.
    SendMessageA(frame, WM_COMMAND, FrameWindow::kExitCommand, 0);
    int code = -1;
    EXPECT_TRUE(QuitPosted(&code));
    EXPECT_EQ(0, code);
    EXPECT_FALSE(IsWindow(frame));
    // The placement as it was, and the view state written.
    EXPECT_EQ(std::string(kPlaced) + "[options]\r\niCurTab=2\r\nflagsVisibleView=31\r\n", ReadFile(ini));
}

TEST_F(FrameWindowTest, TheViewStateOutlivesARestart) {
    // The link view over the whole width, lower panes and toolbar: no page
    // view, no status bar.
    write(std::string(kPlaced) + "[options]\r\niCurTab=3\r\nflagsVisibleView=13\r\nseppos1=30\r\nseppos2=60\r\n");
    start(SW_SHOWNORMAL);
    EngineMainWindow* main = frontEnd->main();
    EXPECT_EQ(main->layout().tab(), PaneLayout::kLinkView);
    EXPECT_EQ(main->layout().visible(), 13u);
    EXPECT_TRUE(IsWindowVisible(main->panes().linkView()));
    EXPECT_FALSE(IsWindowVisible(main->panes().fileView()));
    EXPECT_FALSE(IsWindowVisible(main->panes().pageView().hwnd()));
    EXPECT_FALSE(IsWindowVisible(main->statusBar().hwnd()));

    // The page view and the status bar back; the page view at 30 %.
    SendMessageA(main->hwnd(), WM_COMMAND, 403, 0);
    SendMessageA(main->hwnd(), WM_COMMAND, 411, 0);
    RECT client, link;
    GetClientRect(main->hwnd(), &client);
    GetWindowRect(main->panes().linkView(), &link);
    EXPECT_EQ(link.right - link.left, client.right * 30 / 100);
    EXPECT_TRUE(IsWindowVisible(main->panes().pageView().hwnd()));
    EXPECT_NE(ReadFile(ini).find("seppos1=30"), std::string::npos) << "nothing to write yet";

    // The vertical splitter dragged to the right edge hides the page view
    // and stores 100.
    HWND splitter = main->panes().vertical().hwnd();
    SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 5));
    SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(client.right), 5));
    EXPECT_FALSE(IsWindowVisible(main->panes().pageView().hwnd()));
    EXPECT_NE(ReadFile(ini).find("seppos1=100"), std::string::npos) << ReadFile(ini);
    // The horizontal one to a quarter of the band between the bars.
    RECT bar, status;
    GetWindowRect(main->panes().toolbar(), &bar);
    GetWindowRect(main->statusBar().hwnd(), &status);
    int band = client.bottom - (bar.bottom - bar.top) - (status.bottom - status.top);
    HWND across = main->panes().horizontal().hwnd();
    RECT at;
    GetWindowRect(across, &at);
    MapWindowPoints(HWND_DESKTOP, main->hwnd(), reinterpret_cast<POINT*>(&at), 2);
    int target = (bar.bottom - bar.top) + band / 4;
    SendMessageA(across, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));
    SendMessageA(across, WM_LBUTTONUP, 0, MAKELPARAM(5, static_cast<WORD>(target - at.top)));
    EXPECT_NE(ReadFile(ini).find("seppos2=25"), std::string::npos) << ReadFile(ini);
    closeAndSettle();

    std::string written = ReadFile(ini);
    EXPECT_NE(written.find("iCurTab=3"), std::string::npos) << written;
    EXPECT_NE(written.find("flagsVisibleView=29"), std::string::npos) << written;  // 13 + 16
    start(SW_SHOWNORMAL);
    main = frontEnd->main();
    EXPECT_EQ(main->layout().tab(), PaneLayout::kLinkView);
    EXPECT_EQ(main->layout().visible(), 29u);
    EXPECT_EQ(main->layout().leftPercent(), 100);
    EXPECT_EQ(main->layout().upperPercent(), 25);
    // Turning the page view on again stores 50.
    SendMessageA(main->hwnd(), WM_COMMAND, 403, 0);
    EXPECT_NE(ReadFile(ini).find("seppos1=50"), std::string::npos) << ReadFile(ini);
}

TEST_F(FrameWindowTest, ViewStateOutOfRangeGivesAUsableWindow) {
    write(std::string(kPlaced) + "[options]\r\niCurTab=9\r\nflagsVisibleView=255\r\nseppos1=-5\r\nseppos2=5000\r\n");
    start(SW_SHOWNORMAL);
    EngineMainWindow* main = frontEnd->main();
    EXPECT_EQ(main->layout().tab(), PaneLayout::kFileView);
    // Splitters at the edges: the page view fills the band, the left and
    // the lower panes wait for their commands.
    EXPECT_EQ(main->layout().visible(), PaneLayout::kPageView | PaneLayout::kToolbar | PaneLayout::kStatusBar);
    EXPECT_TRUE(IsWindowVisible(main->panes().pageView().hwnd()));
    EXPECT_TRUE(IsWindowVisible(main->panes().toolbar()));
    std::string written = ReadFile(ini);
    EXPECT_NE(written.find("seppos1=0"), std::string::npos) << written;
    EXPECT_NE(written.find("seppos2=100"), std::string::npos) << written;
    // The left pane comes back at 50 when asked for.
    SendMessageA(main->hwnd(), WM_COMMAND, 401, 0);
    EXPECT_TRUE(IsWindowVisible(main->panes().fileView()));
    EXPECT_EQ(main->layout().leftPercent(), 50);
    SendMessageA(main->hwnd(), WM_COMMAND, 408, 0);
    EXPECT_TRUE(IsWindowVisible(main->panes().lowerLeft()));
    EXPECT_EQ(main->layout().upperPercent(), 80);
    closeAndSettle();
    written = ReadFile(ini);
    EXPECT_NE(written.find("iCurTab=2"), std::string::npos) << written;
    EXPECT_NE(written.find("flagsVisibleView=31"), std::string::npos) << written;
    EXPECT_NE(written.find("seppos1=50"), std::string::npos) << written;
    EXPECT_NE(written.find("seppos2=80"), std::string::npos) << written;
}

TEST_F(FrameWindowTest, TheJobShowsInTheStatusBar) {
    enginetest::ServedSite site("frame");
    site.write("index.html", "<a href=\"a.html\">a</a> <a href=\"b.html\">b</a>");
    site.write("a.html", std::string(3000, 'a'));
    site.write("b.html", std::string(4000, 'b'));
    start(SW_SHOWNORMAL, ("/url " + site.url("index.html")).c_str());
    EXPECT_NE("Ready", status(0)) << "the command line's URL started a job";
    EngineMainWindow& main = *frontEnd->main();
    EXPECT_EQ(AStr(site.url("index.html")), main.engine().project().urls[0]);
    ASSERT_TRUE(RunUntil(*app, [&] { return main.jobIdle() && main.engine().jobStarted(); }));
    EXPECT_EQ("Ready", status(0));
    EXPECT_EQ("Files: 3", status(1)) << main.engine().filesReceived() << " failed " << main.engine().failedCount() << " msg " << status(7);
    EXPECT_EQ("Received: 6 KB", status(2));
    EXPECT_EQ("Threads: 0", status(4));
    EXPECT_EQ("Queued: 0", status(5));
    EXPECT_EQ(0u, status(6).rfind("Time: 0:00:", 0)) << status(6);
    EXPECT_EQ("The download is complete.", status(7));
    // The window is the text source's message pane: a dial-up state shown
    // after the job's end is the newest message, and a repeat keeps it.
    ProgramTextSource().status(28);
    EXPECT_EQ("Connected.", status(7));
    ProgramTextSource().status(28);
    EXPECT_EQ("Connected.", status(7));
}

TEST_F(FrameWindowTest, TheTreeFileReadAndWrittenIsSaidInTheStatusBar) {
    start(SW_SHOWNORMAL);
    EngineMainWindow& main = *frontEnd->main();
    std::string project = (dir / "told.zbp").string();
    Project p;
    p.makeNew(ApplicationProfile());
    p.urls.add("http://h.test/");
    p.outputPath = (dir / "told").string().c_str();
    ASSERT_EQ(0, p.save(project.c_str()));
    // No tree file yet: its reading is not left on the bar.
    ASSERT_TRUE(main.openProject(project.c_str()));
    EXPECT_EQ("", status(7));
    // Written: said while it is written, then the bar is the job's again.
    ASSERT_EQ(0, main.engine().saveProject(project.c_str()));
    EXPECT_EQ("", status(7));
    ASSERT_TRUE(main.openProject(project.c_str()));
    EXPECT_EQ("The site tree has been read.", status(7));
}

TEST_F(FrameWindowTest, TheLowerPanesShowTheMessagesAndTheRunningDownloads) {
    std::string url = workertest::HttpUrl("/w/slow");
    write("[Options]\r\nbraskdir=" + dir.string() + "\r\n");
    start(SW_SHOWNORMAL, ("/url " + url).c_str());
    EngineMainWindow& main = *frontEnd->main();
    // While the server takes its time the download is listed.
    ASSERT_TRUE(RunUntil(*app, [&] { return !main.threadView().lines().empty(); }));
    EXPECT_EQ(main.threadView().lines().size(), 1u);
    EXPECT_EQ(main.threadView().shown(0).rfind(url, 0), 0u) << main.threadView().shown(0);
    EXPECT_TRUE(IsWindowVisible(main.panes().lowerRight()));
    ASSERT_TRUE(RunUntil(*app, [&] { return main.jobIdle() && main.engine().jobStarted(); }));
    EXPECT_TRUE(main.threadView().lines().empty());
    // The message pane ends with the end message, as the history has it.
    const std::vector<std::string>& messages = main.messageList().lines();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "The download is complete.");
    EXPECT_EQ(main.messageList().shown(messages.size() - 1), "The download is complete.");
    EXPECT_LE(messages.size(), 7u);
    // The file view holds the job's page under its host.
    ToBeOpenTN* host = main.engine().graph().root().firstChild();
    ASSERT_NE(host, nullptr);
    EXPECT_NE(main.fileView().itemOf(*host), nullptr);
}

namespace {
// Puts texts on the clipboard in the URL format and as plain text.
void SetClipboard(HWND owner, const char* url, const char* text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    auto put = [](UINT format, const char* s) {
        size_t n = strlen(s) + 1;
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
        memcpy(GlobalLock(h), s, n);
        GlobalUnlock(h);
        SetClipboardData(format, h);
    };
    if (url) put(RegisterClipboardFormatA("UniformResourceLocator"), url);
    if (text) put(CF_TEXT, text);
    CloseClipboard();
}

std::string Dropped(IDropTarget* target, HWND owner, const char* url, const char* text, DWORD* effect) {
    SetClipboard(owner, url, text);
    IDataObject* data = nullptr;
    if (FAILED(OleGetClipboard(&data)) || !data) return "<no clipboard>";
    POINTL at = {10, 10};
    *effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    target->DragEnter(data, MK_LBUTTON, at, effect);
    DWORD entered = *effect;
    *effect = DROPEFFECT_COPY;
    target->Drop(data, MK_LBUTTON, at, effect);
    data->Release();
    return std::to_string(entered);
}
}  // namespace

TEST_F(FrameWindowTest, ADroppedUrlStartsADownload) {
    // Local URLs: a name the resolver must look up can stall a loaded machine.
    std::string url = workertest::HttpUrl("/drop-url/"), text = workertest::HttpUrl("/drop-text/");
    start(SW_SHOWNORMAL);
    IDropTarget* target = frontEnd->frame();
    DWORD effect = 0;
    // The URL format first, plain text failing that.
    EXPECT_NE("0", Dropped(target, frame, url.c_str(), text.c_str(), &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
    EXPECT_EQ(AStr(url.c_str()), startUrl());
    // A drop while a job runs is refused; once it ended the next is taken.
    ASSERT_TRUE(RunUntil(*app, [&] { return frontEnd->main()->jobIdle(); }));
    {
        // The unnamed job just made is not dropped without a question.
        MessageBoxAnswer no(IDNO);
        Dropped(target, frame, nullptr, ("  " + text + "\r\nmore").c_str(), &effect);
        EXPECT_FALSE(no.text().empty()) << "no question asked";
    }
    EXPECT_EQ(AStr(text.c_str()), startUrl());
    ASSERT_TRUE(RunUntil(*app, [&] { return frontEnd->main()->jobIdle(); }));
    // Text that holds no URL is refused.
    Dropped(target, frame, nullptr, " \r\n", &effect);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
    EXPECT_EQ(AStr(text.c_str()), startUrl());
}

namespace {
// Answers the save question with Yes and then names the file in the save
// dialog that follows, as a user would, from a thread of its own.
class SaveAs {
public:
    explicit SaveAs(std::string file)
        : thread_([this, file] {
              for (int i = 0; i < 2000 && !named_; ++i) {
                  answer(file);
                  Sleep(10);
              }
              // Whatever box is still open some seconds on (a question the
              // test did not expect) is canceled: the test fails instead of
              // hanging.
              for (int i = 0; i < 500 && !done_; ++i) Sleep(10);
              while (!done_) {
                  cancel();
                  Sleep(10);
              }
          }) {}
    // The dialogs returned.
    void finished() { done_ = true; }
    ~SaveAs() {
        done_ = true;
        join();
    }
    bool asked() {
        join();
        return asked_;
    }
    bool named() {
        join();
        return named_;
    }

private:
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    void answer(const std::string& file) {
        ForOwnDialogs([&](HWND box) {
            // The file name box: an extended combo box with its edit in the
            // dialogs of today, a plain edit in the old ones.
            HWND name = GetDlgItem(box, 0x47C);
            if (name) name = reinterpret_cast<HWND>(SendMessageA(name, CBEM_GETEDITCONTROL, 0, 0));
            if (!name) name = GetDlgItem(box, 0x480);
            if (name) {
                SetWindowTextA(name, file.c_str());
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                named_ = true;
                return true;
            }
            if (!asked_ && GetDlgItem(box, 0xFFFF)) {
                asked_ = true;
                PostMessageA(box, WM_COMMAND, IDYES, 0);
                return true;
            }
            return false;
        });
    }
    void cancel() {
        ForOwnDialogs([](HWND box) {
            fprintf(stderr, "an unexpected box: %s\n", BoxText(box).c_str());
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            return false;
        });
    }
    std::atomic<bool> asked_{false};
    std::atomic<bool> named_{false};
    std::atomic<bool> done_{false};
    std::thread thread_;
};
}  // namespace

TEST_F(FrameWindowTest, YesToTheSaveQuestionAsksForTheProjectsName) {
    enginetest::ServedSite site("saveas");
    site.write("index.html", "<p>index</p>");
    write("[Options]\r\nbraskdir=" + dir.string() + "\r\n");
    start(SW_SHOWNORMAL, ("/url " + site.url("index.html")).c_str());
    EngineMainWindow& main = *frontEnd->main();
    ASSERT_TRUE(RunUntil(*app, [&] { return main.jobIdle() && main.engine().jobStarted(); }));
    // Typed as a user would: the dialog takes no "/".
    std::string chosen = (dir / "named.zbp").string();
    for (char& c : chosen)
        if (c == '/') c = '\\';
    SaveAs user(chosen);
    EXPECT_TRUE(main.mayClose());
    user.finished();
    EXPECT_TRUE(user.asked());
    EXPECT_TRUE(user.named());
    EXPECT_TRUE(std::filesystem::exists(chosen));
    EXPECT_TRUE(std::filesystem::exists(dir / "named.zbt"));
    // Not the fixed name beside the copy.
    EXPECT_FALSE(std::filesystem::exists(dir / "127.0.0.1" / "127.0.0.1.zbp"));
}

TEST(WindowsRun, TheWholeEntryRunsTheLoopUntilTheFrameCloses) {
    std::filesystem::path dir =
        std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / ("run-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    std::string ini = (dir / "zbrask.INI").string();
    int idleCalls = 0;
    ProgramEntry e;
    e.commandLine = ("/url " + workertest::HttpUrl("/run-entry/")).c_str();
    e.settings = ApplicationProfile(ini.c_str());
    e.languageFolder = AStr(ZB_BINARY_DIR) + "/bin/";
    e.frontEnd = [&] { return std::make_unique<WinFrontEnd>(GetModuleHandleA(nullptr), e.commandLine.c_str(), 1); };
    e.dialUp = [] { return std::make_unique<DialUp>(platform::RasFunctions{}); };
    // The updater starts at the first idle step: close the frame from there.
    e.updater = [&](void* owner) {
        ++idleCalls;
        PostMessageA(static_cast<HWND>(owner), WM_CLOSE, 0, 0);
    };
    {
        // The job may have changed its graph by the first idle step on a
        // slow machine: the close then asks whether to save it.
        MessageBoxAnswer no(IDNO);
        EXPECT_EQ(0, RunZBrask(e));
    }
    EXPECT_EQ(1, idleCalls);
    std::string saved = ReadFile(ini);
    EXPECT_NE(std::string::npos, saved.find("[Window]\r\nX=")) << saved;
    EXPECT_NE(std::string::npos, saved.find("[Proxy]\r\nUse=0")) << saved;
    EXPECT_EQ(std::string::npos, saved.find("Language=")) << "not written: the language did not change";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

TEST_F(FrameWindowTest, TheInterfaceTextsComeFromTheRussianLibrary) {
    AStr folder = AStr(ZB_BINARY_DIR) + "/bin/";
    ASSERT_EQ(AStr("rus"), LoadLanguage(folder, "rus", ProgramLanguage()).code);
    start(SW_SHOWNORMAL);
    // In code page 1251: "Готово", "Файлов: 0", "Получено: 0 КБ".
    EXPECT_EQ("\xC3\xEE\xF2\xEE\xE2\xEE", status(0));
    EXPECT_EQ("\xD4\xE0\xE9\xEB\xEE\xE2: 0", status(1));
    EXPECT_EQ("\xCF\xEE\xEB\xF3\xF7\xE5\xED\xEE: 0 \xCA\xC1", status(2));
    app.reset();
    (void)LoadLanguage(folder, "enu", ProgramLanguage());
}
