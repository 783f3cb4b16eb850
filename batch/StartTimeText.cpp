#include "batch/StartTimeText.h"

#include <vector>

namespace {

// The numbers of text in order; false for letters, for a number of more
// than max digits, or when nothing but blanks and separators is there.
bool Numbers(std::string_view text, size_t maxDigits, std::vector<unsigned>& out) {
    out.clear();
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= '0' && c <= '9') {
            size_t start = i;
            unsigned v = 0;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                if (i - start >= maxDigits) return false;
                v = v * 10 + static_cast<unsigned>(text[i] - '0');
                ++i;
            }
            out.push_back(v);
            continue;
        }
        // Letters of any alphabet (bytes above 127 too) are no separator.
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80) return false;
        ++i;
    }
    return !out.empty();
}

bool ValidDay(unsigned year, unsigned month, unsigned day) {
    if (year < 1900 || year > 2100 || month < 1 || month > 12 || day < 1 || day > 31) return false;
    if (month == 2) return day <= 29;
    if (month == 4 || month == 6 || month == 9 || month == 11) return day <= 30;
    return true;
}

}  // namespace

bool ParseStartDate(std::string_view text, const DateTextFormat& format, platform::LocalDateTime& date) {
    std::vector<unsigned> n;
    if (!Numbers(text, 4, n) || n.size() != 3) return false;
    unsigned y, m, d;
    switch (format.order) {
    case DateTextFormat::kDayMonthYear:
        d = n[0], m = n[1], y = n[2];
        break;
    case DateTextFormat::kYearMonthDay:
        y = n[0], m = n[1], d = n[2];
        break;
    default:
        m = n[0], d = n[1], y = n[2];
        break;
    }
    if (!ValidDay(y, m, d)) return false;
    date.year = static_cast<uint16_t>(y);
    date.month = static_cast<uint16_t>(m);
    date.day = static_cast<uint16_t>(d);
    return true;
}

AStr FormatStartDate(const platform::LocalDateTime& date, const DateTextFormat& f) {
    const char* s = f.separator.c_str();
    switch (f.order) {
    case DateTextFormat::kDayMonthYear:
        return AStr::format("%02u%s%02u%s%04u", unsigned{date.day}, s, unsigned{date.month}, s, unsigned{date.year});
    case DateTextFormat::kYearMonthDay:
        return AStr::format("%04u%s%02u%s%02u", unsigned{date.year}, s, unsigned{date.month}, s, unsigned{date.day});
    default:
        return AStr::format("%02u%s%02u%s%04u", unsigned{date.month}, s, unsigned{date.day}, s, unsigned{date.year});
    }
}

bool ParseStartTime(std::string_view text, const TimeTextFormat&, platform::LocalDateTime& time) {
    std::vector<unsigned> n;
    if (!Numbers(text, 2, n) || n.size() < 2 || n.size() > 3) return false;
    unsigned second = n.size() == 3 ? n[2] : 0;
    if (n[0] > 23 || n[1] > 59 || second > 59) return false;
    time.hour = static_cast<uint16_t>(n[0]);
    time.minute = static_cast<uint16_t>(n[1]);
    time.second = static_cast<uint16_t>(second);
    return true;
}

AStr FormatStartTime(const platform::LocalDateTime& time, const TimeTextFormat& f) {
    const char* s = f.separator.c_str();
    return AStr::format("%u%s%02u%s%02u", unsigned{time.hour}, s, unsigned{time.minute}, s, unsigned{time.second});
}
