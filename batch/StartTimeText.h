#pragma once
// The batch dialog's start date and time as the user types them: in the
// order and with the separators of the user's locale, checked before the
// dialog may close.

#include <cstdint>
#include <string_view>

#include "framework/AStr.h"
#include "platform/FullPath.h"

struct DateTextFormat {
    enum Order { kMonthDayYear = 0, kDayMonthYear = 1, kYearMonthDay = 2 };
    Order order = kMonthDayYear;
    AStr separator = "/";
};

struct TimeTextFormat {
    AStr separator = ":";
};

// Day, month and year in the format's order, separated by anything that is
// neither a letter nor a digit. Year 1900 to 2100, month 1 to 12, day 1 to
// 31, at most 30 in April, June, September and November and at most 29 in
// February, whatever the year: the calendar that picks the date knows leap
// years, typing may name the 29th of any February. False for an empty or
// blank text, a missing or extra number, letters, or a number out of range
// (the fields are left unchanged then).
bool ParseStartDate(std::string_view text, const DateTextFormat& format, platform::LocalDateTime& date);
AStr FormatStartDate(const platform::LocalDateTime& date, const DateTextFormat& format);

// Hour 0 to 23, minute 0 to 59 and, when given, second 0 to 59 (none: 0).
bool ParseStartTime(std::string_view text, const TimeTextFormat& format, platform::LocalDateTime& time);
// Hours, minutes and seconds, 24-hour, minutes and seconds in two digits.
AStr FormatStartTime(const platform::LocalDateTime& time, const TimeTextFormat& format);
