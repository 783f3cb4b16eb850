// What the batch, calendar and dial-up dialogs read from their fields: the
// start date and time as typed, the list text, the calendar's months, the
// phone list's edits and the entry's section they are kept in.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/ApplicationProfile.h"
#include "batch/BatchListText.h"
#include "batch/Calendar.h"
#include "batch/PhoneList.h"
#include "batch/StartTimeText.h"
#include "batch/TimeLimitText.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Items(const StrList& l) {
    std::vector<std::string> v;
    for (StrNode* n = l.first(); n; n = static_cast<StrNode*>(n->next())) v.emplace_back(n->str.view());
    return v;
}

StrList Strings(std::initializer_list<const char*> items) {
    StrList l;
    for (const char* s : items) l.add(s);
    return l;
}

}  // namespace

TEST(StartDateText, DaysMonthsAndYearsInTheLocalesOrder) {
    const DateTextFormat dmy{DateTextFormat::kDayMonthYear, "."};
    const DateTextFormat mdy{DateTextFormat::kMonthDayYear, "/"};
    const DateTextFormat ymd{DateTextFormat::kYearMonthDay, "-"};
    struct Row {
        const char* text;
        const DateTextFormat* format;
        bool valid;
        int y, m, d;
    } rows[] = {
        // The month lengths, leap years not asked.
        {"31.01.2001", &dmy, true, 2001, 1, 31},
        {"31.02.2001", &dmy, false, 0, 0, 0},
        {"30.02.2000", &dmy, false, 0, 0, 0},
        {"29.02.2001", &dmy, true, 2001, 2, 29},
        {"31.04.2001", &dmy, false, 0, 0, 0},
        {"30.11.2001", &dmy, true, 2001, 11, 30},
        {"31.12.2001", &dmy, true, 2001, 12, 31},
        // The years 1900 to 2100, months 1 to 12, days from 1.
        {"1.1.1900", &dmy, true, 1900, 1, 1},
        {"31.12.2100", &dmy, true, 2100, 12, 31},
        {"31.12.1899", &dmy, false, 0, 0, 0},
        {"1.1.2101", &dmy, false, 0, 0, 0},
        {"0.1.2001", &dmy, false, 0, 0, 0},
        {"1.13.2001", &dmy, false, 0, 0, 0},
        {"1.0.2001", &dmy, false, 0, 0, 0},
        // The order is the locale's.
        {"02/29/2001", &mdy, true, 2001, 2, 29},
        {"29/02/2001", &mdy, false, 0, 0, 0},
        {"2001-02-03", &ymd, true, 2001, 2, 3},
        {" 3.2.2001 ", &dmy, true, 2001, 2, 3},
        // What is no date at all.
        {"", &dmy, false, 0, 0, 0},
        {"   \t", &dmy, false, 0, 0, 0},
        {"99.99.9999", &dmy, false, 0, 0, 0},
        {"1.2", &dmy, false, 0, 0, 0},
        {"1.2.2001.4", &dmy, false, 0, 0, 0},
        {"1.feb.2001", &dmy, false, 0, 0, 0},
        {"1.2.2001x", &dmy, false, 0, 0, 0},
        {"1.2.02001", &dmy, false, 0, 0, 0},
        {"1.2.99999999999999999999", &dmy, false, 0, 0, 0},
        {"4294967297.1.2001", &dmy, false, 0, 0, 0},
    };
    for (const Row& r : rows) {
        platform::LocalDateTime t;
        t.year = 7, t.month = 7, t.day = 7;
        EXPECT_EQ(r.valid, ParseStartDate(r.text, *r.format, t)) << r.text;
        if (r.valid) {
            EXPECT_EQ(r.y, t.year) << r.text;
            EXPECT_EQ(r.m, t.month) << r.text;
            EXPECT_EQ(r.d, t.day) << r.text;
        } else {
            EXPECT_EQ(7, t.year + t.month + t.day - 14) << "unchanged: " << r.text;
        }
    }
}

