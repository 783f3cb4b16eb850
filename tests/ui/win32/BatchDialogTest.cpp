// The batch dialog and its calendar under Wine, driven as a user drives
// them: fields typed, buttons clicked, then OK, start or cancel; the batch
// checked afterwards. The batch command of the main window on the real
// dialog; each dialog saved as a screenshot in both languages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/LanguageFile.h"
#include "app/shell/Application.h"
#include "batch/BatchListText.h"
#include "batch/Calendar.h"
#include "ui/panes/CommandStates.h"
#include "ui/win32/BatchDialog.h"
#include "ui/win32/DateDialog.h"
#include "ui/win32/DialogTestSupport.h"
#include "ui/win32/EngineMainWindow.h"
#include "ui/win32/WinFrontEnd.h"

namespace {

namespace fs = std::filesystem;
using dialogtest::Click;
using dialogtest::Enabled;
using dialogtest::SetText;
using dialogtest::Text;
using windowtest::Pump;
using windowtest::ReadFile;

AStr Libraries() { return AStr(ZB_BINARY_DIR) + "/bin/"; }

platform::LocalDateTime Day(int y, int m, int d) {
    platform::LocalDateTime t;
    t.year = uint16_t(y), t.month = uint16_t(m), t.day = uint16_t(d);
    t.hour = 22, t.minute = 30, t.second = 0;
    return t;
}

std::vector<std::string> Items(const StrList& l) {
    std::vector<std::string> v;
    for (StrNode* n = l.first(); n; n = static_cast<StrNode*>(n->next())) v.emplace_back(n->str.view());
    return v;
}

// The batch dialog made modeless over nothing, so that the test drives it
// on its own thread; what it tells is kept.
struct OpenBatchDialog {
    Batch batch;
    std::unique_ptr<BatchDialog> dialog;
    std::vector<std::string> told;
    HWND hwnd = nullptr;

    explicit OpenBatchDialog(const Batch& b, const AStr& project = AStr()) : batch(b) {
        dialog = std::make_unique<BatchDialog>(batch, project);
        dialog->tell = [this](HWND, const AStr& text) { told.emplace_back(text.view()); };
        if (dialog->createModeless(nullptr)) hwnd = dialog->hwnd();
        // The active window, as a dialog the user works in is.
        if (hwnd) SetForegroundWindow(hwnd);
        Pump();
    }
    std::string date(int y, int m, int d) const {
        return FormatStartDate(Day(y, m, d), BatchDialog::localeDateFormat()).c_str();
    }
    bool open() const { return dialog->hwnd() != nullptr; }
};

class BatchDialogTest : public ::testing::Test {
protected:
    void SetUp() override { (void)LoadLanguage(Libraries(), "enu", ProgramLanguage()); }
    void TearDown() override { (void)LoadLanguage(Libraries(), "enu", ProgramLanguage()); }
};

}  // namespace

