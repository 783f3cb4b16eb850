// The dial-up dialog under Wine, driven as a user drives it: the usage
// chosen, the entry picked, the phone list edited through input dialog
// 1000, then apply, OK or cancel; the dial-up object and the entry's
// section checked afterwards. Where RAS is missing, as under Wine, the
// entry buttons are disabled with the reason shown. While it is open it
// is the application's modeless dialog, whose keys the loop routes to it.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/LanguageFile.h"
#include "app/shell/Application.h"
#include "batch/PhoneList.h"
#include "ui/panes/CommandStates.h"
#include "ui/win32/DialDialog.h"
#include "ui/win32/DialogTestSupport.h"
#include "ui/win32/EngineMainWindow.h"
#include "ui/win32/InputDialog.h"
#include "ui/win32/WinFrontEnd.h"
#include "ui/win32/ZApplication.h"

namespace {

namespace fs = std::filesystem;
using dialogtest::Click;
using dialogtest::Enabled;
using dialogtest::SetText;
using dialogtest::Text;
using windowtest::Pump;
using windowtest::ReadFile;

AStr Libraries() { return AStr(ZB_BINARY_DIR) + "/bin/"; }

std::vector<std::string> Items(const StrList& l) {
    std::vector<std::string> v;
    for (StrNode* n = l.first(); n; n = static_cast<StrNode*>(n->next())) v.emplace_back(n->str.view());
    return v;
}

// A phone book of two entries; a new-entry dialog that makes a third.
struct PhoneBook {
    std::vector<std::string> entries{"Office", "My ISP"};
    std::vector<std::string> edited;
    uint32_t enumResult = 0;

    platform::RasFunctions table() {
        platform::RasFunctions f;
        f.enumEntries = [this](std::vector<std::string>& out) {
            out = entries;
            return enumResult;
        };
        f.createPhonebookEntry = [this](void*) {
            entries.push_back("Backup line");
            return 0u;
        };
        f.editPhonebookEntry = [this](void*, const std::string& entry) {
            edited.push_back(entry);
            return 0u;
        };
        return f;
    }
};

// The commands the dialog's connection buttons send.
struct CommandWindow {
    static inline std::vector<UINT> received;
    HWND hwnd = nullptr;
    // A plain function: a lambda has not the window procedure's calling
    // convention on 32-bit Windows.
    static LRESULT CALLBACK procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_COMMAND) received.push_back(LOWORD(wp));
        return DefWindowProcW(w, m, wp, lp);
    }
    CommandWindow() {
        WNDCLASSW c = {};
        c.lpfnWndProc = procedure;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"DialDialogTestCommands";
        RegisterClassW(&c);
        hwnd = CreateWindowW(L"DialDialogTestCommands", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        received.clear();
    }
    ~CommandWindow() { DestroyWindow(hwnd); }
};

class DialDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        (void)LoadLanguage(Libraries(), "enu", ProgramLanguage());
        dir = fs::path(ZB_BINARY_DIR) / "testtmp" / ("dial-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ini = (dir / "zbrask.INI").string();
    }
    void TearDown() override {
        dialog.reset();
        Pump();
        (void)LoadLanguage(Libraries(), "enu", ProgramLanguage());
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // The dialog over the dial-up object, made modeless on this thread.
    HWND open(DialUp& d) {
        settings = std::make_unique<ApplicationProfile>(ini.c_str());
        dialog = std::make_unique<DialDialog>(d, *settings, commands.hwnd);
        dialog->tell = [this](HWND, const AStr& text, const AStr& caption) {
            told.push_back(std::string(caption.view()) + ": " + std::string(text.view()));
        };
        if (!dialog->open(nullptr)) return nullptr;
        Pump();
        return dialog->hwnd();
    }
    void chooseEntry(HWND d, const char* entry) {
        HWND list = GetDlgItem(d, DialDialog::kEntries);
        LRESULT i = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(platform::WideText(entry).c_str()));
        ASSERT_NE(CB_ERR, i) << entry;
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(DialDialog::kEntries, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    std::vector<std::string> shownPhones(HWND d) {
        std::vector<std::string> v;
        HWND list = GetDlgItem(d, DialDialog::kPhones);
        for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            wchar_t t[256] = {};
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(t));
            v.push_back(platform::NarrowText(t));
        }
        return v;
    }
    // A click on a button that opens input dialog 1000: the number typed
    // there and confirmed. The dialog's title is returned.
    std::string answerNumber(HWND d, int button, const std::string& number, bool confirm = true) {
        dialogtest::NextDialog input(d, [&](HWND box) {
            SetText(box, InputDialog::kEditId, number);
            dialogtest::PostClick(box, confirm ? IDOK : IDCANCEL);
        });
        Click(d, button);
        EXPECT_TRUE(input.found());
        return input.title();
    }
    StrList sectionList(const char* entry) {
        return ReadDialEntry(ApplicationProfile(ini.c_str()), entry).phoneList;
    }

    fs::path dir;
    std::string ini;
    std::unique_ptr<ApplicationProfile> settings;
    std::unique_ptr<DialDialog> dialog;
    CommandWindow commands;
    std::vector<std::string> told;
};

}  // namespace

