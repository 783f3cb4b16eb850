// The settings commands of the main window under Wine: the current
// project's sheet (400), the defaults (405) and the program options (404),
// each opened from the frame as the menu opens it and driven as a user
// drives it.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "app/LanguageFile.h"
#include "app/shell/Application.h"
#include "ui/win32/EngineMainWindow.h"
#include "ui/win32/SettingsDialogDriver.h"
#include "ui/win32/WinFrontEnd.h"
#include "ui/win32/WindowTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace settingsdialog;
using windowtest::Pump;
using windowtest::ReadFile;

class MainSettingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { (void)OleInitialize(nullptr); }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        (void)LoadProgramLanguage(libraries(), "enu");
        dir = fs::path(ZB_BINARY_DIR) / "testtmp" / ("settings-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ini = (dir / "zbrask.INI").string();
        std::ofstream(ini, std::ios::binary) << "[Window]\r\nX=20\r\nY=20\r\nW=700\r\nH=500\r\nshow=1\r\n"
                                             << "[Options]\r\nbraskdir=" << dir.string() << "\r\n";
    }
    void TearDown() override {
        app.reset();
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        (void)LoadProgramLanguage(libraries(), "enu");
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static AStr libraries() { return AStr(ZB_BINARY_DIR) + "/bin/"; }

    void start() {
        Application::Start s;
        s.show = SW_SHOWNORMAL;
        s.settings = ApplicationProfile(ini.c_str());
        s.options.read(s.settings);
        auto fe = std::make_unique<WinFrontEnd>(GetModuleHandleA(nullptr), "", SW_SHOWNORMAL);
        frontEnd = fe.get();
        app = std::make_unique<Application>(std::move(s), std::move(fe),
                                            std::make_unique<DialUp>(platform::RasFunctions{}), [](void*) {});
        ASSERT_TRUE(app->initInstance());
        frame = frontEnd->frame()->hwnd();
        main = frontEnd->main();
        Pump();
    }
    // The command as the menu sends it; act plays the user at its dialog.
    void command(UINT id, const std::function<void(HWND)>& act) {
        Driver d(act);
        SendMessageA(frame, WM_COMMAND, id, 0);
        EXPECT_TRUE(d.found()) << "no dialog for command " << id;
        Pump();
    }

    fs::path dir;
    std::string ini;
    std::unique_ptr<Application> app;
    WinFrontEnd* frontEnd = nullptr;
    EngineMainWindow* main = nullptr;
    HWND frame = nullptr;
};

TEST_F(MainSettingsTest, TheProjectsSheetMarksItChanged) {
    std::string path = (dir / "site.zbp").string();
    {
        Project p;
        p.makeNew(ApplicationProfile(ini.c_str()));
        p.urls.add("http://site.example/");
        ASSERT_EQ(0, p.save(path.c_str()));
    }
    start();
    ASSERT_TRUE(main->openProject(path.c_str()));
    ASSERT_FALSE(main->engine().project().changed());
    std::wstring caption, shownFolder;
    command(400, [&](HWND sheet) {
        caption = WindowText(sheet);
        HWND p = ShowPage(sheet, 0);
        shownFolder = Text(p, 106);
        Type(p, 104, L"3");
        PressSheet(sheet, PSBTN_OK);
    });
    const Project& project = main->engine().project();
    EXPECT_EQ(L"Download Settings", caption);
    // The project saves beside its file: that folder shows, and stays the
    // default one.
    EXPECT_NE(std::wstring::npos, shownFolder.find(L"site.zbd")) << std::string(shownFolder.begin(), shownFolder.end());
    EXPECT_EQ(AStr(), project.outputPath);
    EXPECT_EQ(3, project.levelsInternal);
    EXPECT_TRUE(project.changed());

    // Only HtmlFirst changed: not a change of the job.
    Project& p = main->engine().project();
    (void)p.save(path.c_str());
    ASSERT_FALSE(p.changed());
    command(400, [&](HWND sheet) {
        Click(ShowPage(sheet, 1), 133);
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_NE(0, p.htmlFirst);
    EXPECT_FALSE(p.changed());
}

TEST_F(MainSettingsTest, TheDefaultsSheetWritesTheDefaults) {
    start();
    std::wstring caption;
    bool urlsEnabled = true;
    command(405, [&](HWND sheet) {
        caption = WindowText(sheet);
        HWND p = ShowPage(sheet, 0);
        urlsEnabled = ItemEnabled(p, 101);
        Type(p, 105, L"2");
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(L"Default Settings", caption);
    EXPECT_FALSE(urlsEnabled);
    std::string text = ReadFile(ini);
    EXPECT_NE(std::string::npos, text.find("[Defaults]")) << text;
    EXPECT_NE(std::string::npos, text.find("levels.external=2\r\n")) << text;
    // The next new job starts from them.
    EXPECT_EQ(2, Mission(app->settings()).levelsExternal);
}

TEST_F(MainSettingsTest, TheProgramOptionsAreStoredAndTheLanguageSwitched) {
    start();
    command(404, [&](HWND d) {
        SendDlgItemMessageW(d, 101, CB_SETCURSEL, 1, 0);  // "rus", after "enu"
        Type(d, 502, L"Tester/2");
        Click(d, 260);
        Type(d, 262, L"proxy.example");
        Type(d, 264, L"3128");
        Click(d, 200);
        PressDialog(d, IDOK);
    });
    // In effect at once.
    EXPECT_EQ(AStr("rus"), main->commands().languageCode());
    EXPECT_TRUE(app->proxy().use);
    EXPECT_EQ(AStr("proxy.example:3128"), app->proxy().address);
    EXPECT_TRUE(app->exitOnEnd());
    EXPECT_EQ(AStr("Tester/2"), app->start().options.internetAgent);
    // And in the settings file at once, not only at the end of the run.
    std::string text = ReadFile(ini);
    EXPECT_NE(std::string::npos, text.find("language=rus\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("InternetAgent=Tester/2\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Address=proxy.example:3128\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("ExitOnEnd=1\r\n")) << text;
}

}  // namespace
