#include "site/CopyExistence.h"

#include <algorithm>
#include <vector>

#include "platform/File.h"
#include "platform/Text.h"

namespace {

// The folder part of a relative path, its last separator included.
std::string_view folderOf(std::string_view relative) {
    // A plain loop: find_last_of asks the library once for every byte.
    size_t end = relative.size();
    while (end > 0 && relative[end - 1] != '/' && relative[end - 1] != '\\') --end;
    return relative.substr(0, end);
}

// Names as the file system compares them: without case on Windows.
std::string nameKey(std::string_view name) {
    std::string k(name);
#ifdef _WIN32
    for (char& c : k) c = static_cast<char>(platform::LowerAnsiChar(static_cast<unsigned char>(c)));
#endif
    return k;
}

}  // namespace

void CopyExistence::expect(std::string_view relative) {
    std::string_view folder = folderOf(relative);
    auto it = folders_.find(folder);
    if (it == folders_.end()) it = folders_.emplace(std::string(folder), Folder()).first;
    ++it->second.asked;
}

void CopyExistence::read(std::string_view folder, Folder& f) {
    f.read = true;
    path_.assign(outputFolder_);
    path_ += platform::kPathSep;
    path_ += folder;
    // A folder far larger than what is asked of it would cost more to read
    // than the calls it saves: given up after a bounded number of entries.
    std::vector<std::string> names;
    f.listed = platform::ListFileNames(path_.c_str(), 16 * f.asked + 64, names);
    if (!f.listed) return;
    // Two blocks instead of a node per name: a page's folders may hold
    // tens of thousands of copies between them.
    size_t size = 0;
    for (const std::string& n : names) size += n.size();
    f.bytes.reserve(size);
    for (const std::string& n : names) f.bytes += nameKey(n);
    f.names.reserve(names.size());
    size_t at = 0;
    for (const std::string& n : names) {
        f.names.push_back(std::string_view(f.bytes).substr(at, n.size()));
        at += n.size();
    }
    std::sort(f.names.begin(), f.names.end());
}

bool CopyExistence::exists(std::string_view relative) {
    std::string_view folder = folderOf(relative);
    auto it = folders_.find(folder);
    if (it != folders_.end() && it->second.asked >= kReadFrom) {
        Folder& f = it->second;
        if (!f.read) read(folder, f);
        if (f.listed && std::binary_search(f.names.begin(), f.names.end(), nameKey(relative.substr(folder.size()))))
            return true;
    }
    path_.assign(outputFolder_);
    path_ += platform::kPathSep;
    path_ += relative;
    return platform::FileExists(path_.c_str());
}