TEST(StartDateText, WrittenAsItIsRead) {
    platform::LocalDateTime t;
    t.year = 2001, t.month = 2, t.day = 3, t.hour = 7, t.minute = 5, t.second = 9;
    EXPECT_EQ(AStr("03.02.2001"), FormatStartDate(t, {DateTextFormat::kDayMonthYear, "."}));
    EXPECT_EQ(AStr("02/03/2001"), FormatStartDate(t, {DateTextFormat::kMonthDayYear, "/"}));
    EXPECT_EQ(AStr("2001-02-03"), FormatStartDate(t, {DateTextFormat::kYearMonthDay, "-"}));
    EXPECT_EQ(AStr("7:05:09"), FormatStartTime(t, {":"}));
    for (auto order : {DateTextFormat::kDayMonthYear, DateTextFormat::kMonthDayYear, DateTextFormat::kYearMonthDay}) {
        DateTextFormat f{order, "."};
        platform::LocalDateTime back;
        ASSERT_TRUE(ParseStartDate(FormatStartDate(t, f).view(), f, back));
        EXPECT_EQ(2001, back.year);
        EXPECT_EQ(2, back.month);
        EXPECT_EQ(3, back.day);
    }
}

TEST(StartTimeText, HoursMinutesAndSeconds) {
    struct Row {
        const char* text;
        bool valid;
        int h, m, s;
    } rows[] = {
        {"0:00:00", true, 0, 0, 0},         {"23:59:59", true, 23, 59, 59}, {"7:05", true, 7, 5, 0},
        {" 12:30:15 ", true, 12, 30, 15},   {"24:00:00", false, 0, 0, 0},   {"12:60:00", false, 0, 0, 0},
        {"12:00:60", false, 0, 0, 0},       {"", false, 0, 0, 0},           {"  ", false, 0, 0, 0},
        {"12", false, 0, 0, 0},             {"1:2:3:4", false, 0, 0, 0},    {"10:30 PM", false, 0, 0, 0},
        {"123:00:00", false, 0, 0, 0},
    };
    for (const Row& r : rows) {
        platform::LocalDateTime t;
        EXPECT_EQ(r.valid, ParseStartTime(r.text, {":"}, t)) << r.text;
        if (!r.valid) continue;
        EXPECT_EQ(r.h, t.hour) << r.text;
        EXPECT_EQ(r.m, t.minute) << r.text;
        EXPECT_EQ(r.s, t.second) << r.text;
    }
}

TEST(BatchListText, OneFileALine) {
    EXPECT_EQ(AStr("a.zbp\r\nb c.zbp\r\n"), JoinBatchList(Strings({"a.zbp", "b c.zbp"})));
    EXPECT_EQ(AStr(), JoinBatchList(StrList()));

    StrList l;
    EXPECT_EQ(0u, SplitBatchList("  a.zbp\t\r\n\r\n \t \nb c.zbp\rc.zbp\n\nlast", l));
    EXPECT_EQ((std::vector<std::string>{"a.zbp", "b c.zbp", "c.zbp", "last"}), Items(l));
    EXPECT_EQ(0u, SplitBatchList("", l));
    EXPECT_TRUE(l.empty());

    // A joined list reads back as it was, also a long one.
    StrList many;
    for (int i = 0; i < 10000; ++i) many.add(AStr::format("C:\\projects\\site%05d.zbp", i));
    StrList back;
    EXPECT_EQ(0u, SplitBatchList(JoinBatchList(many).view(), back));
    EXPECT_TRUE(back == many);
}

TEST(BatchListText, AnOverlongLineIsNamedNotCut) {
    StrList l = Strings({"kept.zbp"});
    std::string text = "a.zbp\r\n\r\n" + std::string(kMaxBatchLine, 'x') + "\r\n" + std::string(kMaxBatchLine + 1, 'y');
    EXPECT_EQ(4u, SplitBatchList(text, l));
    EXPECT_EQ((std::vector<std::string>{"kept.zbp"}), Items(l)) << "the list is left alone";
    // Blanks around a line do not count.
    EXPECT_EQ(0u, SplitBatchList("   " + std::string(kMaxBatchLine, 'x') + "\t\t", l));
    EXPECT_EQ(kMaxBatchLine, l[0].size());
}