TEST_F(DialDialogTest, ThePhoneListIsEditedAndKeptInTheEntrysSection) {
    PhoneBook book;
    DialUp d(book.table());
    d.usage = DialUp::kWaitForConnection;
    d.dialParams.entryName = "My ISP";
    d.phoneList.add("111");
    std::ofstream(ini, std::ios::binary) << "[Dial Up.Office]\r\ncount=1\r\n0=777\r\nPhoneList=1\r\nUserName=clerk\r\n";
    HWND w = open(d);
    ASSERT_TRUE(w);
    EXPECT_TRUE(IsDlgButtonChecked(w, DialDialog::kWaitForConnection));
    EXPECT_EQ(AStr("My ISP"), dialog->selectedEntry()) << "the stored entry";
    EXPECT_EQ("60", Text(w, DialDialog::kTimeLimit)) << "one hour";
    // Usage 1: the entry's controls wait for usage 2.
    for (int id : {DialDialog::kEntries, DialDialog::kNewEntry, DialDialog::kEditEntry, DialDialog::kUsePhoneList,
                   DialDialog::kDial, DialDialog::kTimeLimit})
        EXPECT_FALSE(Enabled(w, id)) << id;
    Click(w, DialDialog::kDialEntry);
    for (int id : {DialDialog::kEntries, DialDialog::kNewEntry, DialDialog::kEditEntry, DialDialog::kUsePhoneList,
                   DialDialog::kDial, DialDialog::kHangUpNow, DialDialog::kTimeLimit, DialDialog::kUser})
        EXPECT_TRUE(Enabled(w, id)) << id;
    EXPECT_FALSE(dialogtest::Visible(w, DialDialog::kNoRasReason));
    EXPECT_FALSE(Enabled(w, DialDialog::kAddPhone)) << "until the list is used";
    EXPECT_EQ((std::vector<std::string>{"111"}), shownPhones(w));

    Click(w, DialDialog::kUsePhoneList);
    EXPECT_TRUE(Enabled(w, DialDialog::kAddPhone));
    // Added after the selection, with the add title; each change is in the
    // entry's section at once.
    SendDlgItemMessageW(w, DialDialog::kPhones, LB_SETCURSEL, 0, 0);
    EXPECT_EQ(std::string(ProgramLanguage().text(DialDialog::kTextAddTitle).c_str()),
              answerNumber(w, DialDialog::kAddPhone, "222"));
    EXPECT_EQ((std::vector<std::string>{"111", "222"}), Items(sectionList("My ISP")));
    EXPECT_TRUE(ReadDialEntry(ApplicationProfile(ini.c_str()), "My ISP").usePhoneList);
    // An empty number: the entry's own, shown as text 22151.
    (void)answerNumber(w, DialDialog::kAddPhone, "");
    EXPECT_EQ((std::vector<std::string>{"111", "222", std::string(ProgramLanguage().text(22151).c_str())}),
              shownPhones(w));
    // A canceled input changes nothing.
    (void)answerNumber(w, DialDialog::kAddPhone, "999", false);
    EXPECT_EQ(3u, sectionList("My ISP").count());
    // Edited with the edit title.
    SendDlgItemMessageW(w, DialDialog::kPhones, LB_SETCURSEL, 0, 0);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(DialDialog::kPhones, LBN_SELCHANGE), 0);
    EXPECT_EQ(std::string(ProgramLanguage().text(DialDialog::kTextEditTitle).c_str()),
              answerNumber(w, DialDialog::kEditPhone, "+7 495 111"));
    // Moved and deleted; the one before the deleted is selected.
    Click(w, DialDialog::kPhoneDown);
    EXPECT_EQ((std::vector<std::string>{"222", "+7 495 111", ""}), Items(sectionList("My ISP")));
    SendDlgItemMessageW(w, DialDialog::kPhones, LB_SETCURSEL, 2, 0);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(DialDialog::kPhones, LBN_SELCHANGE), 0);
    EXPECT_FALSE(Enabled(w, DialDialog::kPhoneDown)) << "the last one";
    Click(w, DialDialog::kDeletePhone);
    EXPECT_EQ((std::vector<std::string>{"222", "+7 495 111"}), Items(sectionList("My ISP")));
    EXPECT_EQ(1, SendDlgItemMessageW(w, DialDialog::kPhones, LB_GETCURSEL, 0, 0));
    EXPECT_TRUE(Items(d.phoneList) == std::vector<std::string>{"111"}) << "the object waits for OK";

    // Another entry shows its own list and user; back again, this one's.
    chooseEntry(w, "Office");
    EXPECT_EQ((std::vector<std::string>{"777"}), shownPhones(w));
    EXPECT_EQ("clerk", Text(w, DialDialog::kUser));
    chooseEntry(w, "My ISP");
    EXPECT_EQ((std::vector<std::string>{"222", "+7 495 111"}), shownPhones(w));

    // The connection buttons send the main window its commands.
    Click(w, DialDialog::kDial);
    Click(w, DialDialog::kHangUpNow);
    Pump();
    EXPECT_EQ((std::vector<UINT>{DialDialog::kCommandDial, DialDialog::kCommandHangUp}), CommandWindow::received);

    // OK: everything into the object; the password kept for this run only
    // when it is not to be saved.
    SetText(w, DialDialog::kTimeLimit, "90");
    SetText(w, DialDialog::kUser, "joe");
    SetText(w, DialDialog::kPassword, "secret");
    Click(w, DialDialog::kHangUp);
    Click(w, IDOK);
    EXPECT_FALSE(dialog->hwnd());
    EXPECT_EQ(DialUp::kDialEntry, d.usage);
    EXPECT_EQ(5400000u, d.timeLimit);
    EXPECT_TRUE(d.hangUpWhenDone);
    EXPECT_EQ("My ISP", d.dialParams.entryName);
    EXPECT_EQ((std::vector<std::string>{"222", "+7 495 111"}), Items(d.phoneList));
    EXPECT_TRUE(d.usePhoneList);
    EXPECT_EQ(AStr("secret"), d.password);
    DialEntrySettings stored = ReadDialEntry(ApplicationProfile(ini.c_str()), "My ISP");
    EXPECT_EQ(AStr("joe"), stored.userName);
    EXPECT_EQ(AStr(), stored.password) << "not saved";
    EXPECT_TRUE(told.empty());
}

