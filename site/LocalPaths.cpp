#include "site/LocalPaths.h"

#include "platform/File.h"

bool isSafeRelativePath(std::string_view path) {
    if (path.empty() || path[0] == '/' || path[0] == '\\') return false;
    if (path.find(':') != std::string_view::npos || path.find('\0') != std::string_view::npos) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = path.size();
        if (path.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

AStr relativeToFolder(std::string_view folder, std::string_view path) {
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.remove_suffix(1);
    if (folder.empty() || path.size() <= folder.size() + 1) return AStr();
    if (!AStr(path.substr(0, folder.size())).equalsNoCase(folder)) return AStr();
    char sep = path[folder.size()];
    if (sep != '/' && sep != '\\') return AStr();
    return AStr(path.substr(folder.size() + 1));
}

namespace {

AStr WithSeparator(std::string_view path, char sep) {
    AStr out;
    if (path.empty()) return out;
    char* p = out.resize(path.size());
    for (char c : path) *p++ = c == '/' || c == '\\' ? sep : c;
    return out;
}

}  // namespace

AStr storedPathForm(std::string_view path) { return WithSeparator(path, '\\'); }

AStr localPathForm(std::string_view stored) { return WithSeparator(stored, platform::kPathSep); }
