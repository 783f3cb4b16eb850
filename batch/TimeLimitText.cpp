#include "batch/TimeLimitText.h"

#include "batch/DialUp.h"

bool ParseTimeLimitMinutes(std::string_view text, uint32_t& ms) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    uint64_t minutes = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        minutes = minutes * 10 + static_cast<uint64_t>(c - '0');
        if (minutes > kMaxTimeLimitMinutes) return false;
    }
    ms = static_cast<uint32_t>(minutes * 60000);
    return true;
}

AStr TimeLimitMinutes(uint32_t ms) {
    if (ms == 0) ms = DialUp::kDefaultTimeLimit;
    return AStr::unsignedNumber(ms / 60000);
}
