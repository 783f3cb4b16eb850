#include "app/RecentProjects.h"

#include <algorithm>
#include <string>

namespace {
bool SameFile(const AStr& a, const AStr& b) { return a.equalsNoCase(b); }

// The folder with its separator; "" for a bare name.
AStr FolderOf(const AStr& path) {
    size_t cut = path.view().find_last_of("\\/:");
    return cut == std::string::npos ? AStr() : path.left(cut + 1);
}
}  // namespace

void RecentProjects::read(const ApplicationProfile& settings) {
    files_.clear();
    int size = std::clamp(settings.readInt(kSection, "size", 0), 0, 100);
    for (int i = 1; i <= size && static_cast<int>(files_.size()) < kMost; ++i) {
        AStr f = settings.readString(kSection, std::to_string(i).c_str(), "");
        if (f.empty() || std::any_of(files_.begin(), files_.end(), [&](const AStr& x) { return SameFile(x, f); }))
            continue;
        files_.push_back(f);
    }
    lastFolder_ = settings.readString(kSection, "lastDir", "");
}

void RecentProjects::write(ApplicationProfile& settings) const {
    // A list that got shorter leaves no old entries behind.
    (void)settings.deleteSection(kSection);
    (void)settings.writeInt(kSection, "size", static_cast<int>(files_.size()));
    for (size_t i = 0; i < files_.size(); ++i)
        (void)settings.writeString(kSection, std::to_string(i + 1).c_str(), files_[i].c_str());
    if (!lastFolder_.empty()) (void)settings.writeString(kSection, "lastDir", lastFolder_.c_str());
}

void RecentProjects::use(const AStr& path) {
    if (path.empty()) return;
    remove(path);
    files_.insert(files_.begin(), path);
    if (files_.size() > static_cast<size_t>(kMost)) files_.resize(kMost);
    AStr folder = FolderOf(path);
    if (!folder.empty()) lastFolder_ = folder;
}

void RecentProjects::remove(const AStr& path) {
    files_.erase(std::remove_if(files_.begin(), files_.end(), [&](const AStr& x) { return SameFile(x, path); }),
                 files_.end());
}