TEST_F(DialDialogTest, NewAndEditedEntriesAndBadTimeLimits) {
    PhoneBook book;
    DialUp d(book.table());
    d.usage = DialUp::kDialEntry;
    d.dialParams.entryName = "Gone";  // not in the book: the first is chosen
    HWND w = open(d);
    ASSERT_TRUE(w);
    EXPECT_EQ(AStr("My ISP"), dialog->selectedEntry()) << "listed sorted, the first";
    Click(w, DialDialog::kEditEntry);
    EXPECT_EQ((std::vector<std::string>{"My ISP"}), book.edited);
    Click(w, DialDialog::kNewEntry);
    EXPECT_EQ(AStr("Backup line"), dialog->selectedEntry()) << "the entry just made";

    // Apply keeps the dialog; a limit that is no number of minutes, or does
    // not fit, is said and nothing is taken.
    for (const char* bad : {"abc", "", "99999999999", "71583"}) {
        told.clear();
        SetText(w, DialDialog::kTimeLimit, bad);
        Click(w, DialDialog::kApply);
        ASSERT_EQ(1u, told.size()) << bad;
        EXPECT_NE(std::string::npos, told[0].find("71582")) << told[0];
        EXPECT_EQ(3600000u, d.timeLimit);
        EXPECT_TRUE(dialog->hwnd());
    }
    SetText(w, DialDialog::kTimeLimit, "0");
    SetText(w, DialDialog::kPassword, "pw");
    Click(w, DialDialog::kSavePassword);
    Click(w, DialDialog::kApply);
    EXPECT_TRUE(dialog->hwnd()) << "apply does not close";
    EXPECT_EQ(0u, d.timeLimit);
    EXPECT_EQ("Backup line", d.dialParams.entryName);
    EXPECT_EQ(AStr("pw"), ReadDialEntry(ApplicationProfile(ini.c_str()), "Backup line").password);
    // Cancel after apply keeps what was applied.
    d.timeLimit = 123;
    SetText(w, DialDialog::kTimeLimit, "5");
    Click(w, IDCANCEL);
    EXPECT_FALSE(dialog->hwnd());
    EXPECT_EQ(123u, d.timeLimit);

    // A phone book that cannot be opened is empty without a message; any
    // other error is shown with the caption "Error".
    book.enumResult = platform::kRasCannotOpenPhonebook;
    told.clear();
    w = open(d);
    ASSERT_TRUE(w);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(AStr(), dialog->selectedEntry());
    EXPECT_FALSE(Enabled(w, DialDialog::kEditEntry));
    Click(w, IDCANCEL);
    book.enumResult = 610;
    w = open(d);
    ASSERT_TRUE(w);
    ASSERT_EQ(1u, told.size());
    EXPECT_EQ("Error: ", told[0].substr(0, 7));
    Click(w, IDCANCEL);
}