TEST(Calendar, MonthLengthsAndTheFirstDaysColumn) {
    EXPECT_EQ(29, DaysInMonth(2000, 2));
    EXPECT_EQ(28, DaysInMonth(1900, 2));
    EXPECT_EQ(28, DaysInMonth(2001, 2));
    EXPECT_EQ(29, DaysInMonth(2004, 2));
    EXPECT_EQ(28, DaysInMonth(2100, 2));
    EXPECT_EQ(30, DaysInMonth(2001, 4));
    EXPECT_EQ(31, DaysInMonth(2001, 12));
    // Mondays: 1 January 2001, 1 March 1999; a Sunday: 1 February 2037;
    // a Saturday: 1 January 2000.
    EXPECT_EQ(0, FirstColumn(2001, 1));
    EXPECT_EQ(0, FirstColumn(1999, 3));
    EXPECT_EQ(6, FirstColumn(2037, 2));
    EXPECT_EQ(5, FirstColumn(2000, 1));
    std::vector<int> cells = CalendarCells(2000, 1);
    ASSERT_EQ(5u + 31u, cells.size());
    EXPECT_EQ(0, cells[4]);
    EXPECT_EQ(1, cells[5]);
    EXPECT_EQ(31, cells.back());
    EXPECT_EQ(28u, CalendarCells(2001, 1 + 1).size() - static_cast<size_t>(FirstColumn(2001, 2)));
}

TEST(Calendar, TheMonthWrapsAcrossYearsWithinTheRange) {
    int y = 2001, m = 1;
    EXPECT_TRUE(StepMonth(y, m, -1));
    EXPECT_EQ(2000, y);
    EXPECT_EQ(12, m);
    EXPECT_TRUE(StepMonth(y, m, +1));
    EXPECT_EQ(2001, y);
    EXPECT_EQ(1, m);
    y = 2001, m = 12;
    EXPECT_TRUE(StepMonth(y, m, +1));
    EXPECT_EQ(2002, y);
    EXPECT_EQ(1, m);
    // The ends of the year control.
    y = 1995, m = 1;
    EXPECT_FALSE(StepMonth(y, m, -1));
    EXPECT_EQ(1995, y);
    EXPECT_EQ(1, m);
    y = 2037, m = 12;
    EXPECT_FALSE(StepMonth(y, m, +1));
    EXPECT_EQ(2037, y);
    EXPECT_EQ(12, m);
    // The day is kept, cut to the month.
    EXPECT_EQ(29, DayInMonth(31, 2000, 2));
    EXPECT_EQ(28, DayInMonth(31, 2001, 2));
    EXPECT_EQ(15, DayInMonth(15, 2001, 2));
    EXPECT_EQ(30, DayInMonth(31, 2001, 4));
}

TEST(PhoneListEdits, AddEditDeleteAndMove) {
    StrList l;
    EXPECT_EQ(0, phonelist::add(l, -1, "111"));
    EXPECT_EQ(1, phonelist::add(l, -1, "333"));
    EXPECT_EQ(1, phonelist::add(l, 0, "222")) << "after the selection";
    EXPECT_EQ((std::vector<std::string>{"111", "222", "333"}), Items(l));
    EXPECT_EQ(2, phonelist::edit(l, 2, "3333"));
    EXPECT_EQ(-1, phonelist::edit(l, 5, "x"));
    EXPECT_EQ(-1, phonelist::edit(l, -1, "x"));
    EXPECT_EQ(0, phonelist::move(l, 1, -1));
    EXPECT_EQ((std::vector<std::string>{"222", "111", "3333"}), Items(l));
    EXPECT_EQ(0, phonelist::move(l, 0, -1)) << "stays at the top";
    EXPECT_EQ(2, phonelist::move(l, 2, +1)) << "stays at the bottom";
    EXPECT_EQ(2, phonelist::move(l, 1, +1));
    EXPECT_EQ((std::vector<std::string>{"222", "3333", "111"}), Items(l));
    EXPECT_EQ(1, phonelist::remove(l, 2)) << "the one before is selected";
    EXPECT_EQ(0, phonelist::remove(l, 0)) << "the first went: the new first";
    EXPECT_EQ((std::vector<std::string>{"3333"}), Items(l));
    EXPECT_EQ(-1, phonelist::remove(l, 7)) << "nothing deleted";
    EXPECT_EQ(1u, l.count());
    EXPECT_EQ(-1, phonelist::remove(l, 0));
    EXPECT_TRUE(l.empty());
}

