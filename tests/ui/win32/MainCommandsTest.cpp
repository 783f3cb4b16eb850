// The main window's menu and commands under Wine: menu 1 and its keys in
// English and Russian, the language switched at run time, the project
// commands with real project files and the recent list (the path choice
// replaced: under this Wine the common file dialog's thread blocks on the
// volume of Z:), the start-address dialog driven as a user would, the update
// run against the test server, the user's stop with the buttons that
// follow the job, exit asking to save, copy URL and the about box.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/LanguageFile.h"
#include "app/shell/Application.h"
#include "engine/EngineJob.h"
#include "framework/mwstream.h"
#include "site/GraphSupport.h"
#include "site/LinkFlags.h"
#include "site/NodeUrl.h"
#include "site/TreeFile.h"
#include "ui/panes/NodeLook.h"
#include "ui/panes/CommandStates.h"
#include "ui/win32/EngineMainWindow.h"
#include "ui/win32/WinFrontEnd.h"
#include "ui/win32/WindowTestSupport.h"

namespace {

namespace fs = std::filesystem;

using windowtest::Pump;
using windowtest::ReadFile;

bool QuitPosted() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) return true;
        DispatchMessageA(&m);
    }
    return false;
}

// A window's text as Unicode: the menus of the Russian library are read
// back as they are, whatever the code page of the Wine session.
std::wstring Utf16(const char* bytes, UINT codePage) {
    wchar_t out[512] = {};
    MultiByteToWideChar(codePage, 0, bytes, -1, out, 511);
    return out;
}

std::wstring MenuText(HMENU menu, UINT item, UINT flag) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, item, text, 255, flag);
    return text;
}

// The popup of the menu bar that holds command id.
HMENU PopupWith(HMENU bar, UINT id) {
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU sub = GetSubMenu(bar, i);
        if (!sub) continue;
        if (GetMenuState(sub, id, MF_BYCOMMAND) != static_cast<UINT>(-1)) return sub;
    }
    return nullptr;
}