TEST_F(DialDialogTest, WithoutRemoteAccessTheEntryButtonsSayWhy) {
    DialUp d{platform::RasFunctions{}};  // as under Wine: no RASAPI32
    d.usage = DialUp::kDialEntry;
    HWND w = open(d);
    ASSERT_TRUE(w);
    EXPECT_TRUE(IsDlgButtonChecked(w, DialDialog::kDialEntry));
    EXPECT_FALSE(Enabled(w, DialDialog::kNewEntry));
    EXPECT_FALSE(Enabled(w, DialDialog::kEditEntry));
    EXPECT_TRUE(dialogtest::Visible(w, DialDialog::kNoRasReason));
    EXPECT_FALSE(Text(w, DialDialog::kNoRasReason).empty());
    EXPECT_FALSE(Enabled(w, DialDialog::kUsePhoneList)) << "no entry to keep numbers for";
    for (int id : {DialDialog::kPhones, DialDialog::kAddPhone, DialDialog::kEditPhone, DialDialog::kDeletePhone,
                   DialDialog::kPhoneUp, DialDialog::kPhoneDown, DialDialog::kDial, DialDialog::kTimeLimit})
        EXPECT_FALSE(Enabled(w, id)) << id;
    EXPECT_FALSE(Enabled(w, IDHELP)) << "no help file installed";
    Click(w, DialDialog::kNewEntry);  // disabled: nothing happens
    Click(w, IDOK);
    EXPECT_FALSE(dialog->hwnd());
    EXPECT_EQ(DialUp::kDialEntry, d.usage);
    EXPECT_EQ("", d.dialParams.entryName);
}

// ---------------------------------------------------------------------------
// Through the main window: the command opens it once, as the application's
// modeless dialog, whose keys the loop gives it.

namespace {
struct KeysLoop : ZApplication {
    HWND dialog = nullptr;
    KeysLoop() : ZApplication(GetModuleHandleA(nullptr), "", SW_SHOW) {}
    HWND modelessDialog() const override { return dialog; }
};
}  // namespace

