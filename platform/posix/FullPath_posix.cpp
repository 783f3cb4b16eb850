#include <ctime>
#include <sys/time.h>
#include <vector>

#include "platform/File.h"
#include "platform/FullPath.h"

namespace platform {

LocalDateTime LocalNow() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm tm{};
    time_t secs = tv.tv_sec;
    localtime_r(&secs, &tm);
    return {static_cast<uint16_t>(tm.tm_year + 1900), static_cast<uint16_t>(tm.tm_mon + 1),
            static_cast<uint16_t>(tm.tm_wday),        static_cast<uint16_t>(tm.tm_mday),
            static_cast<uint16_t>(tm.tm_hour),        static_cast<uint16_t>(tm.tm_min),
            static_cast<uint16_t>(tm.tm_sec),         static_cast<uint16_t>(tv.tv_usec / 1000)};
}

std::string FullPath(const std::string& path, size_t maxChars) {
    if (path.empty()) return {};
    std::string joined;
    if (path[0] != '/') {
        joined = CurrentFolder();
        joined += '/';
    }
    joined += path;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& p : parts) {
        out += '/';
        out += p;
    }
    if (out.empty()) out.assign(1, '/');
    if (!path.empty() && path.back() == '/' && out.back() != '/') out += '/';
    if (out.size() > maxChars) return {};
    return out;
}

}  // namespace platform
