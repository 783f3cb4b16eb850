// The mission settings sheet under Wine, driven as a user drives it: the
// fields typed, boxes and buttons clicked, then OK or Cancel, and the
// mission (or the settings file's defaults) looked at afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/ApplicationProfile.h"
#include "app/LanguageFile.h"
#include "site/Mission.h"
#include "site/Project.h"
#include "ui/panes/MissionFields.h"
#include "ui/win32/DialogHelp.h"
#include "ui/win32/MissionSheet.h"
#include "ui/win32/SettingsDialogDriver.h"
#include "ui/win32/WindowTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace settingsdialog;

class MissionSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        (void)LoadProgramLanguage(libraries(), "enu");
        dir = fs::path(ZB_BINARY_DIR) / "testtmp" / ("sheet-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ini = (dir / "zbrask.INI").string();
        settings = ApplicationProfile(ini.c_str());
        setup.currentFolder = "C:\\Copies\\site.zbd";
        setup.settings = &settings;
        setup.firstPage = 0;
    }
    void TearDown() override {
        SetHelpOpener(nullptr);
        (void)LoadProgramLanguage(libraries(), "enu");
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static AStr libraries() { return AStr(ZB_BINARY_DIR) + "/bin/"; }
    std::string iniText() const { return windowtest::ReadFile(ini); }

    // Opens the sheet on m; act plays the user; the sheet's result.
    int run(Mission& m, const std::function<void(HWND)>& act) {
        Driver d(act);
        int r = MissionSheet::edit(nullptr, m, setup);
        EXPECT_TRUE(d.found()) << "no sheet came up";
        return r;
    }

    fs::path dir;
    std::string ini;
    ApplicationProfile settings;
    MissionSheetSetup setup;
};

