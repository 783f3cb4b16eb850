#pragma once
// What the terminal program's options set for one job: fields of its
// mission, and the connection it goes through (user agent and proxy),
// each only when given. The mission's fields are saved with the project
// as any setting is; the connection, which the program otherwise takes
// from its own settings file, is saved in the project under the keys the
// settings file uses ("Options"/"InternetAgent", "Proxy"/"Use" and
// "Address"), so that "/f" runs the job the same way again.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ProxySettings.h"
#include "framework/AStr.h"

class ApplicationProfile;
class Mission;

struct JobOptions {
    std::optional<int32_t> levelsInternal;
    std::optional<int32_t> levelsExternal;
    std::optional<int32_t> maxNumThread;
    std::optional<int32_t> maxNumFiles;
    std::optional<int32_t> maxSizeFiles;  // megabytes
    std::optional<int32_t> waitMinutes;
    // Given lists replace the mission's: the same command gives the same job.
    std::optional<std::vector<std::string>> include;
    std::optional<std::vector<std::string>> exclude;
    std::optional<bool> onlyInDirectory;
    std::optional<bool> pictures;
    std::optional<bool> sounds;
    std::optional<bool> videos;
    std::optional<bool> downloads;
    std::optional<bool> stubs;
    std::optional<std::string> output;  // absolute
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::optional<std::string> agent;
    std::optional<std::string> proxy;  // host:port

    // Whether any option of a job was given.
    bool any() const;
    // Sets the given fields. Credentials given are kept with the project
    // (its "save" flag set), as a continued job needs them again.
    void applyTo(Mission& m) const;
    // Writes the given connection settings into the project file; 0 or
    // the settings store's first error.
    int saveConnection(ApplicationProfile& project) const;
};

// The connection of a job: the program's own settings, replaced by what
// the project keeps of its own, replaced by the options given.
struct JobConnection {
    AStr agent;
    ProxySettings proxy;
};
JobConnection ConnectionOf(const ApplicationProfile& project, const JobConnection& program, const JobOptions& given);
