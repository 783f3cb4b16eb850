#pragma once
// The settings of one download job, and the global defaults that every new
// job starts from (section "Defaults" of the application's settings file).

#include <cstdint>

#include "framework/AStr.h"
#include "framework/StrList.h"

class ApplicationProfile;

class Mission {
public:
    // Bits of outputFlags.
    enum : uint32_t {
        kOutputNames83 = 1,     // save under 8.3 file names
        kOutputNoSubdir = 2,    // save without creating sub-folders
    };

    // Defaults of the fields that the "Defaults" section holds.
    static constexpr int32_t kDefLevelsInternal = 1;
    static constexpr int32_t kDefLevelsExternal = 0;
    static constexpr int32_t kDefMaxNumFiles = 1000;
    static constexpr int32_t kDefMaxSizeFiles = 100;
    static constexpr int32_t kDefMaxNumThread = 5;
    static constexpr int32_t kDefTimeMaxWait = 600000;
    static constexpr int32_t kDefCodePref = 1;

    // Empty lists and strings, then the defaults of the program's own
    // settings file.
    Mission();
    // The same with the defaults of the given settings file.
    explicit Mission(const ApplicationProfile& settings);
    Mission(const Mission& o) { copyFrom(o); }
    Mission& operator=(const Mission& o) { if (this != &o) copyFrom(o); return *this; }
    virtual ~Mission() = default;

    // Empties the lists, the output path and the credentials, clears the
    // save flag and the output flags, and reads every other field from
    // "Defaults" (the built-in default where a key is missing).
    void reset(const ApplicationProfile& settings);
    // Writes the fields that reset reads, and only those, into "Defaults".
    void writeDefaults(ApplicationProfile& settings) const;
    // Everything the settings dialog compares; HtmlFirst and the output
    // flags are not copied (they are no part of a job's identity).
    void copyFrom(const Mission& o);
    bool equals(const Mission& o) const;
    friend bool operator==(const Mission& a, const Mission& b) { return a.equals(b); }

    StrList urls;
    AStr outputPath;
    int32_t levelsInternal = kDefLevelsInternal;
    int32_t levelsExternal = kDefLevelsExternal;
    StrList includeUrls;
    StrList excludeUrls;
    AStr user;
    AStr password;
    bool saveCredentials = false;
    bool allowPicture = true;
    bool allowSound = false;
    bool allowVideo = false;
    bool allowDownload = false;
    bool allowOutPicture = true;
    bool onlyInDirectory = false;
    int32_t maxNumFiles = kDefMaxNumFiles;    // 0 or less: no limit
    int32_t maxSizeFiles = kDefMaxSizeFiles;  // megabytes of 1048576 bytes
    int32_t maxNumThread = kDefMaxNumThread;
    int32_t timeMaxWait = kDefTimeMaxWait;    // milliseconds
    int32_t codePref = kDefCodePref;
    int32_t stubs = 0;
    int32_t priority = 0;                     // 0 leaves the thread priority alone
    int32_t htmlFirst = 0;
    uint32_t outputFlags = 0;
};
