#pragma once
// Local date and time, and full paths in the current folder's terms.

#include <cstdint>
#include <string>

namespace platform {

struct LocalDateTime {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};
// Now, in the user's time zone. Months count from 1, days of the week
// from Sunday = 0.
LocalDateTime LocalNow();

// The full form of path: relative paths joined to the current folder, "."
// and ".." parts resolved. "" when it cannot be made or does not fit in
// maxChars characters.
std::string FullPath(const std::string& path, size_t maxChars);

}  // namespace platform