TEST_F(MissionSheetTest, AddressesLevelsAndTheOutputFolder) {
    Mission m(settings);
    m.urls.add("http://old.example/");
    std::wstring shownPath, shownUrls;
    int r = run(m, [&](HWND sheet) {
        HWND p = CurrentPage(sheet);
        shownPath = Text(p, 106);
        shownUrls = Text(p, 101);
        // Blank and indented lines.
        Type(p, 101, L"  http://a.example/\r\n\r\n\thttp://b.example/x  \r\n \t \r\nhttp://c.example/");
        Type(p, 102, L"http://a.example/docs/\r\n");
        Type(p, 103, L"\r\n   http://a.example/docs/private/");
        Type(p, 104, L"-3");
        Type(p, 105, L"2");
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    EXPECT_EQ(L"http://old.example/\r\n", shownUrls);
    // No path of its own: the current folder shows, and left alone the
    // mission keeps saving into the default folder.
    EXPECT_EQ(L"C:\\Copies\\site.zbd", shownPath);
    EXPECT_EQ(AStr(), m.outputPath);
    ASSERT_EQ(3u, m.urls.count());
    EXPECT_EQ(AStr("http://a.example/"), m.urls[0]);
    EXPECT_EQ(AStr("http://b.example/x"), m.urls[1]);
    EXPECT_EQ(AStr("http://c.example/"), m.urls[2]);
    ASSERT_EQ(1u, m.includeUrls.count());
    ASSERT_EQ(1u, m.excludeUrls.count());
    EXPECT_EQ(AStr("http://a.example/docs/private/"), m.excludeUrls[0]);
    EXPECT_EQ(0, m.levelsInternal);  // negative
    EXPECT_EQ(2, m.levelsExternal);

    // Another folder typed, with its trailing separator.
    r = run(m, [&](HWND sheet) {
        Type(CurrentPage(sheet), 106, L"D:\\Elsewhere\\");
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    EXPECT_EQ(AStr("D:\\Elsewhere"), m.outputPath);

    // A path of its own shows as it is.
    r = run(m, [&](HWND sheet) {
        shownPath = Text(CurrentPage(sheet), 106);
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(0, r);
    EXPECT_EQ(L"D:\\Elsewhere", shownPath);
}

TEST_F(MissionSheetTest, BrowseFillsTheFolderChosen) {
    Mission m(settings);
    AStr offered;
    setup.currentFolder = "";
    setup.defaultFolder = "C:\\Default";
    setup.chooseFolder = [&](HWND, const AStr& start) {
        offered = start;
        return AStr("E:\\Chosen");
    };
    int r = run(m, [&](HWND sheet) {
        HWND p = CurrentPage(sheet);
        Click(p, 107);
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    // The field was empty: the chooser opened at the program's default folder.
    EXPECT_EQ(AStr("C:\\Default"), offered);
    EXPECT_EQ(AStr("E:\\Chosen"), m.outputPath);
}

TEST_F(MissionSheetTest, LimitsThreadsAndWaitAsTyped) {
    struct Row {
        const wchar_t* files;
        const wchar_t* threads;
        const wchar_t* wait;
        int32_t maxNumFiles, maxNumThread, timeMaxWait;
    } rows[] = {
        {L"", L"", L"", 0, 5, 0},
        {L"250", L"0", L"10", 250, 5, 600000},
        {L"-4", L"12", L"1", -4, 9, 60000},
        // Beyond 32 bits: the most there is, never a wrapped value.
        {L"99999999999", L"99999999999", L"99999999999", INT32_MAX, 9, fields::kMostWaitMinutes * 60000},
        {L"abc", L"many", L"later", 0, 5, 0},
    };
    setup.firstPage = 1;
    for (const Row& row : rows) {
        Mission m(settings);
        int r = run(m, [&](HWND sheet) {
            HWND p = CurrentPage(sheet);
            Type(p, 110, row.files);
            Type(p, 111, row.files);
            Type(p, 112, row.threads);
            Type(p, 113, row.wait);
            PressSheet(sheet, PSBTN_OK);
        });
        EXPECT_EQ(1, r);
        EXPECT_EQ(row.maxNumFiles, m.maxNumFiles) << row.files;
        EXPECT_EQ(row.maxNumFiles, m.maxSizeFiles) << row.files;
        EXPECT_EQ(row.maxNumThread, m.maxNumThread) << row.threads;
        EXPECT_EQ(row.timeMaxWait, m.timeMaxWait) << row.wait;
    }

    // Shown: empty limits below 1, 5 threads below 1, whole minutes.
    Mission m(settings);
    m.maxNumFiles = 0;
    m.maxSizeFiles = 7;
    m.maxNumThread = 0;
    m.timeMaxWait = 150000;
    std::wstring files, size, threads, wait;
    (void)run(m, [&](HWND sheet) {
        HWND p = CurrentPage(sheet);
        files = Text(p, 110);
        size = Text(p, 111);
        threads = Text(p, 112);
        wait = Text(p, 113);
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(L"", files);
    EXPECT_EQ(L"7", size);
    EXPECT_EQ(L"5", threads);
    EXPECT_EQ(L"2", wait);
}

TEST_F(MissionSheetTest, SwitchesCodePreferenceAndLogin) {
    // Each value shows as its button, and each button gives its value.
    struct Row {
        int32_t value;
        int button;
    } rows[] = {{1, 120}, {3, 121}, {2, 122}, {4, 123}, {6, 124}};
    setup.firstPage = 1;
    for (const Row& row : rows) {
        Mission m(settings);
        m.codePref = row.value;
        int shown = 0;
        (void)run(m, [&](HWND sheet) {
            HWND p = CurrentPage(sheet);
            for (int id = 120; id <= 124; ++id)
                if (IsTicked(p, id)) shown = id;
            PressSheet(sheet, PSBTN_CANCEL);
        });
        EXPECT_EQ(row.button, shown) << "CodePref " << row.value;
        Mission n(settings);
        n.codePref = 1;
        (void)run(n, [&](HWND sheet) {
            Click(CurrentPage(sheet), row.button);
            PressSheet(sheet, PSBTN_OK);
        });
        EXPECT_EQ(row.value, n.codePref) << "button " << row.button;
    }

    // Every check box flipped, the login typed.
    Mission m(settings);
    const Mission before = m;
    int r = run(m, [&](HWND sheet) {
        HWND p = CurrentPage(sheet);
        for (int id : {114, 115, 116, 117, 125, 126, 134, 133, 129}) Click(p, id);
        Type(p, 127, L"ann");
        Type(p, 128, L"secret");
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    EXPECT_EQ(!before.allowPicture, m.allowPicture);
    EXPECT_EQ(!before.allowSound, m.allowSound);
    EXPECT_EQ(!before.allowVideo, m.allowVideo);
    EXPECT_EQ(!before.allowDownload, m.allowDownload);
    EXPECT_EQ(before.stubs == 0, m.stubs != 0);
    EXPECT_EQ(!before.allowOutPicture, m.allowOutPicture);
    EXPECT_EQ(!before.onlyInDirectory, m.onlyInDirectory);
    EXPECT_EQ(before.htmlFirst == 0, m.htmlFirst != 0);
    EXPECT_TRUE(m.saveCredentials);
    EXPECT_EQ(AStr("ann"), m.user);
    EXPECT_EQ(AStr("secret"), m.password);
    // Nothing asked the defaults to change.
    EXPECT_EQ(std::string::npos, iniText().find("[Defaults]"));
}

TEST_F(MissionSheetTest, DefaultsModeAndAlsoStoreAsDefaults) {
    setup.defaults = true;
    Mission d(settings);
    std::wstring caption;
    std::vector<int> enabled100, enabled101;
    bool levelsEnabled = false, limitsEnabled = false;
    int r = run(d, [&](HWND sheet) {
        caption = WindowText(sheet);
        HWND p = ShowPage(sheet, 0);
        for (int id : {101, 102, 103, 106, 107, 201, 205, 206, 207})
            if (ItemEnabled(p, id)) enabled100.push_back(id);
        levelsEnabled = ItemEnabled(p, 104) && ItemEnabled(p, 105);
        Type(p, 104, L"3");
        p = ShowPage(sheet, 1);
        for (int id : {127, 128, 129, 132, 301, 302})
            if (ItemEnabled(p, id)) enabled101.push_back(id);
        limitsEnabled = ItemEnabled(p, 110) && ItemEnabled(p, 112);
        Type(p, 112, L"7");
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    EXPECT_NE(std::wstring::npos, caption.find(L"Default Settings")) << caption;
    EXPECT_TRUE(enabled100.empty()) << "first enabled: " << enabled100.front();
    EXPECT_TRUE(enabled101.empty()) << "first enabled: " << enabled101.front();
    EXPECT_TRUE(levelsEnabled);
    EXPECT_TRUE(limitsEnabled);
    // Confirmed: written as the defaults.
    std::string text = iniText();
    EXPECT_NE(std::string::npos, text.find("[Defaults]")) << text;
    EXPECT_NE(std::string::npos, text.find("levels.internal=3\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Options.MaxNumThread=7\r\n")) << text;
    EXPECT_EQ(3, Mission(settings).levelsInternal);

    // A job's sheet with "also store as defaults" ticked: the job's
    // settings become the defaults too, its addresses and login stay its own.
    setup.defaults = false;
    Mission m(settings);
    r = run(m, [&](HWND sheet) {
        HWND p = ShowPage(sheet, 0);
        Type(p, 101, L"http://job.example/");
        Type(p, 105, L"4");
        p = ShowPage(sheet, 1);
        Type(p, 110, L"250");
        Type(p, 127, L"ann");
        Click(p, 132);
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    text = iniText();
    EXPECT_NE(std::string::npos, text.find("levels.external=4\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Options.MaxNumFiles=250\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("job.example")) << text;
    EXPECT_EQ(std::string::npos, text.find("ann")) << text;
    Mission fresh(settings);
    EXPECT_EQ(4, fresh.levelsExternal);
    EXPECT_EQ(250, fresh.maxNumFiles);
    EXPECT_TRUE(fresh.urls.empty());

    // Not ticked: the defaults stay.
    r = run(m, [&](HWND sheet) {
        Type(ShowPage(sheet, 1), 110, L"999");
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    EXPECT_EQ(250, Mission(settings).maxNumFiles);
}

TEST_F(MissionSheetTest, WhileAJobRunsOnlyCancelAndHelpAreLeft) {
    setup.jobRunning = true;
    Mission m(settings);
    m.urls.add("http://running.example/");
    const Mission before = m;
    std::vector<std::pair<int, int>> enabled;  // page, control
    bool ok = true, cancel = false, help = false;
    int r = run(m, [&](HWND sheet) {
        for (int page = 0; page < 2; ++page) {
            HWND p = ShowPage(sheet, page);
            for (HWND c = GetWindow(p, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                if (IsWindowEnabled(c)) enabled.push_back({page, GetDlgCtrlID(c)});
        }
        ok = ItemEnabled(sheet, IDOK);
        cancel = ItemEnabled(sheet, IDCANCEL);
        help = GetDlgItem(sheet, IDHELP) != nullptr;
        // Whatever reaches the sheet, nothing changes.
        SetDlgItemTextW(ShowPage(sheet, 0), 101, L"http://other.example/");
        PressSheet(sheet, PSBTN_OK);
    });
    for (auto [page, id] : enabled) ADD_FAILURE() << "enabled on page " << page << ": control " << id;
    EXPECT_FALSE(ok);
    EXPECT_TRUE(cancel);
    EXPECT_TRUE(help);
    EXPECT_EQ(0, r);
    EXPECT_TRUE(m == before);
}

TEST_F(MissionSheetTest, TheLastPageIsRememberedAndCancelKeepsTheMission) {
    setup.firstPage = -1;
    Mission m(settings);
    m.urls.add("http://kept.example/");
    const Mission before = m;
    int first = -1;
    int r = run(m, [&](HWND sheet) {
        first = CurrentPageIndex(sheet);
        Type(CurrentPage(sheet), 101, L"http://changed.example/");
        HWND p = ShowPage(sheet, 1);
        Type(p, 110, L"5");
        Click(p, 114);
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(0, r);
    EXPECT_EQ(0, first);
    EXPECT_TRUE(m == before);
    EXPECT_EQ(1, MissionSheet::lastPage());
    // Opened again: on the page it was left at, unless another is asked for.
    (void)run(m, [&](HWND sheet) {
        first = CurrentPageIndex(sheet);
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(1, first);
    setup.firstPage = 0;
    (void)run(m, [&](HWND sheet) {
        first = CurrentPageIndex(sheet);
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(0, first);
}

TEST_F(MissionSheetTest, HugeListsAndLongLines) {
    std::wstring many;
    for (int i = 0; i < 10000; ++i) many += L"  http://host.example/page" + std::to_wstring(i) + L"\r\n";
    std::wstring longLine = L"http://long.example/" + std::wstring(100 * 1024, L'x');
    many += longLine;
    Mission m(settings);
    int r = run(m, [&](HWND sheet) {
        HWND p = CurrentPage(sheet);
        Type(p, 101, many);
        Type(p, 103, longLine);
        PressSheet(sheet, PSBTN_OK);
    });
    EXPECT_EQ(1, r);
    ASSERT_EQ(10001u, m.urls.count());
    EXPECT_EQ(AStr("http://host.example/page0"), m.urls[0]);
    EXPECT_EQ(AStr("http://host.example/page9999"), m.urls[9999]);
    EXPECT_EQ(longLine.size(), m.urls[10000].size());
    ASSERT_EQ(1u, m.excludeUrls.count());
    EXPECT_EQ(longLine.size(), m.excludeUrls[0].size());

    // Shown again whole, and saved and read back whole.
    size_t shown = 0;
    (void)run(m, [&](HWND sheet) {
        shown = static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(CurrentPage(sheet), 101)));
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_GT(shown, longLine.size() + 10000 * 20);

    // Saved in a project file and read back whole: nothing cut.
    std::string path = (dir / "huge.zbp").string();
    {
        Project p(settings);
        static_cast<Mission&>(p) = m;
        ASSERT_EQ(0, p.save(path.c_str()));
    }
    Project back(settings);
    ASSERT_EQ(0, back.open(path.c_str()));
    ASSERT_EQ(10001u, back.urls.count());
    EXPECT_EQ(AStr("http://host.example/page9999"), back.urls[9999]);
    EXPECT_EQ(m.urls[10000], back.urls[10000]);
    EXPECT_EQ(m.excludeUrls[0], back.excludeUrls[0]);
}

TEST_F(MissionSheetTest, HelpOnlyWithAHelpFile) {
    Mission m(settings);
    bool enabled = true;
    (void)run(m, [&](HWND sheet) {
        enabled = ItemEnabled(sheet, IDHELP);
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_FALSE(enabled) << "no zbenu.hlp beside the libraries";

    // The library with a help file beside it.
    fs::path lang = dir / "lang";
    fs::create_directories(lang);
    fs::copy_file(fs::path(ZB_BINARY_DIR) / "bin" / "zbenu.dll", lang / "zbenu.dll");
    std::ofstream(lang / "zbenu.hlp", std::ios::binary) << "help";
    ASSERT_TRUE(LoadProgramLanguage(AStr(lang.string().c_str()) + "\\", "enu").error == 0);
    int asked = 0;
    AStr file;
    SetHelpOpener([&](HWND, const AStr& path, int context) {
        asked = context;
        file = path;
    });
    (void)run(m, [&](HWND sheet) {
        enabled = ItemEnabled(sheet, IDHELP);
        SendMessageW(GetDlgItem(sheet, IDHELP), BM_CLICK, 0, 0);
        PressSheet(sheet, PSBTN_CANCEL);
    });
    EXPECT_TRUE(enabled);
    EXPECT_EQ(MissionSheetSetup::kHelpContext, asked);
    EXPECT_TRUE(file.endsWith("zbenu.hlp")) << file.c_str();
}

// Every page in both languages, as a user sees it, under
// build/.../screens/: mission-<page>-<language>.bmp.
TEST_F(MissionSheetTest, Screenshots) {
    for (const char* code : {"enu", "rus"}) {
        ASSERT_EQ(0, LoadProgramLanguage(libraries(), code).error);
        Mission m(settings);
        m.urls.add("http://www.example.com/");
        m.urls.add("http://www.example.com/docs/");
        m.includeUrls.add("http://www.example.com/docs/");
        m.excludeUrls.add("http://www.example.com/private/");
        m.user = "ann";
        m.password = "secret";
        std::string c = code;
        LayoutFaults faults[2];
        std::wstring buttons[3];
        (void)run(m, [&](HWND sheet) {
            buttons[0] = Text(sheet, IDOK);
            buttons[1] = Text(sheet, IDCANCEL);
            buttons[2] = Text(sheet, IDHELP);
            faults[0] = CheckLayout(ShowPage(sheet, 0));
            SaveShot(sheet, "mission-addresses-" + c);
            faults[1] = CheckLayout(ShowPage(sheet, 1));
            SaveShot(sheet, "mission-files-" + c);
            PressSheet(sheet, PSBTN_CANCEL);
        });
        // The sheet's own buttons speak the pages' language.
        if (c == "rus") {
            EXPECT_EQ(L"OK", buttons[0]);
            EXPECT_EQ(L"\u041e\u0442\u043c\u0435\u043d\u0430", buttons[1]);                // "Отмена"
            EXPECT_EQ(L"\u0421\u043f\u0440\u0430\u0432\u043a\u0430", buttons[2]);  // "Справка"
        } else {
            EXPECT_EQ(L"Cancel", buttons[1]);
            EXPECT_EQ(L"Help", buttons[2]);
        }
        for (int page = 0; page < 2; ++page) {
            for (const std::wstring& t : faults[page].cut) ADD_FAILURE() << c << " page " << page << ", cut: " << Narrow(t);
            for (const std::wstring& t : faults[page].twice)
                ADD_FAILURE() << c << " page " << page << ", one letter twice: " << Narrow(t);
            for (const std::wstring& t : faults[page].astray)
                ADD_FAILURE() << c << " page " << page << ", its letter leads elsewhere: " << Narrow(t);
        }
        setup.defaults = true;
        (void)run(m, [&](HWND sheet) {
            ShowPage(sheet, 0);
            SaveShot(sheet, "defaults-addresses-" + c);
            PressSheet(sheet, PSBTN_CANCEL);
        });
        setup.defaults = false;
    }
}

}  // namespace
