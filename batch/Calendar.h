#pragma once
// The calendar of the start-time dialog: month lengths, where a month's
// first day stands in a grid whose weeks begin on Monday, and the month
// control that steps across the turn of the year.

#include <vector>

inline constexpr int kCalendarFirstYear = 1995;
inline constexpr int kCalendarLastYear = 2037;

// Gregorian: February has 29 days in years divisible by 4, except
// centuries not divisible by 400.
int DaysInMonth(int year, int month);
// The column of the 1st of the month, Monday 0 to Sunday 6.
int FirstColumn(int year, int month);
// The day grid: blank cells (0) up to the 1st's column, then 1 to the
// month's length.
std::vector<int> CalendarCells(int year, int month);

// One month on or back (delta +1 or -1; other values step as many):
// below January is December of the year before, past December January of
// the next. A step that would leave the years first..last is not taken
// (false, nothing changed).
bool StepMonth(int& year, int& month, int delta, int first = kCalendarFirstYear, int last = kCalendarLastYear);

// A day kept across a change of month, cut to the new month's length.
int DayInMonth(int day, int year, int month);
