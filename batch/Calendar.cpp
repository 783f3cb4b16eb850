#include "batch/Calendar.h"

#include <cstddef>

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) return 29;
    return kDays[month - 1];
}

int FirstColumn(int year, int month) {
    // Sakamoto's rule gives Sunday 0; the grid starts on Monday.
    static const int kOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = month < 3 ? year - 1 : year;
    int sunday0 = (y + y / 4 - y / 100 + y / 400 + kOffset[(month - 1) % 12] + 1) % 7;
    return (sunday0 + 6) % 7;
}

std::vector<int> CalendarCells(int year, int month) {
    std::vector<int> cells(static_cast<size_t>(FirstColumn(year, month)), 0);
    for (int d = 1, n = DaysInMonth(year, month); d <= n; ++d) cells.push_back(d);
    return cells;
}

bool StepMonth(int& year, int& month, int delta, int first, int last) {
    long index = static_cast<long>(year) * 12 + (month - 1) + delta;
    long y = index >= 0 ? index / 12 : -1;
    if (y < first || y > last) return false;
    year = static_cast<int>(y);
    month = static_cast<int>(index % 12) + 1;
    return true;
}

int DayInMonth(int day, int year, int month) {
    int n = DaysInMonth(year, month);
    if (day < 1) return 1;
    return day > n ? n : day;
}
