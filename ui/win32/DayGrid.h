#pragma once
// A grid of short texts in seven columns: the calendar's weekday headings
// and its days. It answers the list box's selection messages (LB_SETCURSEL,
// LB_GETCURSEL, LB_GETCOUNT) and tells its parent of a new selection and a
// double click as a list box does (LBN_SELCHANGE, LBN_DBLCLK). Blank cells
// cannot be chosen; a grid made with kHeadings chooses nothing.

#include <windows.h>

#include <string>
#include <vector>

namespace daygrid {
inline constexpr const wchar_t* kClassName = L"ZDayGrid";
inline constexpr int kColumns = 7;
// lParam: a const std::vector<std::wstring>* with the cells, left to
// right, top to bottom; the selection is cleared.
inline constexpr UINT kSetCells = WM_USER + 1;
// Style bit: headings, drawn bold on the dialog's colour, nothing chosen.
inline constexpr DWORD kHeadings = 0x0001;

// Registers the class for the dialog templates that name it.
bool Register();
}  // namespace daygrid
