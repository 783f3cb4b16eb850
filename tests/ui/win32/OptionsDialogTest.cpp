// The program options dialog under Wine, driven as a user drives it; the
// proxy it stores read back by the settings and used by the URL layer
// against the local test proxy.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/ApplicationProfile.h"
#include "app/LanguageFile.h"
#include "app/shell/ApplicationSettings.h"
#include "batch/Batch.h"
#include "batch/DialUp.h"
#include "engine/InternetSession.h"
#include "engine/iurlwstream.h"
#include "ui/win32/DialogHelp.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/SettingsDialogDriver.h"
#include "ui/win32/WindowTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace settingsdialog;

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        (void)LoadProgramLanguage(libraries(), "enu");
        dir = fs::path(ZB_BINARY_DIR) / "testtmp" / ("options-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ini = (dir / "zbrask.INI").string();
        setup.languageFolder = libraries();
    }
    void TearDown() override {
        (void)LoadProgramLanguage(libraries(), "enu");
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static AStr libraries() { return AStr(ZB_BINARY_DIR) + "/bin/"; }

    int run(ProgramSettings& s, const std::function<void(HWND)>& act) {
        Driver d(act);
        int r = OptionsDialog::edit(nullptr, s, setup);
        EXPECT_TRUE(d.found()) << "no dialog came up";
        return r;
    }

    fs::path dir;
    std::string ini;
    OptionsSetup setup;
};

std::wstring ComboText(HWND dialog, int id, int index) {
    wchar_t t[256] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(t));
    return t;
}

