#pragma once
// The job's filters: which links and nodes are fetched, from the mission's
// switches and lists, the file classes, where a URL lies relative to the
// start URLs, a link's flags and its level.

#include <cstdint>
#include <string_view>

#include "framework/AStr.h"
#include "framework/StrList.h"
#include "site/FileClasses.h"
#include "site/FollowPolicy.h"

class Mission;

// The folder of a start URL as a URL prefix: a page's folder, or the folder
// a URL names, without the trailing '/'; a last part without an extension
// or a '/' is taken as a folder itself. The query and fragment are no part
// of it.
AStr FolderPrefixOf(std::string_view url);
// Whether url lies in the folder: it begins with the prefix (without case)
// and the prefix ends there at a folder boundary.
bool InFolder(std::string_view url, std::string_view prefix);

// The include and exclude lists as the URL layer normalises addresses,
// empty elements dropped. Done when a job starts.
void NormaliseUrlLists(Mission& m);

class MissionFilter : public FollowPolicy {
public:
    // The mission is read at every decision and must outlive the filter.
    MissionFilter(const Mission& mission, SkipList skip);

    void clearStarts() override;
    void addStart(std::string_view url) override;
    bool onStartHost(std::string_view url) const override;
    bool withinLevels(int level) const override;
    bool follow(bool sameSite, uint32_t flags, std::string_view url, int level) const override;

    // The hosts of the two URLs are equal without case.
    static bool sameHost(std::string_view url, std::string_view page);
    bool typeAllowed(std::string_view url) const;
    // OnlyInDirectory on the start hosts, and the exclude list.
    bool placeAllowed(std::string_view url) const;

    const StrList& startHosts() const { return startHosts_; }
    const StrList& startFolders() const { return startFolders_; }
    const SkipList& skipList() const { return skip_; }

private:
    const Mission& mission_;
    SkipList skip_;
    StrList startHosts_;    // in the order of the start URLs, duplicates kept
    StrList startFolders_;
};