TEST_F(BatchDialogTest, TheStartDateAndTimeAreCheckedBeforeItCloses) {
    Batch b;
    b.startTime = Day(2001, 1, 15);
    OpenBatchDialog d(b);
    ASSERT_TRUE(d.hwnd);
    EXPECT_EQ(d.date(2001, 1, 15), Text(d.hwnd, BatchDialog::kDate)) << "in the locale's order";
    EXPECT_EQ("22:30:00", Text(d.hwnd, BatchDialog::kTime));

    // Checked whether or not the start time is used.
    EXPECT_FALSE(IsDlgButtonChecked(d.hwnd, BatchDialog::kUseStartTime));
    const std::string badDate = ProgramLanguage().text(BatchDialog::kTextBadDate).c_str();
    const std::string badTime = ProgramLanguage().text(BatchDialog::kTextBadTime).c_str();
    for (const std::string& typed : {d.date(2001, 2, 31), std::string("99.99.9999"), std::string(""),
                                     std::string("   "), d.date(2001, 4, 31), std::string("1.2.3.4")}) {
        d.told.clear();
        SetText(d.hwnd, BatchDialog::kDate, typed);
        Click(d.hwnd, IDOK);
        ASSERT_TRUE(d.open()) << "refused: " << typed;
        ASSERT_EQ(1u, d.told.size()) << typed;
        EXPECT_EQ(badDate, d.told[0]);
        // Open to correction, though the start time is not used.
        EXPECT_TRUE(Enabled(d.hwnd, BatchDialog::kDate));
        EXPECT_EQ(GetDlgItem(d.hwnd, BatchDialog::kDate), GetFocus()) << "back in the field, not in " << GetDlgCtrlID(GetFocus());
    }
    SetText(d.hwnd, BatchDialog::kDate, d.date(2001, 2, 29));
    for (const char* typed : {"24:00:00", "12:60", "", "noon"}) {
        d.told.clear();
        SetText(d.hwnd, BatchDialog::kTime, typed);
        Click(d.hwnd, BatchDialog::kStart);
        ASSERT_TRUE(d.open()) << "refused: " << typed;
        ASSERT_EQ(1u, d.told.size()) << typed;
        EXPECT_EQ(badTime, d.told[0]);
    }
    EXPECT_EQ(1, d.batch.startTime.month) << "nothing taken while refused";
    EXPECT_EQ(15, d.batch.startTime.day);

    // The 29th of February of any year is taken as typed.
    d.told.clear();
    SetText(d.hwnd, BatchDialog::kTime, "7:05:09");
    Click(d.hwnd, IDOK);
    EXPECT_FALSE(d.open());
    EXPECT_TRUE(d.told.empty());
    EXPECT_EQ(IDOK, d.dialog->result());
    EXPECT_EQ(2001, d.batch.startTime.year);
    EXPECT_EQ(2, d.batch.startTime.month);
    EXPECT_EQ(29, d.batch.startTime.day);
    EXPECT_EQ(7, d.batch.startTime.hour);
    EXPECT_EQ(5, d.batch.startTime.minute);
    EXPECT_EQ(9, d.batch.startTime.second);
}

TEST_F(BatchDialogTest, TheListFilesAndSwitches) {
    Batch b;
    b.add("C:\\jobs\\first.zbp");
    b.add("C:\\jobs\\second file.zbp");
    b.exitOnEndBatch = true;
    OpenBatchDialog d(b, "C:\\jobs\\current.zbp");
    ASSERT_TRUE(d.hwnd);
    EXPECT_EQ("C:\\jobs\\first.zbp\r\nC:\\jobs\\second file.zbp\r\n", Text(d.hwnd, BatchDialog::kList));
    EXPECT_TRUE(IsDlgButtonChecked(d.hwnd, BatchDialog::kExitOnEnd));
    // The start time's fields follow their switch at once.
    for (int id : {BatchDialog::kDate, BatchDialog::kTime, BatchDialog::kPickDate}) EXPECT_FALSE(Enabled(d.hwnd, id));
    Click(d.hwnd, BatchDialog::kUseStartTime);
    for (int id : {BatchDialog::kDate, BatchDialog::kTime, BatchDialog::kPickDate}) EXPECT_TRUE(Enabled(d.hwnd, id));

    // Several files at once, starting in the current project's folder;
    // then the current project itself.
    AStr startedIn;
    d.dialog->chooseFiles = [&](HWND, const AStr& folder) {
        startedIn = folder;
        return std::vector<AStr>{"D:\\a.zbp", "D:\\b.zbp"};
    };
    SetText(d.hwnd, BatchDialog::kList, "  typed.zbp\t\r\n\r\n   ");
    Click(d.hwnd, BatchDialog::kAddFiles);
    EXPECT_EQ(AStr("C:\\jobs"), startedIn);
    Click(d.hwnd, BatchDialog::kAddProject);
    // A canceled file dialog adds nothing.
    d.dialog->chooseFiles = [](HWND, const AStr&) { return std::vector<AStr>(); };
    Click(d.hwnd, BatchDialog::kAddFiles);

    // The calendar's date lands in the date field, in the locale's format;
    // it opens just below its button.
    POINT at = {};
    d.dialog->pickDate = [&](HWND, POINT p, platform::LocalDateTime& date) {
        at = p;
        date = Day(2010, 6, 30);
        return true;
    };
    Click(d.hwnd, BatchDialog::kPickDate);
    RECT button;
    GetWindowRect(GetDlgItem(d.hwnd, BatchDialog::kPickDate), &button);
    EXPECT_EQ(button.left, at.x);
    EXPECT_EQ(button.bottom, at.y);
    EXPECT_EQ(d.date(2010, 6, 30), Text(d.hwnd, BatchDialog::kDate));

    Click(d.hwnd, BatchDialog::kExitOnEnd);
    Click(d.hwnd, BatchDialog::kStart);
    ASSERT_FALSE(d.open());
    EXPECT_EQ(BatchDialog::kStart, d.dialog->result());
    EXPECT_EQ((std::vector<std::string>{"typed.zbp", "D:\\a.zbp", "D:\\b.zbp", "C:\\jobs\\current.zbp"}),
              Items(d.batch));
    EXPECT_FALSE(d.batch.exitOnEndBatch);
    EXPECT_TRUE(d.batch.useStartTime);
    EXPECT_EQ(2010, d.batch.startTime.year);
    EXPECT_EQ(30, d.batch.startTime.day);
}