bool Enabled(HMENU bar, UINT id) { return !(GetMenuState(bar, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)); }
bool Checked(HMENU bar, UINT id) { return (GetMenuState(bar, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

// Runs act on the next visible dialog of this process (a message box, the
// file dialog, the start-address dialog), from a thread of its own while
// the dialog runs its modal loop. Keeps the dialog's text.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> act)
        : thread_([this, act] {
              for (int i = 0; i < 1500 && !found_; ++i) {
                  HWND box = nullptr;
                  while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
                      DWORD pid = 0;
                      GetWindowThreadProcessId(box, &pid);
                      if (pid != GetCurrentProcessId() || !IsWindowVisible(box)) continue;
                      char text[1024] = {};
                      if (HWND label = GetDlgItem(box, 0xFFFF)) GetWindowTextA(label, text, sizeof text);
                      text_ = text;
                      char title[256] = {};
                      GetWindowTextA(box, title, sizeof title);
                      title_ = title;
                      found_ = true;
                      Sleep(100);  // until its controls are all there
                      act(box);
                      break;
                  }
                  if (!found_) Sleep(10);
              }
          }) {}
    ~DialogDriver() { join(); }
    bool found() {
        join();
        return found_;
    }
    const std::string& text() {
        join();
        return text_;
    }
    const std::string& title() {
        join();
        return title_;
    }

private:
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool found_ = false;
    std::string text_, title_;
    std::thread thread_;
};

std::function<void(HWND)> Press(int button) {
    return [button](HWND box) { PostMessageA(box, WM_COMMAND, button, 0); };
}

// Writes the screen as a 24-bit BMP file (the tests' screenshots).
void SaveScreen(const std::string& path) {
    windowtest::SaveScreenRect({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, path);
}

class MainCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { (void)OleInitialize(nullptr); }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        (void)LoadLanguage(libraries(), "enu", ProgramLanguage());
        dir = fs::path(ZB_BINARY_DIR) / "testtmp" / ("commands-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ini = (dir / "zbrask.INI").string();
        // Placed: the screenshots show the whole frame.
        // The copies of unnamed jobs go below the test's folder.
        std::ofstream(ini, std::ios::binary) << "[Window]\r\nX=20\r\nY=20\r\nW=760\r\nH=520\r\nshow=1\r\n"
                                             << "[Options]\r\nbraskdir=" << dir.string() << "\r\n";
    }
    void TearDown() override {
        app.reset();
        (void)QuitPosted();
        (void)LoadLanguage(libraries(), "enu", ProgramLanguage());
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static AStr libraries() { return AStr(ZB_BINARY_DIR) + "/bin/"; }

    void start(const std::string& commandLine = "") {
        Application::Start s;
        s.commandLine = commandLine.c_str();
        s.show = SW_SHOWNORMAL;
        s.settings = ApplicationProfile(ini.c_str());
        s.options.read(s.settings);  // as the entry reads them
        auto fe = std::make_unique<WinFrontEnd>(GetModuleHandleA(nullptr), commandLine.c_str(), SW_SHOWNORMAL);
        frontEnd = fe.get();
        app = std::make_unique<Application>(std::move(s), std::move(fe),
                                            std::make_unique<DialUp>(platform::RasFunctions{}), [](void*) {});
        ASSERT_TRUE(app->initInstance());
        frame = frontEnd->frame()->hwnd();
        main = frontEnd->main();
        Pump();
    }
    void command(UINT id) { SendMessageA(frame, WM_COMMAND, id, 0); }
    HMENU bar() const { return GetMenu(frame); }
    // The menu's states as the user sees them when a popup opens.
    void openMenus() {
        for (int i = 0; i < GetMenuItemCount(bar()); ++i)
            SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar(), i)), i);
    }
    bool buttonEnabled(int id) const {
        return SendMessageA(main->panes().tools().hwnd(), TB_ISBUTTONENABLED, id, 0) != 0;
    }
    bool runUntil(const std::function<bool()>& done, int seconds = 20) {
        for (int i = 0; i < seconds * 100; ++i) {
            Pump();
            (void)app->idleAction(0);
            if (done()) return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return false;
    }
    bool runToIdle() {
        return runUntil([&] { return main->jobIdle() && main->engine().activeList().empty(); });
    }
    // A project file of the test server's site, saved by the engine's own
    // classes.
    std::string writeProject(const std::string& name, const std::string& url, int levels = -1) {
        std::string path = (dir / name).string();
        Project p;
        p.makeNew(ApplicationProfile());
        p.urls.add(url.c_str());
        if (levels >= 0) {
            p.levelsInternal = levels;
            p.levelsExternal = 0;
        }
        p.outputPath = (dir / (name + "-copy")).string().c_str();
        EXPECT_EQ(0, p.save(path.c_str()));
        return path;
    }
    // Opens the File menu as a user does and saves the screen while it is
    // open, at build/.../screens/<name>.bmp.
    void screenshotWithMenuOpen(const std::string& name) {
        fs::path shots = fs::path(ZB_BINARY_DIR) / "screens";
        fs::create_directories(shots);
        std::string file = (shots / (name + ".bmp")).string();
        RECT item = {};
        ASSERT_TRUE(GetMenuItemRect(frame, bar(), 0, &item));
        std::thread shooter([file] {
            HWND popup = nullptr;
            for (int i = 0; i < 300 && !popup; ++i) {
                Sleep(10);
                popup = FindWindowA("#32768", nullptr);
                if (popup && !IsWindowVisible(popup)) popup = nullptr;
            }
            Sleep(300);  // painted
            SaveScreen(file);
            if (popup) PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        SetForegroundWindow(frame);
        TrackPopupMenu(GetSubMenu(bar(), 0), TPM_LEFTALIGN | TPM_TOPALIGN, item.left, item.bottom, 0, frame, nullptr);
        shooter.join();
        EXPECT_GT(fs::file_size(file), 100000u) << file;
    }

    fs::path dir;
    std::string ini;
    std::unique_ptr<Application> app;
    WinFrontEnd* frontEnd = nullptr;
    EngineMainWindow* main = nullptr;
    HWND frame = nullptr;
};

// Every command of the window, each in its popup, in both languages.
const UINT kMenuCommands[] = {121, 122, 123, 124, 199, 125, 126, 128, 130, 3232, 127, 401,
                              402, 403, 408, 410, 411, 400, 405, 404, 406, 450, 451, 500};

// The mnemonics of a popup's items, none twice (compared without regard to
// case).
void ExpectDistinctMnemonics(HMENU menu, const std::wstring& where) {
    std::set<wchar_t> seen;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        std::wstring t = MenuText(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (t.empty()) continue;  // a separator
        size_t amp = t.find(L'&');
        ASSERT_NE(std::wstring::npos, amp) << "no mnemonic: " << std::string(t.begin(), t.end());
        wchar_t c[2] = {t[amp + 1], 0};
        CharLowerBuffW(c, 1);
        EXPECT_TRUE(seen.insert(c[0]).second) << "a mnemonic twice in " << std::string(where.begin(), where.end())
                                           << " (item " << i << ")";
        if (HMENU sub = GetSubMenu(menu, i)) ExpectDistinctMnemonics(sub, t);
    }
}

void ExpectWholeMenu(HMENU bar, const wchar_t* const* titles) {
    ASSERT_EQ(5, GetMenuItemCount(bar));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(std::wstring(titles[i]), MenuText(bar, i, MF_BYPOSITION)) << i;
    for (UINT id : kMenuCommands) EXPECT_NE(nullptr, PopupWith(bar, id)) << "command " << id;
    ExpectDistinctMnemonics(bar, L"the menu bar");
}

}  // namespace

TEST_F(MainCommandsTest, TheMenuItsChecksAndItsKeysInEnglish) {
    start();
    ASSERT_TRUE(bar());
    const wchar_t* titles[] = {L"&File", L"&Download", L"&View", L"&Options", L"&Help"};
    ExpectWholeMenu(bar(), titles);
    EXPECT_EQ(L"&New download...\tCtrl+N", MenuText(bar(), 121, MF_BYCOMMAND));
    EXPECT_EQ(L"&Start or continue\tF5", MenuText(bar(), 125, MF_BYCOMMAND));
    EXPECT_EQ(L"&Russian", MenuText(bar(), 451, MF_BYCOMMAND));

    // No job yet: nothing to start, stop or save; new and open are there,
    // and the settings dialogs; the dialogs of later work are shown but
    // closed.
    openMenus();
    for (UINT id : {125u, 126u, 128u, 123u, 124u, 127u, 3232u}) EXPECT_FALSE(Enabled(bar(), id)) << id;
    for (UINT id : {121u, 122u, 130u, 199u, 401u, 406u, 410u, 450u, 451u, 500u, 400u, 404u, 405u})
        EXPECT_TRUE(Enabled(bar(), id)) << id;
    EXPECT_FALSE(buttonEnabled(125));
    EXPECT_FALSE(buttonEnabled(126));
    EXPECT_TRUE(buttonEnabled(400));
    // The view items are checked as the panes stand.
    for (UINT id : {401u, 403u, 408u, 410u, 411u}) EXPECT_TRUE(Checked(bar(), id)) << id;
    EXPECT_FALSE(Checked(bar(), 402));
    EXPECT_TRUE(Checked(bar(), 450)) << "the language in use";
    command(402);
    command(408);
    openMenus();
    EXPECT_TRUE(Checked(bar(), 402));
    EXPECT_FALSE(Checked(bar(), 401));
    EXPECT_FALSE(Checked(bar(), 408));

    // F5 starts an opened project: the keys come from the library and are
    // translated in the loop, for the keys typed into any of its windows.
    std::string project = writeProject("keys.zbp", workertest::HttpUrl("/keys-" + std::to_string(GetTickCount())));
    ASSERT_TRUE(main->openProject(project.c_str()));
    MSG key = {main->panes().fileView(), WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_TRUE(main->commands().translate(key));
    EXPECT_FALSE(main->jobIdle()) << "F5 started the job";
    key.hwnd = nullptr;  // not one of its windows
    EXPECT_FALSE(main->commands().translate(key));
    ASSERT_TRUE(runToIdle());
    screenshotWithMenuOpen("menu-enu");
}

TEST_F(MainCommandsTest, TheLanguageSwitchesAtRunTime) {
    start();
    command(451);
    // The menu, in code page 1251: "&Файл", "&Загрузка", "&Вид", "&Параметры", "&Справка".
    std::wstring titles[5] = {Utf16("&\xD4\xE0\xE9\xEB", 1251), Utf16("&\xC7\xE0\xE3\xF0\xF3\xE7\xEA\xE0", 1251),
                              Utf16("&\xC2\xE8\xE4", 1251), Utf16("&\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB", 1251),
                              Utf16("&\xD1\xEF\xF0\xE0\xE2\xEA\xE0", 1251)};
    const wchar_t* t[5] = {titles[0].c_str(), titles[1].c_str(), titles[2].c_str(), titles[3].c_str(),
                           titles[4].c_str()};
    ExpectWholeMenu(bar(), t);
    // The help goes with the language.
    std::string help = ProgramHelpPath().c_str();
    EXPECT_EQ("zbrus.hlp", help.substr(help.size() - std::min<size_t>(help.size(), 9))) << help;
    // "&Русский", checked.
    EXPECT_EQ(Utf16("&\xD0\xF3\xF1\xF1\xEA\xE8\xE9", 1251), MenuText(bar(), 451, MF_BYCOMMAND));
    openMenus();
    EXPECT_TRUE(Checked(bar(), 451));
    EXPECT_FALSE(Checked(bar(), 450));
    // The status bar, the toolbar's list and tips: "Готово", "Адреса",
    // as the controls hold them in UTF-16, whatever the system's code page.
    EXPECT_EQ("\xC3\xEE\xF2\xEE\xE2\xEE", main->statusBar().text(0));
    wchar_t shown[64] = {};
    SendMessageW(main->statusBar().hwnd(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(Utf16("\xC3\xEE\xF2\xEE\xE2\xEE", 1251), shown);
    SendMessageW(main->panes().tools().list(), CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(Utf16("\xC0\xE4\xF0\xE5\xF1\xE0", 1251), shown);
    EXPECT_EQ(std::string(ProgramLanguage().text(26600).c_str()), main->panes().tools().tipOf(125));
    NMTTDISPINFOW tip = {};
    tip.hdr.code = TTN_GETDISPINFOW;
    tip.hdr.idFrom = 125;
    ASSERT_TRUE(main->panes().tools().onNotify(&tip.hdr));
    EXPECT_EQ(Utf16(ProgramLanguage().text(26600).c_str(), 1251), tip.lpszText);
    EXPECT_GE(tip.lpszText[0], 0x400) << "a Cyrillic letter";
    EXPECT_EQ(AStr("rus"), main->commands().languageCode());
    EXPECT_NE(std::string::npos, ReadFile(ini).find("language=rus\r\n")) << ReadFile(ini);
    screenshotWithMenuOpen("menu-rus");

    // Not while downloads read the library's texts.
    std::string url = workertest::HttpUrl("/late?lang-" + std::to_string(GetTickCount()));
    ASSERT_TRUE(main->startUrl(url.c_str()));
    ASSERT_TRUE(runUntil([&] { return main->engine().activeCount() > 0; }));
    openMenus();
    EXPECT_FALSE(Enabled(bar(), 450));
    EXPECT_FALSE(main->commands().switchLanguage("enu"));
    EXPECT_EQ(AStr("rus"), main->commands().languageCode());
    ASSERT_TRUE(runToIdle());

    // A language without a library changes nothing.
    {
        DialogDriver ok(Press(IDOK));
        EXPECT_FALSE(main->commands().switchLanguage("ger"));
        EXPECT_NE(std::string::npos, ok.text().find("zbger.dll")) << ok.text();
    }
    EXPECT_EQ(AStr("rus"), main->commands().languageCode());
    command(450);
    EXPECT_EQ(L"&File", MenuText(bar(), 0, MF_BYPOSITION));
    EXPECT_EQ("Ready", main->statusBar().text(0));
    EXPECT_NE(std::string::npos, ReadFile(ini).find("language=enu")) << ReadFile(ini);
}

TEST_F(MainCommandsTest, OpenSaveSaveAsAndTheRecentListWithRealProjectFiles) {
    std::string first = writeProject("first.zbp", "http://first.test/");
    std::string second = writeProject("second.zbp", "http://second.test/");
    start();
    std::vector<std::string> asked;
    std::string answer;
    main->commands().choosePath = [&](bool save, const AStr& name, const AStr&) {
        asked.push_back(std::string(save ? "save " : "open ") + name.c_str());
        return AStr(answer.c_str());
    };
    answer = first;
    command(122);
    EXPECT_EQ(AStr("http://first.test/"), main->engine().project().urls[0]);
    EXPECT_EQ(AStr(first.c_str()), main->projectPath());
    answer = second;
    command(122);
    EXPECT_EQ(AStr("http://second.test/"), main->engine().project().urls[0]);
    // Newest first, in the File menu above "Exit".
    openMenus();
    HMENU file = PopupWith(bar(), 199);
    ASSERT_TRUE(file);
    EXPECT_EQ(L"&1 " + std::wstring(second.begin(), second.end()), MenuText(bar(), 180, MF_BYCOMMAND));
    EXPECT_EQ(L"&2 " + std::wstring(first.begin(), first.end()), MenuText(bar(), 181, MF_BYCOMMAND));
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(bar(), 182, MF_BYCOMMAND));
    int n = GetMenuItemCount(file);
    EXPECT_EQ(199u, GetMenuItemID(file, n - 1));
    EXPECT_TRUE(GetMenuState(file, n - 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(181u, GetMenuItemID(file, n - 3));

    // Recent entry 2 opens the first project again and goes to the top.
    command(181);
    EXPECT_EQ(AStr("http://first.test/"), main->engine().project().urls[0]);
    EXPECT_EQ(AStr(first.c_str()), main->commands().recent().files()[0]);

    // Save as: the file is written under the new name, which is the
    // project's from then on; save writes it there again.
    std::string third = (dir / "third.zbp").string();
    answer = third;
    command(124);
    ASSERT_TRUE(fs::exists(third));
    EXPECT_NE(std::string::npos, ReadFile(third).find("http://first.test/"));
    EXPECT_EQ(AStr(third.c_str()), main->projectPath());
    fs::remove(third);
    asked.clear();
    command(123);
    EXPECT_TRUE(fs::exists(third)) << "saved under its name";
    EXPECT_TRUE(asked.empty()) << "without asking";
    // Canceled dialogs change nothing.
    answer.clear();
    command(124);
    command(122);
    EXPECT_EQ(AStr(third.c_str()), main->projectPath());
    std::string stored = ReadFile(ini);
    EXPECT_NE(std::string::npos, stored.find("[FileHistory]\r\nsize=3\r\n1=" + third + "\r\n2=" + first + "\r\n3=" +
                                             second + "\r\nlastDir=" + dir.string() + "\\\r\n"))
        << stored;

    // The list outlives a restart; an entry whose file is gone is dropped
    // when chosen.
    app.reset();
    fs::remove(first);
    start();
    openMenus();
    EXPECT_EQ(L"&1 " + std::wstring(third.begin(), third.end()), MenuText(bar(), 180, MF_BYCOMMAND));
    command(181);
    EXPECT_EQ(2u, main->commands().recent().files().size());
    EXPECT_EQ(AStr(second.c_str()), main->commands().recent().files()[1]);
    openMenus();
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(bar(), 182, MF_BYCOMMAND));
}

TEST_F(MainCommandsTest, NewAsksForTheStartAddressAndRunsTheJob) {
    enginetest::ServedSite site("typed");
    site.write("index.html", "<a href=\"a.html\">a</a>");
    site.write("a.html", "a");
    start();
    // Typed without its scheme, as a first-time user may.
    std::string typed = site.url("index.html").substr(7);
    DialogDriver user([&](HWND dialog) {
        SetDlgItemTextA(dialog, 1001, typed.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    command(121);
    EXPECT_TRUE(user.found());
    EXPECT_EQ("New download", user.title());
    EXPECT_EQ(AStr(site.url("index.html").c_str()), main->engine().project().urls[0]);
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(2u, main->engine().filesReceived());
    // Canceled: the job stays as it is.
    {
        DialogDriver cancel(Press(IDCANCEL));
        command(121);
    }
    EXPECT_EQ(AStr(site.url("index.html").c_str()), main->engine().project().urls[0]);
}

// What a user does with a node of the link view: double-click shows its
// stored copy in the page view; Enter on one the job left out offers to
// fetch it, and Yes fetches that one file.
TEST_F(MainCommandsTest, ANodeOpensItsCopyOrIsOfferedForFetching) {
    enginetest::ServedSite site("open");
    site.write("index.html", "<title>Top</title><a href=\"a.html\">to a</a>");
    site.write("a.html", "<title>A</title><a href=\"deep.html\">deeper</a>");
    site.write("deep.html", "<title>Deep</title>the end");
    start();
    ASSERT_TRUE(main->openProject(writeProject("open.zbp", site.url("index.html"), 1).c_str()));
    command(125);
    ASSERT_TRUE(runToIdle());
    ASSERT_EQ(2u, main->engine().filesReceived());
    command(402);  // the link view in the left pane
    LinkView& links = main->linkView();
    HWND tree = links.hwnd();
    EXPECT_TRUE(IsWindowVisible(tree));
    auto notify = [&](UINT code) {
        NMHDR h = {tree, static_cast<UINT_PTR>(GetDlgCtrlID(tree)), code};
        return SendMessageW(GetParent(tree), WM_NOTIFY, h.idFrom, reinterpret_cast<LPARAM>(&h));
    };
    auto select = [&](ToBeOpenTN* node) {
        std::vector<HTREEITEM> items = links.itemsOf(*node);
        ASSERT_FALSE(items.empty());
        SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items[0]));
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[0]));
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items[0]));
    };
    ToBeOpenTN* index = main->engine().graph().find(site.url("index.html"));
    ToBeOpenTN* a = main->engine().graph().find(site.url("a.html"));
    ToBeOpenTN* deep = main->engine().graph().find(site.url("deep.html"));
    ASSERT_TRUE(index && a && deep);
    ASSERT_EQ(0u, deep->flags & FlagReceived) << "beyond the depth";

    // A stored page: the page view comes up with its copy.
    command(403);
    ASSERT_FALSE(main->layout().shows(PaneLayout::kPageView));
    select(index);
    select(a);
    EXPECT_EQ(AStr(site.url("a.html").c_str()), main->currentUrl());
    notify(NM_DBLCLK);
    EXPECT_TRUE(main->layout().shows(PaneLayout::kPageView));
    std::string shown = main->panes().pageView().pagePath();
    EXPECT_NE(std::string::npos, shown.find("a.htm")) << shown;
    EXPECT_EQ("<title>A</title>", ReadFile(shown).substr(0, 16));
    EXPECT_EQ(shown, main->browserTarget());

    // Not fetched: No leaves it so, Yes fetches it alone.
    select(deep);
    {
        DialogDriver no(Press(IDNO));
        notify(NM_RETURN);
        EXPECT_NE(std::string::npos, no.text().find("deep.html has not been downloaded.")) << no.text();
    }
    EXPECT_EQ(0u, deep->flags & FlagReceived);
    {
        DialogDriver yes(Press(IDYES));
        notify(NM_RETURN);
        EXPECT_TRUE(yes.found());
    }
    ASSERT_TRUE(runToIdle());
    EXPECT_NE(0u, deep->flags & FlagReceived);
    EXPECT_EQ(1u, workertest::LoggedRequests(site.target("deep.html")).size());
    EXPECT_EQ(1u, workertest::LoggedRequests(site.target("index.html")).size()) << "nothing else asked again";
    // Now it is there to be shown.
    notify(NM_DBLCLK);
    EXPECT_EQ("<title>Deep</title>", ReadFile(main->panes().pageView().pagePath()).substr(0, 19));
}

// A whole run on a site of a few hundred pages as a user watches it: the
// thread view lists the downloads while they run and the file view's icons
// follow the job; at the end the file view shows every node of the saved
// tree file with the icon of its state, the message pane the end message,
// and the window is saved as a screenshot in both languages.
TEST_F(MainCommandsTest, AWholeRunShowsInEveryPane) {
    enginetest::ServedSite site("whole");
    const int kPages = 300;
    std::string index = "<title>Whole run</title>\n";
    for (int i = 0; i < kPages; ++i) {
        char name[16];
        snprintf(name, sizeof name, "p%03d.html", i);
        index += "<a href=\"" + std::string(name) + "\">Page " + std::to_string(i) + "</a>\n";
        // Beyond the job's one level: known, never fetched.
        site.write(name, "<title>Page " + std::to_string(i) + "</title><a href=\"deep/d" + std::to_string(i) +
                             ".html\">deeper</a>");
    }
    index += "<a href=\"missing.html\">gone</a> <a href=\"/late?" + site.name + "\">slow</a>";
    site.write("index.html", index);
    start("/url " + site.url("index.html"));
    FileView& files = main->fileView();
    LinkGraph& graph = main->engine().graph();
    auto iconOf = [&](HTREEITEM item) {
        TVITEMW it = {};
        it.mask = TVIF_IMAGE;
        it.hItem = item;
        SendMessageW(files.hwnd(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
        return it.iImage;
    };
    // Opens the branches down to node, as a user clicks them open.
    auto expandTo = [&](const ToBeOpenTN& node) {
        std::vector<const ToBeOpenTN*> above;
        for (const ToBeOpenTN* p = node.parentNode(); p; p = p->parentNode()) above.push_back(p);
        for (auto p = above.rbegin(); p != above.rend(); ++p)
            if (HTREEITEM item = files.itemOf(**p))
                SendMessageW(files.hwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        return files.itemOf(node);
    };
    size_t mostRunning = 0;
    std::set<int> watchedIcons;
    ASSERT_TRUE(runUntil(
        [&] {
            mostRunning = std::max(mostRunning, main->threadView().lines().size());
            if (ToBeOpenTN* watched = graph.find(site.url("p250.html")))
                if (HTREEITEM item = expandTo(*watched)) watchedIcons.insert(iconOf(item));
            return main->jobIdle() && main->engine().jobStarted() && main->engine().activeList().empty();
        },
        180));
    EXPECT_GT(mostRunning, 0u) << "the thread view listed the running downloads";
    EXPECT_TRUE(main->threadView().lines().empty());
    EXPECT_GE(watchedIcons.size(), 2u) << "queued, then received";
    EXPECT_EQ(1u, watchedIcons.count(static_cast<int>(NodeIcon::Done)));
    ASSERT_FALSE(main->messageList().lines().empty());
    EXPECT_EQ("The download is complete.", main->messageList().lines().back());

    // The tree file as the engine saved it, against what the view shows.
    std::string project = (dir / "whole.zbp").string();
    main->commands().choosePath = [&](bool, const AStr&, const AStr&) { return AStr(project.c_str()); };
    command(124);
    std::string tree = ReadFile(treeFileName(project).c_str());
    ASSERT_FALSE(tree.empty());
    TestPolicy policy;
    LinkGraph saved{policy};
    imwstream in(tree);
    ASSERT_EQ(0, readTree(saved, in));
    size_t compared = 0;
    std::set<int> icons;
    std::function<void(const ToBeOpenTN&)> compare = [&](const ToBeOpenTN& n) {
        for (const ToBeOpenTN* c = n.firstChild(); c; c = c->nextSibling()) {
            AStr url = nodeUrl(c);
            ToBeOpenTN* live = graph.find(url.view());
            ASSERT_NE(nullptr, live) << url.c_str();
            HTREEITEM item = expandTo(*live);
            ASSERT_NE(nullptr, item) << url.c_str();
            EXPECT_EQ(static_cast<int>(IconOf(*c)), iconOf(item)) << url.c_str();
            icons.insert(iconOf(item));
            ++compared;
            compare(*c);
        }
    };
    compare(saved.root());
    EXPECT_GE(compared, 2u * kPages + 3u) << "the pages, the links beyond them, the index and the missing page";
    EXPECT_GE(icons.size(), 4u) << "folders, received, never fetched, failed";

    // What a user sees at the end, in English and after the switch to Russian.
    if (HTREEITEM watched = expandTo(*graph.find(site.url("p250.html"))))
        SendMessageW(files.hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(watched));
    fs::path shots = fs::path(ZB_BINARY_DIR) / "screens";
    fs::create_directories(shots);
    for (UINT language : {450u, 451u}) {
        command(language);
        SetForegroundWindow(frame);
        RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        Sleep(300);
        std::string shot = (shots / (language == 450 ? "whole-run-enu.bmp" : "whole-run-rus.bmp")).string();
        SaveScreen(shot);
        EXPECT_GT(fs::file_size(shot), 100000u);
    }
    EXPECT_EQ(L"&\x0424\x0430\x0439\x043B", MenuText(bar(), 0, MF_BYPOSITION)) << "the Russian menu";
}

// A tree file cut off in the middle: the project opens with the nodes read
// whole, the message pane says what happened, and the job goes on.
TEST_F(MainCommandsTest, AProjectWithADamagedTreeFileOpensWithWhatCouldBeRead) {
    enginetest::ServedSite site("damaged");
    std::string index;
    for (int i = 0; i < 40; ++i) {
        index += "<a href=\"p" + std::to_string(i) + ".html\">p</a>";
        site.write("p" + std::to_string(i) + ".html", "page " + std::to_string(i) + ", long enough");
    }
    site.write("index.html", index);
    std::string project = writeProject("damaged.zbp", site.url("index.html"), 1);
    start();
    ASSERT_TRUE(main->openProject(project.c_str()));
    command(125);
    ASSERT_TRUE(runToIdle());
    ASSERT_EQ(41u, main->engine().filesReceived());
    command(123);
    std::string treePath = treeFileName(project).c_str();
    std::string tree = ReadFile(treePath);
    ASSERT_GT(tree.size(), 1000u);
    std::ofstream(treePath, std::ios::binary | std::ios::trunc) << tree.substr(0, tree.size() / 2);

    ASSERT_TRUE(main->openProject(project.c_str()));
    Pump();
    const std::vector<std::string>& messages = main->messageList().lines();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(0u, messages.back().rfind("Cannot read the tree file", 0)) << messages.back();
    EXPECT_TRUE(fs::exists(treePath + ".damaged")) << "the damaged file kept aside";
    ToBeOpenTN* start = main->engine().graph().find(site.url("index.html"));
    ASSERT_NE(nullptr, start) << "the nodes read whole are there";
    ToBeOpenTN* host = main->engine().graph().root().firstChild();
    ASSERT_NE(nullptr, host);
    EXPECT_NE(nullptr, main->fileView().itemOf(*host)) << "and shown";
    // The job goes on from what was read and ends with the whole site.
    command(125);
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ("The download is complete.", main->messageList().lines().back());
    for (int i = 0; i < 40; ++i) {
        ToBeOpenTN* page = main->engine().graph().find(site.url("p" + std::to_string(i) + ".html"));
        ASSERT_NE(nullptr, page) << i;
        EXPECT_NE(0u, page->flags & FlagReceived) << i;
    }
}

TEST_F(MainCommandsTest, TheUpdateRunAsksTheServerAgain) {
    enginetest::ServedSite site("update");
    // More than ten bytes each: a shorter copy is fetched without asking.
    site.write("index.html", "<a href=\"a.html\">a</a> <a href=\"b.html\">b</a>");
    site.write("a.html", "page a, long enough");
    site.write("b.html", "page b, long enough");
    start("/url " + site.url("index.html"));
    ASSERT_TRUE(runToIdle());
    ASSERT_EQ(3u, main->engine().filesReceived());
    openMenus();
    EXPECT_TRUE(Enabled(bar(), 128));
    EXPECT_TRUE(buttonEnabled(128));
    command(128);
    EXPECT_EQ("Restarting the download...", main->statusBar().text(7));
    ASSERT_TRUE(runToIdle());
    // Each file once more, asked whether it changed since the copy.
    for (const char* f : {"index.html", "a.html", "b.html"}) {
        std::vector<std::string> log = workertest::LoggedRequests(site.target(f));
        ASSERT_EQ(2u, log.size()) << f;
        EXPECT_EQ(std::string::npos, log[0].find("If-Modified-Since")) << log[0];
        EXPECT_NE(std::string::npos, log[1].find("If-Modified-Since")) << log[1];
    }
}

TEST_F(MainCommandsTest, StopWhileRunningAndTheCommandsFollowTheJob) {
    enginetest::ServedSite site("stop");
    std::string links;
    for (int i = 0; i < 4; ++i) links += "<a href=\"/late?" + site.name + std::to_string(i) + "\">x</a>";
    site.write("index.html", links);
    start("/url " + site.url("index.html"));
    ASSERT_TRUE(runUntil([&] { return main->engine().activeCount() >= 2; }));
    // Running: no start, no update run, no new language; stop.
    openMenus();
    EXPECT_FALSE(Enabled(bar(), 125));
    EXPECT_FALSE(Enabled(bar(), 128));
    EXPECT_TRUE(Enabled(bar(), 126));
    EXPECT_FALSE(buttonEnabled(125));
    EXPECT_TRUE(buttonEnabled(126));
    command(126);
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(1u, main->engine().filesReceived()) << "no slow answer was waited for";
    EXPECT_EQ("The download was stopped.", main->statusBar().text(7));
    // Idle: start again, no stop.
    Pump();
    (void)app->idleAction(0);
    openMenus();
    EXPECT_TRUE(Enabled(bar(), 125));
    EXPECT_FALSE(Enabled(bar(), 126));
    EXPECT_TRUE(buttonEnabled(125));
    EXPECT_FALSE(buttonEnabled(126));
}

TEST_F(MainCommandsTest, ExitAsksToSaveAChangedUnnamedProject) {
    enginetest::ServedSite site("exit");
    site.write("index.html", "x");
    start("/url " + site.url("index.html"));
    ASSERT_TRUE(runToIdle());
    {
        DialogDriver cancel(Press(IDCANCEL));
        command(199);
        Pump();
        EXPECT_EQ(std::string(ProgramLanguage().text(22012).c_str()), cancel.text());
    }
    EXPECT_TRUE(IsWindow(frame)) << "canceled: the program stays";
    EXPECT_EQ("The command was canceled.", main->statusBar().text(7));
    // Yes with a name chosen: saved there, then the program ends.
    std::string named = (dir / "named.zbp").string();
    main->commands().choosePath = [&](bool save, const AStr&, const AStr&) {
        return save ? AStr(named.c_str()) : AStr();
    };
    {
        DialogDriver yes(Press(IDYES));
        command(199);
        Pump();
        EXPECT_TRUE(yes.found());
    }
    EXPECT_TRUE(fs::exists(named));
    EXPECT_TRUE(QuitPosted());
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(MainCommandsTest, CopyUrlAboutAndDeletingTheDownloads) {
    enginetest::ServedSite site("copy");
    site.write("index.html", "<a href=\"sub/a.html\">a</a>");
    site.write("sub/a.html", "a");
    start("/url " + site.url("index.html"));
    ASSERT_TRUE(runToIdle());
    auto clipboard = [&] {
        std::string text;
        if (!OpenClipboard(frame)) return text;
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(h));
            GlobalUnlock(h);
        }
        CloseClipboard();
        return text;
    };
    command(3232);
    EXPECT_EQ(site.url("index.html"), clipboard()) << "no node chosen: the start URL";
    ToBeOpenTN* a = main->engine().graph().find(AStr(site.url("sub/a.html").c_str()));
    ASSERT_NE(nullptr, a);
    main->setCurrentNode(a);
    command(3232);
    EXPECT_EQ(site.url("sub/a.html"), clipboard());

    {
        DialogDriver ok(Press(IDOK));
        command(500);
        EXPECT_EQ("About Zelko Brask", ok.title());
        EXPECT_EQ(0u, ok.text().rfind("Zelko Brask 3.3", 0)) << ok.text();
    }

    // Named, so that the job's gate has nothing to ask.
    std::string named = (dir / "copy.zbp").string();
    main->commands().choosePath = [&](bool, const AStr&, const AStr&) { return AStr(named.c_str()); };
    command(124);
    ASSERT_TRUE(fs::exists(named));
    // Deleting asks first; No keeps every file.
    std::string out = main->engine().outputFolder().c_str();
    std::string stored = main->engine().graph().absolutePath(a->savedFile).c_str();
    ASSERT_TRUE(fs::exists(stored)) << stored;
    {
        DialogDriver no(Press(IDNO));
        command(127);
        EXPECT_NE(std::string::npos, no.text().find(out)) << no.text();
    }
    EXPECT_TRUE(fs::exists(stored));
    {
        DialogDriver yes(Press(IDYES));
        command(127);
        EXPECT_TRUE(yes.found());
        EXPECT_NE(std::string::npos, yes.text().find(out)) << yes.text();
    }
    EXPECT_FALSE(fs::exists(stored)) << main->engine().jobState() << " " << main->statusBar().text(7);
    std::string left;
    if (fs::exists(out))
        for (const auto& e : fs::recursive_directory_iterator(out)) left += e.path().string() + " ";
    EXPECT_FALSE(fs::exists(out)) << "the copy and its folder are gone; left: " << left;
    openMenus();
    EXPECT_TRUE(Enabled(bar(), 125)) << "the project can start again";
}
