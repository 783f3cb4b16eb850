// The frame window and the status-bar main window under Wine: placement
// restored from the settings file (set, unset, minimised), saved when the
// user moves the frame, dropped URLs, the workers' messages in the status
// bar, closing, and a whole run of the Windows loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "app/Application.h"
#include "app/LanguageFile.h"
#include "app/ProgramEntry.h"
#include "ui/win32/WinFrontEnd.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));  // left for the test to see
            return;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
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
        auto fe = std::make_unique<WinFrontEnd>(GetModuleHandleA(nullptr), commandLine, show);
        frontEnd = fe.get();
        app = std::make_unique<Application>(std::move(s), std::move(fe),
                                            std::make_unique<DialUp>(platform::RasFunctions{}), [](void*) {});
        ASSERT_TRUE(app->initInstance());
        frame = frontEnd->frame()->hwnd();
        ASSERT_TRUE(frame);
    }
    RECT normalRect() const {
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        GetWindowPlacement(frame, &wp);
        return wp.rcNormalPosition;
    }
    std::string status(int part) const { return frontEnd->main()->statusBar().text(part); }

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

TEST_F(FrameWindowTest, TheEntryShowCommandDecidesWhenItIsZero) {
    write("[Window]\r\nX=100\r\nY=120\r\nW=400\r\nH=300\r\nshow=3\r\n");
    start(SW_SHOWNORMAL);
    EXPECT_TRUE(IsZoomed(frame)) << "a stored maximised frame opens maximised";
    app.reset();
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
    EXPECT_EQ(kPlaced, ReadFile(ini));
}

TEST_F(FrameWindowTest, TheWorkersMessagesShowInTheStatusBar) {
    start(SW_SHOWNORMAL, "/url http://example.test/start.html");
    EXPECT_EQ("Ready", status(0));
    EXPECT_EQ("http://example.test/start.html", status(3)) << "the command line's URL went to the main window";
    HWND main = frontEnd->main()->hwnd();
    ASSERT_TRUE(PostMessageA(main, RegisterWindowMessageA("_WM_BYTESREAD"), 3000, 0));
    ASSERT_TRUE(PostMessageA(main, RegisterWindowMessageA("_WM_BYTESREAD"), 3144, 0));
    ASSERT_TRUE(PostMessageA(main, RegisterWindowMessageA("_WM_THREADEND"), 0, 0));
    Pump();
    EXPECT_EQ("Files: 1", status(1));
    EXPECT_EQ("Received: 6 KB", status(2));
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
    start(SW_SHOWNORMAL);
    IDropTarget* target = frontEnd->frame();
    DWORD effect = 0;
    // The URL format first, plain text failing that.
    EXPECT_NE("0", Dropped(target, frame, "http://example.test/url", "http://example.test/text", &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
    EXPECT_EQ("http://example.test/url", status(3));
    Dropped(target, frame, nullptr, "  http://example.test/text\r\nmore", &effect);
    EXPECT_EQ("http://example.test/text", status(3));
    // Text that holds no URL is refused.
    Dropped(target, frame, nullptr, " \r\n", &effect);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
    EXPECT_EQ("http://example.test/text", status(3));
}

TEST(WindowsRun, TheWholeEntryRunsTheLoopUntilTheFrameCloses) {
    std::filesystem::path dir =
        std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / ("run-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    std::string ini = (dir / "zbrask.INI").string();
    int idleCalls = 0;
    ProgramEntry e;
    e.commandLine = "/url http://example.test/";
    e.settings = ApplicationProfile(ini.c_str());
    e.languageFolder = AStr(ZB_BINARY_DIR) + "/bin/";
    e.frontEnd = [&] { return std::make_unique<WinFrontEnd>(GetModuleHandleA(nullptr), e.commandLine.c_str(), 1); };
    e.dialUp = [] { return std::make_unique<DialUp>(platform::RasFunctions{}); };
    // The updater starts at the first idle step: close the frame from there.
    e.updater = [&](void* owner) {
        ++idleCalls;
        PostMessageA(static_cast<HWND>(owner), WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(0, RunZBrask(e));
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
    HWND main = frontEnd->main()->hwnd();
    PostMessageA(main, RegisterWindowMessageA("_WM_BYTESREAD"), 6144, 0);
    PostMessageA(main, RegisterWindowMessageA("_WM_THREADEND"), 0, 0);
    Pump();
    // In code page 1251: "Готово", "Файлов: 1", "Получено: 6 КБ".
    EXPECT_EQ("\xC3\xEE\xF2\xEE\xE2\xEE", status(0));
    EXPECT_EQ("\xD4\xE0\xE9\xEB\xEE\xE2: 1", status(1));
    EXPECT_EQ("\xCF\xEE\xEB\xF3\xF7\xE5\xED\xEE: 6 \xCA\xC1", status(2));
    app.reset();
    (void)LoadLanguage(folder, "enu", ProgramLanguage());
}