TEST_F(BatchDialogTest, TheFilesOfTheOpenDialogsAnswer) {
    EXPECT_EQ((std::vector<AStr>{"C:\\one.zbp"}), ChosenFiles(L"C:\\one.zbp\0"));
    EXPECT_EQ((std::vector<AStr>{"C:\\jobs\\a.zbp", "C:\\jobs\\b c.zbp"}), ChosenFiles(L"C:\\jobs\0a.zbp\0b c.zbp\0"));
    EXPECT_EQ((std::vector<AStr>{"C:\\a.zbp", "C:\\b.zbp"}), ChosenFiles(L"C:\\\0a.zbp\0b.zbp\0")) << "a drive's root";
    EXPECT_TRUE(ChosenFiles(L"\0").empty());
}

TEST_F(BatchDialogTest, HelpWhereAHelpFileIsInstalled) {
    // A language folder with the library and its help file.
    fs::path folder = fs::path(ZB_BINARY_DIR) / "testtmp" / ("help-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    fs::copy_file(fs::path(ZB_BINARY_DIR) / "bin" / "zbenu.dll", folder / "zbenu.dll");
    std::ofstream(folder / "zbenu.hlp") << "help";
    LanguageLoad loaded = LoadProgramLanguage(AStr(folder.string() + "\\"), "enu");
    ASSERT_TRUE(ProgramLanguage().loaded());
    EXPECT_FALSE(ZDialog::helpFile().empty()) << loaded.helpPath.c_str();
    {
        OpenBatchDialog d{Batch()};
        ASSERT_TRUE(d.hwnd);
        EXPECT_TRUE(Enabled(d.hwnd, IDHELP));
        Click(d.hwnd, IDCANCEL);
    }
    // Without it the button cannot fail: it is disabled.
    (void)LoadProgramLanguage(Libraries(), "enu");
    OpenBatchDialog d{Batch()};
    EXPECT_FALSE(Enabled(d.hwnd, IDHELP));
    Click(d.hwnd, IDCANCEL);
    std::error_code ec;
    fs::remove_all(folder, ec);
}

TEST_F(BatchDialogTest, NoCurrentProjectNothingToAdd) {
    OpenBatchDialog d{Batch()};
    ASSERT_TRUE(d.hwnd);
    EXPECT_FALSE(Enabled(d.hwnd, BatchDialog::kAddProject));
    EXPECT_EQ("", Text(d.hwnd, BatchDialog::kList));
    // Without a help file the help button cannot fail.
    EXPECT_FALSE(Enabled(d.hwnd, IDHELP));
    Click(d.hwnd, IDCANCEL);
    EXPECT_EQ(IDCANCEL, d.dialog->result());
}

TEST_F(BatchDialogTest, LongListsAndOverlongLines) {
    // Ten thousand entries go through the field whole, and through the
    // settings file.
    Batch b;
    for (int i = 0; i < 10000; ++i) b.add(AStr::format("C:\\projects\\site%05d.zbp", i));
    OpenBatchDialog d(b);
    ASSERT_TRUE(d.hwnd);
    Click(d.hwnd, IDOK);
    ASSERT_FALSE(d.open());
    ASSERT_EQ(10000u, d.batch.count());
    EXPECT_TRUE(d.batch == b);
    fs::path ini = fs::path(ZB_BINARY_DIR) / "testtmp" / ("batch-" + std::to_string(std::random_device{}()) + ".INI");
    fs::create_directories(ini.parent_path());
    {
        ApplicationProfile s(ini.string().c_str());
        d.batch.write(s);
    }
    Batch back;
    back.read(ApplicationProfile(ini.string().c_str()));
    EXPECT_TRUE(back == b) << "the settings file holds every entry";
    std::error_code ec;
    fs::remove(ini, ec);

    // A line of 100 KB names no file: said, and nothing taken.
    Batch small;
    small.add("kept.zbp");
    OpenBatchDialog l(small);
    ASSERT_TRUE(l.hwnd);
    SetText(l.hwnd, BatchDialog::kList, "a.zbp\r\n" + std::string(100 * 1024, 'x') + "\r\nb.zbp\r\n");
    Click(l.hwnd, IDOK);
    ASSERT_TRUE(l.open());
    ASSERT_EQ(1u, l.told.size());
    EXPECT_EQ(std::string(ProgramLanguage().format(BatchDialog::kTextLongLine, 2u, 1023u).c_str()), l.told[0]);
    EXPECT_EQ((std::vector<std::string>{"kept.zbp"}), Items(l.batch));
    Click(l.hwnd, IDCANCEL);
}

// ---------------------------------------------------------------------------
// The calendar

namespace {
struct OpenCalendar {
    std::unique_ptr<DateDialog> dialog;
    HWND hwnd = nullptr;
    OpenCalendar(const platform::LocalDateTime& date, POINT at) {
        dialog = std::make_unique<DateDialog>(date, at);
        if (dialog->createModeless(nullptr)) hwnd = dialog->hwnd();
        Pump();
    }
    // A click on an arrow of an up-down control, as the control tells it.
    void step(int upDown, int delta) {
        NMUPDOWN n = {};
        n.hdr.hwndFrom = GetDlgItem(hwnd, upDown);
        n.hdr.idFrom = static_cast<UINT_PTR>(upDown);
        n.hdr.code = UDN_DELTAPOS;
        n.iPos = static_cast<int>(SendMessageW(n.hdr.hwndFrom, UDM_GETPOS32, 0, 0));
        n.iDelta = delta;
        SendMessageW(hwnd, WM_NOTIFY, static_cast<WPARAM>(upDown), reinterpret_cast<LPARAM>(&n));
    }
    int month() const { return static_cast<int>(SendDlgItemMessageW(hwnd, DateDialog::kMonthList, CB_GETCURSEL, 0, 0)) + 1; }
    std::string year() const { return Text(hwnd, DateDialog::kYear); }
    int dayCell() const { return static_cast<int>(SendDlgItemMessageW(hwnd, DateDialog::kDays, LB_GETCURSEL, 0, 0)); }
    int cells() const { return static_cast<int>(SendDlgItemMessageW(hwnd, DateDialog::kDays, LB_GETCOUNT, 0, 0)); }
};
}  // namespace

TEST_F(BatchDialogTest, TheCalendarsYearsMonthsAndDays) {
    OpenCalendar c(Day(2001, 1, 31), {40, 40});
    ASSERT_TRUE(c.hwnd);
    EXPECT_EQ(1, c.month());
    EXPECT_EQ("2001", c.year());
    EXPECT_EQ(FirstColumn(2001, 1) + 31, c.cells());
    EXPECT_EQ(FirstColumn(2001, 1) + 30, c.dayCell()) << "the 31st chosen";
    wchar_t name[64] = {};
    SendDlgItemMessageW(c.hwnd, DateDialog::kMonthList, CB_GETLBTEXT, 8, reinterpret_cast<LPARAM>(name));
    EXPECT_EQ(std::string(ProgramLanguage().text(25018).c_str()), platform::NarrowText(name));

    // Below January is December of the year before, and back.
    c.step(DateDialog::kMonthUpDown, -1);
    EXPECT_EQ(12, c.month());
    EXPECT_EQ("2000", c.year());
    c.step(DateDialog::kMonthUpDown, +1);
    EXPECT_EQ(1, c.month());
    EXPECT_EQ("2001", c.year());
    // The day is kept, cut to the month: 31 January, then February.
    c.step(DateDialog::kMonthUpDown, +1);
    EXPECT_EQ(2, c.month());
    EXPECT_EQ(FirstColumn(2001, 2) + 28, c.cells());
    EXPECT_EQ(FirstColumn(2001, 2) + 27, c.dayCell()) << "the 28th";
    // A leap February from the year control.
    c.step(DateDialog::kYearUpDown, -1);
    EXPECT_EQ("2000", c.year());
    EXPECT_EQ(FirstColumn(2000, 2) + 29, c.cells());

    // The month from its list; a day from the grid, blanks not choosable.
    SendDlgItemMessageW(c.hwnd, DateDialog::kMonthList, CB_SETCURSEL, 11, 0);
    SendMessageW(c.hwnd, WM_COMMAND, MAKEWPARAM(DateDialog::kMonthList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(c.hwnd, DateDialog::kMonthList)));
    EXPECT_EQ(12, c.month());
    HWND grid = GetDlgItem(c.hwnd, DateDialog::kDays);
    if (FirstColumn(2000, 12) > 0) {
        EXPECT_EQ(LB_ERR, SendMessageW(grid, LB_SETCURSEL, 0, 0)) << "a blank cell";
    }
    const int cell24 = FirstColumn(2000, 12) + 23;
    ASSERT_EQ(cell24, SendMessageW(grid, LB_SETCURSEL, static_cast<WPARAM>(cell24), 0));
    SendMessageW(c.hwnd, WM_COMMAND, MAKEWPARAM(DateDialog::kDays, LBN_SELCHANGE), reinterpret_cast<LPARAM>(grid));
    Click(c.hwnd, IDOK);
    EXPECT_EQ(IDOK, c.dialog->result());
    EXPECT_EQ(2000, c.dialog->date().year);
    EXPECT_EQ(12, c.dialog->date().month);
    EXPECT_EQ(24, c.dialog->date().day);
    EXPECT_EQ(22, c.dialog->date().hour) << "the time is the caller's";
}

TEST_F(BatchDialogTest, TheCalendarStopsAt1995And2037) {
    OpenCalendar c(Day(1995, 1, 10), {40, 40});
    ASSERT_TRUE(c.hwnd);
    c.step(DateDialog::kMonthUpDown, -1);
    EXPECT_EQ(1, c.month());
    EXPECT_EQ("1995", c.year());
    c.step(DateDialog::kYearUpDown, -1);
    EXPECT_EQ("1995", c.year());
    EXPECT_EQ(1995, static_cast<int>(SendDlgItemMessageW(c.hwnd, DateDialog::kYearUpDown, UDM_GETPOS32, 0, 0)));
    LONG lo = 0, hi = 0;
    SendDlgItemMessageW(c.hwnd, DateDialog::kYearUpDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo),
                        reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(1995, lo);
    EXPECT_EQ(2037, hi);
    // Typed years: within the range they are shown; beyond it OK takes the
    // nearest end.
    SetText(c.hwnd, DateDialog::kYear, "2037");
    Pump();
    SendDlgItemMessageW(c.hwnd, DateDialog::kMonthList, CB_SETCURSEL, 11, 0);
    SendMessageW(c.hwnd, WM_COMMAND, MAKEWPARAM(DateDialog::kMonthList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(c.hwnd, DateDialog::kMonthList)));
    EXPECT_EQ(FirstColumn(2037, 12) + 31, c.cells());
    c.step(DateDialog::kMonthUpDown, +1);
    EXPECT_EQ(12, c.month());
    EXPECT_EQ("2037", c.year());
    c.step(DateDialog::kYearUpDown, +1);
    EXPECT_EQ("2037", c.year());
    SetText(c.hwnd, DateDialog::kYear, "9999");
    Click(c.hwnd, IDOK);
    EXPECT_EQ(2037, c.dialog->date().year);
    EXPECT_EQ(12, c.dialog->date().month);
    EXPECT_EQ(10, c.dialog->date().day);

    // A stored date outside the calendar's years opens at its nearest end.
    OpenCalendar old(Day(1980, 5, 5), {40, 40});
    EXPECT_EQ("1995", old.year());
    Click(old.hwnd, IDCANCEL);
    EXPECT_EQ(IDCANCEL, old.dialog->result());
}

TEST_F(BatchDialogTest, TheCalendarStaysOnTheDesktop) {
    const RECT desk = {0, 0, 800, 600};
    auto at = [&](LONG x, LONG y) { return DateDialog::placeOnDesktop({x, y}, {200, 150}, desk); };
    EXPECT_EQ(100, at(100, 100).x);
    EXPECT_EQ(100, at(100, 100).y);
    EXPECT_EQ(600, at(700, 100).x) << "moved in from the right";
    EXPECT_EQ(450, at(100, 590).y) << "moved up from the bottom";
    EXPECT_EQ(0, at(-50, -10).x);
    EXPECT_EQ(0, at(-50, -10).y);
    // Bigger than the desktop: its top left corner shows.
    EXPECT_EQ(0, DateDialog::placeOnDesktop({300, 300}, {900, 700}, desk).x);

    // The real one, asked for at the screen's bottom right corner.
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    OpenCalendar c(Day(2001, 1, 1), {w - 5, h - 5});
    ASSERT_TRUE(c.hwnd);
    RECT r;
    GetWindowRect(c.hwnd, &r);
    EXPECT_LE(r.right, w);
    EXPECT_LE(r.bottom, h);
    EXPECT_GT(r.right - r.left, 100);
    Click(c.hwnd, IDCANCEL);
}

// ---------------------------------------------------------------------------
// The batch command of the main window, with the real modal dialog

namespace {
class BatchCommandTest : public BatchDialogTest {
protected:
    static void SetUpTestSuite() { (void)OleInitialize(nullptr); }
    static void TearDownTestSuite() { OleUninitialize(); }
    void SetUp() override {
        BatchDialogTest::SetUp();
        dir = fs::path(ZB_BINARY_DIR) / "testtmp" / ("batchcmd-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ini = (dir / "zbrask.INI").string();
        std::ofstream(ini, std::ios::binary) << "[Window]\r\nX=20\r\nY=20\r\nW=700\r\nH=500\r\nshow=1\r\n"
                                             << "[Options]\r\nbraskdir=" << dir.string() << "\r\n"
                                             << "[MissionList]\r\ncount=1\r\n0=C:\\before.zbp\r\n";
    }
    void TearDown() override {
        app.reset();
        Pump();
        BatchDialogTest::TearDown();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
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
        Pump();
    }
    fs::path dir;
    std::string ini;
    std::unique_ptr<Application> app;
    WinFrontEnd* frontEnd = nullptr;
    HWND frame = nullptr;
};
}  // namespace

TEST_F(BatchCommandTest, CancelLeavesTheBatchStartReplacesAndStartsIt) {
    start();
    ASSERT_EQ(1u, app->batch().count());
    // Changed, then canceled.
    dialogtest::NextDialog cancel(nullptr, [](HWND d) {
        SetText(d, BatchDialog::kList, "C:\\changed.zbp\r\n");
        SendMessageW(GetDlgItem(d, BatchDialog::kExitOnEnd), BM_SETCHECK, BST_CHECKED, 0);
        dialogtest::PostClick(d, IDCANCEL);
    });
    SendMessageW(frame, WM_COMMAND, command::kBatch, 0);
    ASSERT_TRUE(cancel.found());
    EXPECT_EQ((std::vector<std::string>{"C:\\before.zbp"}), Items(app->batch()));
    EXPECT_FALSE(app->batch().exitOnEndBatch);
    EXPECT_FALSE(app->batchRunner().running());

    // Two files that do not exist, then start: the batch is replaced and
    // started; its entries fail to open and it ends without a crash.
    std::string missing1 = (dir / "missing-one.zbp").string(), missing2 = (dir / "missing two").string();
    dialogtest::NextDialog go(nullptr, [&](HWND d) {
        SetText(d, BatchDialog::kList, missing1 + "\r\n" + missing2 + "\r\n");
        dialogtest::PostClick(d, BatchDialog::kStart);
    });
    SendMessageW(frame, WM_COMMAND, command::kBatch, 0);
    ASSERT_TRUE(go.found());
    EXPECT_EQ((std::vector<std::string>{missing1, missing2}), Items(app->batch()));
    EXPECT_TRUE(app->batchRunner().running());
    for (int i = 0; i < 200 && app->batchRunner().running(); ++i) {
        Pump();
        // The project that fails to open says so in a box: answered.
        if (HWND box = FindWindowW(L"#32770", nullptr)) PostMessageW(box, WM_COMMAND, IDOK, 0);
        (void)app->idleAction(0);
        Sleep(10);
    }
    EXPECT_FALSE(app->batchRunner().running()) << "no entry could be opened: the batch ended";
    EXPECT_EQ(2u, app->batch().count()) << "the list itself is kept";
}

// ---------------------------------------------------------------------------
// Screenshots

TEST_F(BatchDialogTest, ScreenshotsInBothLanguages) {
    for (const char* code : {"enu", "rus"}) {
        ASSERT_EQ(AStr(code), LoadLanguage(Libraries(), code, ProgramLanguage()).code);
        Batch b;
        b.add("C:\\My Sites\\example.zbp");
        b.add("C:\\My Sites\\news of the day.zbp");
        b.useStartTime = true;
        b.startTime = Day(2001, 2, 28);
        OpenBatchDialog d(b, "C:\\My Sites\\current.zbp");
        ASSERT_TRUE(d.hwnd) << code;
        std::string shot = dialogtest::SaveWindow(d.hwnd, std::string("batch-") + code);
        EXPECT_GT(fs::file_size(shot), 10000u);
        Click(d.hwnd, IDCANCEL);

        OpenCalendar c(Day(2001, 2, 14), {60, 60});
        ASSERT_TRUE(c.hwnd) << code;
        shot = dialogtest::SaveWindow(c.hwnd, std::string("calendar-") + code);
        EXPECT_GT(fs::file_size(shot), 10000u);
        Click(c.hwnd, IDCANCEL);
    }
}
