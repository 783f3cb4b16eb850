#include "ui/panes/MissionFields.h"

#include <climits>

namespace fields {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

std::optional<int32_t> TypedNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\r' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT32_MAX) + 1) v = static_cast<long long>(INT32_MAX) + 1;
    }
    if (negative) return static_cast<int32_t>(-v < INT32_MIN ? INT32_MIN : -v);
    return static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v);
}

std::string ListText(const StrList& list) {
    std::string out;
    for (StrNode* n = list.first(); n; n = static_cast<StrNode*>(n->next())) {
        out += n->str.view();
        out += "\r\n";
    }
    return out;
}

void ReadList(std::string_view text, StrList& list) {
    list.clear();
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trimmed(text.substr(at, end - at));
        if (!line.empty()) list.add(AStr(line.data(), line.size()));
        at = end + 1;
    }
}

int32_t ReadLevel(std::string_view text) {
    std::optional<int32_t> n = TypedNumber(text);
    return n && *n > 0 ? *n : 0;
}

AStr OutputPathShown(const AStr& missionPath, const AStr& currentFolder) {
    return missionPath.empty() ? currentFolder : missionPath;
}

AStr ReadOutputPath(std::string_view text, const AStr& missionPath, const AStr& currentFolder) {
    text = Trimmed(text);
    if (missionPath.empty() && text == currentFolder.view()) return AStr();
    if (!text.empty() && IsSeparator(text.back())) {
        std::string_view rest = text.substr(0, text.size() - 1);
        // "C:\" and "/" name a root; without their separator they would
        // name the current folder of a drive, or nothing.
        bool root = rest.empty() || (rest.size() == 2 && rest[1] == ':');
        if (!root) text = rest;
    }
    return AStr(text.data(), text.size());
}

std::string LimitShown(int32_t value) { return value < 1 ? std::string() : std::to_string(value); }

int32_t ReadLimit(std::string_view text) { return TypedNumber(text).value_or(0); }

std::string ThreadsShown(int32_t value) { return std::to_string(value < 1 ? kThreadsWhenUnset : value); }

int32_t ReadThreads(std::string_view text) {
    std::optional<int32_t> n = TypedNumber(text);
    if (!n || *n < 1) return kThreadsWhenUnset;
    return *n > kMostThreads ? kMostThreads : *n;
}

std::string WaitShown(int32_t ms) {
    int32_t minutes = ms / kMsPerMinute;
    return minutes < 1 ? std::string() : std::to_string(minutes);
}

int32_t ReadWait(std::string_view text) {
    int32_t minutes = TypedNumber(text).value_or(0);
    if (minutes < 0) minutes = 0;
    if (minutes > kMostWaitMinutes) minutes = kMostWaitMinutes;
    return minutes * kMsPerMinute;
}

namespace {
// Button and value, in the buttons' order.
constexpr int32_t kCodeValues[] = {1, 3, 2, 4, 6};
constexpr int kFallbackButton = 123;
}  // namespace

int CodeButtonFor(int32_t codePref) {
    for (int i = 0; i <= kLastCodeButton - kFirstCodeButton; ++i)
        if (kCodeValues[i] == codePref) return kFirstCodeButton + i;
    return kFallbackButton;
}

int32_t CodePrefFor(int tickedButton) {
    if (tickedButton < kFirstCodeButton || tickedButton > kLastCodeButton) return 4;
    return kCodeValues[tickedButton - kFirstCodeButton];
}

}  // namespace fields
