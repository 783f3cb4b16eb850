#pragma once
// The recently used project files of the File menu, newest first, and the
// folder the last one was chosen in: section "FileHistory" of the settings
// file, keys "size", "1" to "size" and "lastDir".

#include <vector>

#include "app/ApplicationProfile.h"
#include "framework/AStr.h"

class RecentProjects {
public:
    // As many as the menu has commands for (180-188).
    static constexpr int kMost = 9;
    static constexpr const char* kSection = "FileHistory";

    // Entries that are empty, repeated (names compared without regard to
    // case, as Windows compares them) or beyond kMost are dropped.
    void read(const ApplicationProfile& settings);
    void write(ApplicationProfile& settings) const;

    // An opened or saved project goes to the top, and its folder becomes
    // the last folder.
    void use(const AStr& path);
    void remove(const AStr& path);

    const std::vector<AStr>& files() const { return files_; }
    const AStr& lastFolder() const { return lastFolder_; }

private:
    std::vector<AStr> files_;
    AStr lastFolder_;
};
