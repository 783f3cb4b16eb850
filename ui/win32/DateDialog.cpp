#include "ui/win32/DateDialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/Lang.h"
#include "batch/Calendar.h"
#include "platform/Text.h"
#include "ui/win32/DayGrid.h"

namespace {

// A text of the library, else the locale's.
std::wstring Named(int number, LCTYPE fallback) {
    AStr t = ProgramLanguage().text(number);
    if (!t.empty()) return platform::WideText(t);
    wchar_t name[80] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, fallback, name, 80);
    return name;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

DateDialog::DateDialog(const platform::LocalDateTime& date, POINT at)
    : ZDialog(kTemplate), date_(date), at_(at) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    (void)InitCommonControlsEx(&controls);
    (void)daygrid::Register();
    year_ = Clamp(date.year, kCalendarFirstYear, kCalendarLastYear);
    month_ = Clamp(date.month, 1, 12);
    day_ = DayInMonth(date.day, year_, month_);
}

POINT DateDialog::placeOnDesktop(POINT at, SIZE size, const RECT& desktop) {
    POINT p = at;
    if (p.x + size.cx > desktop.right) p.x = desktop.right - size.cx;
    if (p.y + size.cy > desktop.bottom) p.y = desktop.bottom - size.cy;
    if (p.x < desktop.left) p.x = desktop.left;
    if (p.y < desktop.top) p.y = desktop.top;
    return p;
}

bool DateDialog::onInit() {
    HWND months = item(kMonthList);
    for (int i = 0; i < 12; ++i) {
        std::wstring name = Named(kFirstMonthText + i, LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(i));
        SendMessageW(months, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    std::vector<std::wstring> headings;
    for (int i = 0; i < 7; ++i)
        headings.push_back(Named(kFirstWeekdayText + i, LOCALE_SABBREVDAYNAME1 + static_cast<LCTYPE>(i)));
    SendMessageW(item(kHeadings), daygrid::kSetCells, 0, reinterpret_cast<LPARAM>(&headings));
    SendMessageW(item(kYearUpDown), UDM_SETRANGE32, kCalendarFirstYear, kCalendarLastYear);
    SendMessageW(item(kMonthUpDown), UDM_SETRANGE32, 0, 11);
    SendMessageW(item(kYear), EM_LIMITTEXT, 4, 0);
    show();

    // At the point asked for, on the desktop of the monitor there.
    RECT r;
    GetWindowRect(hwnd(), &r);
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    RECT desktop = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromPoint(at_, MONITOR_DEFAULTTONEAREST), &mi)) desktop = mi.rcWork;
    POINT p = placeOnDesktop(at_, {r.right - r.left, r.bottom - r.top}, desktop);
    SetWindowPos(hwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    focus(kDays);
    return true;
}

void DateDialog::show() {
    showing_ = true;
    SendMessageW(item(kMonthList), CB_SETCURSEL, static_cast<WPARAM>(month_ - 1), 0);
    SendMessageW(item(kMonthUpDown), UDM_SETPOS32, 0, month_ - 1);
    SendMessageW(item(kYearUpDown), UDM_SETPOS32, 0, year_);
    AStr year = AStr::number(year_);
    if (itemText(kYear) != year) setItemText(kYear, year);
    std::vector<std::wstring> cells;
    int selected = -1;
    for (int d : CalendarCells(year_, month_)) {
        if (d == day_) selected = static_cast<int>(cells.size());
        cells.push_back(d ? std::to_wstring(d) : std::wstring());
    }
    SendMessageW(item(kDays), daygrid::kSetCells, 0, reinterpret_cast<LPARAM>(&cells));
    SendMessageW(item(kDays), LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    showing_ = false;
}

void DateDialog::stepMonth(int delta) {
    if (!StepMonth(year_, month_, delta)) return;
    day_ = DayInMonth(day_, year_, month_);
    show();
}

void DateDialog::setYear(int year) {
    if (year < kCalendarFirstYear || year > kCalendarLastYear || year == year_) return;
    year_ = year;
    day_ = DayInMonth(day_, year_, month_);
    show();
}

void DateDialog::confirm() {
    // A year typed outside the calendar's counts as its nearest end.
    AStr typed = itemText(kYear);
    int year = typed.empty() || typed.size() > 4 ? year_ : atoi(typed.c_str());
    year_ = Clamp(year, kCalendarFirstYear, kCalendarLastYear);
    day_ = DayInMonth(day_, year_, month_);
    date_.year = static_cast<uint16_t>(year_);
    date_.month = static_cast<uint16_t>(month_);
    date_.day = static_cast<uint16_t>(day_);
    end(IDOK);
}

bool DateDialog::onCommand(UINT id, UINT code) {
    switch (id) {
    case IDOK:
        confirm();
        return true;
    case kMonthList:
        if (code == CBN_SELCHANGE && !showing_) {
            LRESULT sel = SendMessageW(item(kMonthList), CB_GETCURSEL, 0, 0);
            if (sel >= 0 && sel < 12) {
                month_ = static_cast<int>(sel) + 1;
                day_ = DayInMonth(day_, year_, month_);
                show();
            }
        }
        return true;
    case kYear:
        if (code == EN_CHANGE && !showing_) {
            AStr typed = itemText(kYear);
            if (typed.size() == 4) setYear(atoi(typed.c_str()));
        }
        return true;
    case kDays: {
        LRESULT sel = SendMessageW(item(kDays), LB_GETCURSEL, 0, 0);
        if (code == LBN_SELCHANGE && sel != LB_ERR) {
            std::vector<int> cells = CalendarCells(year_, month_);
            if (sel >= 0 && static_cast<size_t>(sel) < cells.size() && cells[static_cast<size_t>(sel)])
                day_ = cells[static_cast<size_t>(sel)];
        }
        if (code == LBN_DBLCLK) confirm();
        return true;
    }
    default:
        return false;
    }
}

bool DateDialog::onMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_NOTIFY: {
        const auto* h = reinterpret_cast<const NMHDR*>(lParam);
        if (h->code != UDN_DELTAPOS || (h->idFrom != kMonthUpDown && h->idFrom != kYearUpDown)) return false;
        const auto* ud = reinterpret_cast<const NMUPDOWN*>(lParam);
        if (h->idFrom == kMonthUpDown) stepMonth(ud->iDelta);
        else setYear(year_ + ud->iDelta);
        // The controls were set here: the up-down control changes nothing itself.
        SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
        result = TRUE;
        return true;
    }
    case WM_LBUTTONDOWN:
        // The body drags the dialog, as a caption would.
        ReleaseCapture();
        SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        result = TRUE;
        return true;
    default:
        return false;
    }
}