TEST(PhoneListEdits, KeptInTheEntrysSection) {
    fs::path dir = fs::temp_directory_path() / ("zb-phones-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    std::string ini = (dir / "zbrask.INI").string();
    {
        ApplicationProfile s(ini.c_str());
        ASSERT_EQ(0, WritePhoneList(s, "My ISP", Strings({"111", "", "333"}), true));
        ASSERT_EQ(0, WriteDialCredentials(s, "My ISP", "joe", "secret", true));
        ASSERT_EQ(0, WritePhoneList(s, "Other", Strings({"999"}), false));
        // A shorter list leaves none of the old keys behind.
        ASSERT_EQ(0, WritePhoneList(s, "My ISP", Strings({"444"}), true));
    }
    ApplicationProfile s(ini.c_str());
    DialEntrySettings e = ReadDialEntry(s, "My ISP");
    EXPECT_EQ((std::vector<std::string>{"444"}), Items(e.phoneList));
    EXPECT_TRUE(e.usePhoneList);
    EXPECT_EQ(AStr("joe"), e.userName);
    EXPECT_EQ(AStr("secret"), e.password);
    EXPECT_EQ(AStr(), s.readString("Dial Up.My ISP", "1", "")) << "old key deleted";
    EXPECT_EQ(AStr(), s.readString("Dial Up.My ISP", "2", ""));
    EXPECT_NE(AStr("secret"), s.readString("Dial Up.My ISP", "Password", "")) << "stored encoded";
    DialEntrySettings other = ReadDialEntry(s, "Other");
    EXPECT_EQ((std::vector<std::string>{"999"}), Items(other.phoneList));
    EXPECT_FALSE(other.usePhoneList);

    // Without "save password" the password is written empty.
    ASSERT_EQ(0, WriteDialCredentials(s, "My ISP", "joe", "secret", false));
    EXPECT_EQ(AStr(), ReadDialEntry(s, "My ISP").password);
    EXPECT_EQ(AStr("joe"), ReadDialEntry(s, "My ISP").userName);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

TEST(DialTimeLimitText, MinutesThatFitTheSetting) {
    uint32_t ms = 7;
    EXPECT_TRUE(ParseTimeLimitMinutes(" 90 ", ms));
    EXPECT_EQ(5400000u, ms);
    EXPECT_TRUE(ParseTimeLimitMinutes("0", ms));
    EXPECT_EQ(0u, ms);
    EXPECT_TRUE(ParseTimeLimitMinutes(std::to_string(kMaxTimeLimitMinutes), ms));
    EXPECT_EQ(kMaxTimeLimitMinutes * 60000u, ms);
    ms = 7;
    for (const char* bad : {"", " ", "abc", "-5", "1.5", "71583", "99999999999999999999", "4294967296"}) {
        EXPECT_FALSE(ParseTimeLimitMinutes(bad, ms)) << bad;
        EXPECT_EQ(7u, ms) << bad;
    }
    EXPECT_EQ(AStr("60"), TimeLimitMinutes(0));
    EXPECT_EQ(AStr("90"), TimeLimitMinutes(5400000));
}
