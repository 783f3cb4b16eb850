#pragma once
// The small calendar of the batch dialog (dialog 334): a year field with
// its up-down control, a month list with an up-down control that steps
// across the turn of the year, the weekday headings and the day grid. It
// opens at a point of the screen (below the caller's button), kept on the
// desktop, and is dragged by its body.

#include <windows.h>

#include "platform/FullPath.h"
#include "ui/win32/ZDialog.h"

class DateDialog final : public ZDialog {
public:
    static constexpr int kTemplate = 334;
    static constexpr int kMonthList = 101, kYear = 102, kDays = 103, kHeadings = 104;
    static constexpr int kYearUpDown = 105, kMonthUpDown = 106;
    static constexpr int kFirstMonthText = 25010, kFirstWeekdayText = 25025;

    // date: the day shown at first (a year outside the calendar's is
    // brought inside it); at: the top left corner wanted on the screen.
    DateDialog(const platform::LocalDateTime& date, POINT at);
    // The date chosen; the time fields are kept as given.
    const platform::LocalDateTime& date() const { return date_; }

    // Where a window of size put at the point stands inside desktop.
    static POINT placeOnDesktop(POINT at, SIZE size, const RECT& desktop);

private:
    bool onInit() override;
    bool onCommand(UINT id, UINT code) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    // The month, year and day grid as year_, month_ and day_ say.
    void show();
    void stepMonth(int delta);
    void setYear(int year);
    void confirm();

    platform::LocalDateTime date_;
    POINT at_;
    int year_ = 0, month_ = 0, day_ = 0;
    bool showing_ = false;  // the fields are being set: their changes are not the user's
};
