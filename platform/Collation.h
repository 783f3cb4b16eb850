#pragma once
// Locale-aware comparison of 8-bit texts, portable: it orders byte strings
// of code page 1252 or 1251 as the system's CompareStringA orders them
// (primary letters first, then accents, then case, then hyphens,
// apostrophes and controls by their position), so that a sorted list is
// sorted the same way on every target. Unlike CompareStringA it is a total
// order: texts that the system calls equal but whose bytes differ (a
// sharp s and "ss", an ignored soft hyphen) are ordered by their bytes,
// so that different texts never compare equal.

#include <string_view>

namespace codepage {

// Negative, 0 or positive. With ignoreCase, case weights are left out and
// texts equal after lower-casing compare equal.
int Compare(int codePage, std::string_view a, std::string_view b, bool ignoreCase);

}  // namespace codepage