TEST_F(DialDialogTest, TheApplicationsModelessDialog) {
    (void)OleInitialize(nullptr);
    std::ofstream(ini, std::ios::binary) << "[Window]\r\nX=20\r\nY=20\r\nW=700\r\nH=500\r\nshow=1\r\n"
                                         << "[Options]\r\nbraskdir=" << dir.string() << "\r\n";
    Application::Start s;
    s.show = SW_SHOWNORMAL;
    s.settings = ApplicationProfile(ini.c_str());
    s.options.read(s.settings);
    auto fe = std::make_unique<WinFrontEnd>(GetModuleHandleA(nullptr), "", SW_SHOWNORMAL);
    WinFrontEnd* frontEnd = fe.get();
    {
        Application app(std::move(s), std::move(fe), std::make_unique<DialUp>(platform::RasFunctions{}), [](void*) {});
        ASSERT_TRUE(app.initInstance());
        HWND frame = frontEnd->frame()->hwnd();
        Pump();
        EXPECT_EQ(nullptr, app.modelessDialog());
        SendMessageW(frame, WM_COMMAND, command::kDialUpSettings, 0);
        Pump();
        DialDialog* dial = frontEnd->main()->commands().dialDialog();
        ASSERT_TRUE(dial && dial->hwnd());
        EXPECT_EQ(dial->hwnd(), app.modelessDialog());
        // A second command brings the same dialog forward.
        HWND first = dial->hwnd();
        SendMessageW(frame, WM_COMMAND, command::kDialUpSettings, 0);
        EXPECT_EQ(first, frontEnd->main()->commands().dialDialog()->hwnd());

        // Its keys go to the dialog's own handling: Tab moves the focus.
        KeysLoop loop;
        loop.dialog = dial->hwnd();
        HWND from = GetDlgItem(dial->hwnd(), DialDialog::kTimeLimit);
        SetFocus(from);
        MSG tab = {from, WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(loop.preTranslateMessage(tab));
        MSG other = {frame, WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_FALSE(loop.preTranslateMessage(other)) << "not one of its windows";

        Click(dial->hwnd(), IDCANCEL);
        EXPECT_EQ(nullptr, app.modelessDialog()) << "closed: the loop no longer routes to it";
        // Opened again after it was closed.
        SendMessageW(frame, WM_COMMAND, command::kDialUpSettings, 0);
        EXPECT_TRUE(frontEnd->main()->commands().dialDialog()->hwnd());
        EXPECT_EQ(frontEnd->main()->commands().dialDialog()->hwnd(), app.modelessDialog());
    }
    Pump();
    OleUninitialize();
}

TEST_F(DialDialogTest, ScreenshotsInBothLanguages) {
    for (const char* code : {"enu", "rus"}) {
        ASSERT_EQ(AStr(code), LoadLanguage(Libraries(), code, ProgramLanguage()).code);
        PhoneBook book;
        DialUp d(book.table());
        d.usage = DialUp::kDialEntry;
        d.dialParams.entryName = "My ISP";
        d.usePhoneList = true;
        d.phoneList.add("+7 495 123-45-67");
        d.phoneList.add("");
        d.userName = "joe";
        HWND w = open(d);
        ASSERT_TRUE(w) << code;
        std::string shot = dialogtest::SaveWindow(w, std::string("dialup-") + code);
        EXPECT_GT(fs::file_size(shot), 10000u);
        Click(w, IDCANCEL);

        DialUp none{platform::RasFunctions{}};
        none.usage = DialUp::kDialEntry;
        w = open(none);
        ASSERT_TRUE(w) << code;
        shot = dialogtest::SaveWindow(w, std::string("dialup-noras-") + code);
        for (int id : {DialDialog::kDeletePhone, DialDialog::kPhoneUp, DialDialog::kPhoneDown})
            EXPECT_FALSE(Enabled(w, id)) << "as the screenshot shows it: " << id;
        Click(w, IDCANCEL);

        // The input dialog as the phone list asks with it.
        settings = std::make_unique<ApplicationProfile>(ini.c_str());
        dialogtest::NextDialog input(nullptr, [&](HWND box) {
            SetText(box, InputDialog::kEditId, "+7 495 765-43-21");
            (void)dialogtest::SaveWindow(box, std::string("phone-number-") + code);
            dialogtest::PostClick(box, IDCANCEL);
        });
        AStr number;
        EXPECT_FALSE(InputDialog::ask(nullptr, number, ProgramLanguage().text(DialDialog::kTextAddTitle),
                                      ProgramLanguage().text(DialDialog::kTextNumberPrompt)));
        EXPECT_TRUE(input.found());
    }
}