TEST_F(OptionsDialogTest, EveryFieldBackIntoTheSettings) {
    ProgramSettings s;
    s.options.braskDir = "C:\\Downloads";
    s.options.internetAgent = "Agent/1";
    s.proxy.address = "proxy.example:3128";
    std::wstring languages[2], chosen, host, port, folder;
    int count = 0;
    bool hostWhileOff = true, hostWhileOn = false;
    int r = run(s, [&](HWND d) {
        hostWhileOff = ItemEnabled(d, 262) || ItemEnabled(d, 264) || ItemEnabled(d, 269);
        count = static_cast<int>(SendDlgItemMessageW(d, 101, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < 2 && i < count; ++i) languages[i] = ComboText(d, 101, i);
        chosen = ComboText(d, 101, static_cast<int>(SendDlgItemMessageW(d, 101, CB_GETCURSEL, 0, 0)));
        host = Text(d, 262);
        port = Text(d, 264);
        folder = Text(d, 500);
        // The user's choices.
        SendDlgItemMessageW(d, 101, CB_SETCURSEL, 1, 0);
        Type(d, 500, L"D:\\Copies");
        Type(d, 502, L"");
        Click(d, 401);
        Click(d, 403);
        Click(d, 260);
        hostWhileOn = ItemEnabled(d, 262) && ItemEnabled(d, 264) && ItemEnabled(d, 265) && ItemEnabled(d, 267) &&
                      ItemEnabled(d, 269);
        Type(d, 262, L"cache.example");
        Type(d, 264, L"8080");
        Type(d, 265, L"ann");
        Type(d, 267, L"secret");
        Click(d, 269);
        Click(d, 200);
        PressDialog(d, IDOK);
    });
    EXPECT_EQ(1, r);
    // The proxy's fields follow its switch.
    EXPECT_FALSE(hostWhileOff);
    EXPECT_TRUE(hostWhileOn);
    // The libraries of the folder by their own names, in code order.
    ASSERT_EQ(2, count);
    EXPECT_EQ(L"English", languages[0]);
    EXPECT_EQ(L"\u0420\u0443\u0441\u0441\u043a\u0438\u0439", languages[1]);  // "Русский"
    EXPECT_EQ(L"English", chosen);
    EXPECT_EQ(L"proxy.example", host);
    EXPECT_EQ(L"3128", port);
    EXPECT_EQ(L"C:\\Downloads", folder);

    EXPECT_EQ(AStr("rus"), s.options.language);
    EXPECT_EQ(AStr("D:\\Copies"), s.options.braskDir);
    EXPECT_EQ(AStr(), s.options.internetAgent);
    EXPECT_FALSE(s.options.showRefName);
    EXPECT_TRUE(s.options.showPageTitle);
    EXPECT_FALSE(s.options.showRefUrl);
    EXPECT_TRUE(s.proxy.use);
    EXPECT_EQ(AStr("cache.example:8080"), s.proxy.address);
    EXPECT_EQ(AStr("ann"), s.proxy.user);
    EXPECT_EQ(AStr("secret"), s.proxy.password);
    EXPECT_TRUE(s.proxy.savePassword);
    EXPECT_TRUE(s.exitOnEnd);

    // Canceled: nothing changes.
    const ProgramSettings before = s;
    r = run(s, [&](HWND d) {
        Type(d, 500, L"E:\\Other");
        Click(d, 260);
        PressDialog(d, IDCANCEL);
    });
    EXPECT_EQ(0, r);
    EXPECT_EQ(before.options, s.options);
    EXPECT_EQ(before.proxy.use, s.proxy.use);
}

TEST_F(OptionsDialogTest, ProxyHostAndPortSplitAndJoined) {
    struct Row {
        const char* stored;
        const wchar_t* host;
        const wchar_t* port;
        const wchar_t* typedHost;
        const wchar_t* typedPort;
        const char* storedAfter;
    } rows[] = {
        {"proxy.example:3128", L"proxy.example", L"3128", L"proxy.example", L"3128", "proxy.example:3128"},
        // A host typed with the port's ':' in front: the ':' go.
        {"", L"", L"", L":8080", L"", "8080"},
        {"", L"", L"", L"::proxy.example", L"81", "proxy.example:81"},
        // A host holding ':' characters: the port is after the last.
        {"fe80::1:3128", L"fe80::1", L"3128", L"fe80::2", L"3129", "fe80::2:3129"},
        {"[::1]:8080", L"[::1]", L"8080", L"[::1]", L"", "[::1]"},
        // A port alone is no address.
        {"", L"", L"", L"", L"8080", ""},
    };
    for (const Row& row : rows) {
        ProgramSettings s;
        s.proxy.address = row.stored;
        std::wstring host, port;
        int r = run(s, [&](HWND d) {
            host = Text(d, 262);
            port = Text(d, 264);
            Type(d, 262, row.typedHost);
            Type(d, 264, row.typedPort);
            PressDialog(d, IDOK);
        });
        EXPECT_EQ(1, r);
        EXPECT_EQ(row.host, host) << row.stored;
        EXPECT_EQ(row.port, port) << row.stored;
        EXPECT_EQ(AStr(row.storedAfter), s.proxy.address) << row.stored;
    }
}

TEST_F(OptionsDialogTest, APortThatIsNoPortIsSaidAndTheDialogStays) {
    ProgramSettings s;
    s.proxy.use = true;
    s.proxy.address = "proxy.example:3128";
    std::wstring message;
    bool stayed = false;
    int r = run(s, [&](HWND d) {
        for (const wchar_t* bad : {L"abc", L"99999999999", L"0"}) {
            Type(d, 264, bad);
            PressDialog(d, IDOK);
            HWND box = WaitForDialog(d);
            if (!box) break;
            message = Text(box, 0xFFFF);
            PressDialog(box, IDOK);
            while (IsWindow(box) && IsWindowVisible(box)) Sleep(10);
        }
        stayed = IsWindowVisible(d) != 0;
        Type(d, 264, L"8080");
        PressDialog(d, IDOK);
    });
    EXPECT_EQ(1, r);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(L"The proxy port must be a number from 1 to 65535.", message);
    EXPECT_EQ(AStr("proxy.example:8080"), s.proxy.address);

    // No proxy used: its closed fields keep what was stored.
    s.proxy.use = false;
    s.proxy.address = "proxy.example:abc";
    r = run(s, [&](HWND d) { PressDialog(d, IDOK); });
    EXPECT_EQ(1, r);
    EXPECT_EQ(AStr("proxy.example:abc"), s.proxy.address);
}

// What the dialog stored is what the next start reads, and the URL layer
// goes through that proxy with that login.
TEST_F(OptionsDialogTest, TheProxyStoredIsTheOneTheUrlLayerUses) {
    std::string port = windowtest::ReadFile(std::string(ZB_BINARY_DIR) + "/netservers/proxy.port");
    while (!port.empty() && (port.back() == '\n' || port.back() == '\r')) port.pop_back();
    ASSERT_FALSE(port.empty()) << "no proxy server: run through ctest (fixture net_servers)";

    ProgramSettings s;
    int r = run(s, [&](HWND d) {
        Click(d, 260);
        Type(d, 262, L"127.0.0.1");
        Type(d, 264, std::wstring(port.begin(), port.end()));
        Type(d, 265, L"ann");
        Type(d, 267, L"secret");
        Click(d, 269);
        PressDialog(d, IDOK);
    });
    ASSERT_EQ(1, r);
    {
        ApplicationProfile file(ini.c_str());
        DialUp dialUp{platform::RasFunctions{}};
        Batch batch;
        ApplicationSettings written(dialUp, batch);
        written.proxy = s.proxy;
        written.exitOnEnd = s.exitOnEnd;
        ASSERT_EQ(0, written.writeConnection(file));
    }
    std::string text = windowtest::ReadFile(ini);
    EXPECT_NE(std::string::npos, text.find("Address=127.0.0.1:" + port + "\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("secret")) << "the password is kept encoded";

    ApplicationProfile file(ini.c_str());
    DialUp dialUp{platform::RasFunctions{}};
    Batch batch;
    ApplicationSettings read(dialUp, batch);
    read.read(file);
    EXPECT_TRUE(read.proxy.use);
    EXPECT_EQ(AStr(("127.0.0.1:" + port).c_str()), read.proxy.address);
    EXPECT_EQ(AStr("secret"), read.proxy.password);

    CInternetSession session("zbrask tests", 1, platform::inet::kOpenProxy, read.proxy.address.c_str(), nullptr, 0,
                             read.proxy.user.c_str(), read.proxy.password.c_str());
    // The host exists only for the proxy.
    std::string query = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    iurlwstream in(session, ("http://origin.invalid/hello.txt?options" + query).c_str(), 1, 0x84000002, nullptr, 0);
    ASSERT_FALSE(in.fail()) << in.openError();
    std::string body;
    char buf[256];
    for (;;) {
        size_t n = in.read(buf, sizeof buf);
        body.append(buf, n);
        if (in.eof() || in.fail() || n == 0) break;
    }
    EXPECT_EQ("Hello from the test server\n", body);
    std::string log = windowtest::ReadFile(std::string(ZB_BINARY_DIR) + "/netservers/proxy.log");
    EXPECT_NE(std::string::npos, log.find("options" + query)) << "the request went past the proxy";
}

// Texts of any length typed into the fields reach the settings file whole,
// and the file keeps the rest of what it held.
TEST_F(OptionsDialogTest, LongTextsKeepTheSettingsFileWhole) {
    std::ofstream(ini, std::ios::binary) << "[Window]\r\nX=20\r\n[Options]\r\nlanguage=enu\r\n";
    std::wstring agent(100 * 1024, L'a'), folder = L"C:\\" + std::wstring(50 * 1024, L'f');
    ProgramSettings s;
    int r = run(s, [&](HWND d) {
        SendDlgItemMessageW(d, 502, EM_SETLIMITTEXT, 0, 0);
        SendDlgItemMessageW(d, 500, EM_SETLIMITTEXT, 0, 0);
        Type(d, 502, agent);
        Type(d, 500, folder);
        PressDialog(d, IDOK);
    });
    ASSERT_EQ(1, r);
    EXPECT_EQ(agent.size(), s.options.internetAgent.size());
    ApplicationProfile file(ini.c_str());
    ASSERT_EQ(0, s.options.write(file));
    ProgramOptions back;
    back.read(ApplicationProfile(ini.c_str()));
    EXPECT_EQ(s.options, back);
    EXPECT_NE(std::string::npos, windowtest::ReadFile(ini).find("[Window]\r\nX=20\r\n"));
}

TEST_F(OptionsDialogTest, HelpOnlyWithAHelpFile) {
    ProgramSettings s;
    bool enabled = true;
    (void)run(s, [&](HWND d) {
        enabled = ItemEnabled(d, IDHELP);
        PressDialog(d, IDCANCEL);
    });
    EXPECT_FALSE(enabled);
}

// The dialog in both languages: build/.../screens/options-<language>.bmp.
TEST_F(OptionsDialogTest, Screenshots) {
    for (const char* code : {"enu", "rus"}) {
        ASSERT_EQ(0, LoadProgramLanguage(libraries(), code).error);
        ProgramSettings s;
        s.options.language = code;
        s.options.braskDir = "C:\\Downloads";
        s.proxy.use = true;
        s.proxy.address = "proxy.example:3128";
        s.proxy.user = "ann";
        s.proxy.password = "secret";
        std::string c = code;
        LayoutFaults faults;
        (void)run(s, [&](HWND d) {
            faults = CheckLayout(d);
            SaveShot(d, "options-" + c);
            PressDialog(d, IDCANCEL);
        });
        for (const std::wstring& t : faults.cut) ADD_FAILURE() << c << ", cut: " << Narrow(t);
        for (const std::wstring& t : faults.twice) ADD_FAILURE() << c << ", one letter twice: " << Narrow(t);
        for (const std::wstring& t : faults.astray) ADD_FAILURE() << c << ", its letter leads elsewhere: " << Narrow(t);
    }
}

}  // namespace
