#include "site/Project.h"

#include <climits>
#include <cstdint>

#include "app/Password.h"
#include "platform/File.h"
#include "site/OutputFolder.h"

namespace {

constexpr const char* kUrls = "URLs";
constexpr const char* kIncludeUrl = "IncludeUrl";
constexpr const char* kExcludeUrl = "ExcludeUrl";
constexpr const char* kOutput = "output";
constexpr const char* kLevels = "levels";
constexpr const char* kFilter = "Filter";
constexpr const char* kOptions = "Options";
constexpr const char* kAuthenticate = "Authenticate";

constexpr int32_t kMsPerMinute = 60000;

int32_t Saturate(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

// "MaxNumFiles" and "MaxSizeFiles": at most 11 characters of text in signed
// decimal, leading white space and a sign allowed, up to the first
// non-digit. A value beyond 32 bits stops at the nearest limit instead of
// wrapping; text that holds no number keeps the prior value, as the
// integer reads do.
int32_t ReadCount(const ApplicationProfile& f, const char* key, int32_t prior) {
    AStr text = f.readString(kOptions, key, AStr::number(prior).c_str(), 12);
    text.truncate(11);
    std::string_view v = text.view();
    size_t i = 0;
    while (i < v.size() && (v[i] == ' ' || (v[i] >= '\t' && v[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
    int64_t value = 0;
    size_t digits = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i, ++digits) value = value * 10 + (v[i] - '0');
    if (digits == 0) return prior;
    return Saturate(negative ? -value : value);  // 11 digits fit in 64 bits
}

// "timeMaxWait" in whole minutes. The integer read is made with two
// defaults so that a missing key is told from a stored value: the prior
// milliseconds then stay exact (59999 ms would otherwise come back as 0).
// Minutes beyond what 32-bit milliseconds hold stop at the last whole
// minute that fits (so that the value writes back unchanged), and a
// negative wait reads as 0.
int32_t ReadWait(const ApplicationProfile& f, int32_t prior) {
    int a = f.readInt(kOptions, "timeMaxWait", 0);
    int b = f.readInt(kOptions, "timeMaxWait", 1);
    if (a == 0 && b == 1) return prior;
    constexpr int32_t kMostMinutes = INT32_MAX / kMsPerMinute;
    return a < 0 ? 0 : (a > kMostMinutes ? kMostMinutes : a) * kMsPerMinute;
}

// A flag bit stored as its own key: a stored value sets or clears the bit,
// a missing key leaves it as it was.
uint32_t ReadBit(const ApplicationProfile& f, const char* key, uint32_t flags, uint32_t bit) {
    bool on = f.readBool(kOutput, key, (flags & bit) != 0);
    return on ? (flags | bit) : (flags & ~bit);
}

}  // namespace

Project::Project() : ApplicationProfile(""), Mission() {}

Project::Project(const ApplicationProfile& defaults) : ApplicationProfile(""), Mission(defaults) {}

void Project::readProject() {
    readList(urls, kUrls);
    readList(includeUrls, kIncludeUrl);
    readList(excludeUrls, kExcludeUrl);

    outputPath = readString(kOutput, "path", outputPath.c_str());
    outputFlags = ReadBit(*this, "namesin83", outputFlags, kOutputNames83);
    outputFlags = ReadBit(*this, "nosubdir", outputFlags, kOutputNoSubdir);

    levelsInternal = readInt(kLevels, "internal", levelsInternal);
    levelsExternal = readInt(kLevels, "external", levelsExternal);

    allowPicture = readBool(kFilter, "AllowPicture", allowPicture);
    allowSound = readBool(kFilter, "AllowSound", allowSound);
    allowVideo = readBool(kFilter, "AllowVideo", allowVideo);
    allowDownload = readBool(kFilter, "AllowDownload", allowDownload);

    maxNumFiles = ReadCount(*this, "MaxNumFiles", maxNumFiles);
    maxSizeFiles = ReadCount(*this, "MaxSizeFiles", maxSizeFiles);
    maxNumThread = readInt(kOptions, "MaxNumThread", maxNumThread);
    timeMaxWait = ReadWait(*this, timeMaxWait);
    codePref = readInt(kOptions, "CodePref", codePref);
    stubs = readBool(kOptions, "Stubs", stubs != 0);
    priority = readInt(kOptions, "Priority", priority);
    allowOutPicture = readBool(kOptions, "AllowOutPicture", allowOutPicture);
    onlyInDirectory = readBool(kOptions, "OnlyInDirectory", onlyInDirectory);

    saveCredentials = readBool(kAuthenticate, "save", saveCredentials);
    user = readString(kAuthenticate, "user", user.c_str());
    password = DecodePassword(readString(kAuthenticate, "password", "").view());

    htmlFirst = readBool(kOptions, "HtmlFirst", htmlFirst != 0);
}

int Project::writeProject() {
    // One write of the file at the end: a failure half-way must not leave
    // a project whose lists were deleted and not yet written.
    beginWrites();
    int first = 0;
    auto keep = [&first](int e) {
        if (e && !first) first = e;
    };
    // List elements are stored as they are: an element in double quotes
    // loses them on the next read, as every value of the file does.
    keep(writeList(urls, kUrls, false, true));
    keep(writeList(includeUrls, kIncludeUrl, false, true));
    keep(writeList(excludeUrls, kExcludeUrl, false, true));

    keep(writeString(kOutput, "path", outputPath.c_str()));
    keep(writeBool(kOutput, "namesin83", (outputFlags & kOutputNames83) != 0));
    keep(writeBool(kOutput, "nosubdir", (outputFlags & kOutputNoSubdir) != 0));

    keep(writeInt(kLevels, "internal", levelsInternal));
    keep(writeInt(kLevels, "external", levelsExternal));

    keep(writeBool(kFilter, "AllowPicture", allowPicture));
    keep(writeBool(kFilter, "AllowSound", allowSound));
    keep(writeBool(kFilter, "AllowVideo", allowVideo));
    keep(writeBool(kFilter, "AllowDownload", allowDownload));

    keep(writeInt(kOptions, "MaxNumFiles", maxNumFiles));
    keep(writeInt(kOptions, "MaxSizeFiles", maxSizeFiles));
    keep(writeInt(kOptions, "MaxNumThread", maxNumThread));
    keep(writeInt(kOptions, "timeMaxWait", timeMaxWait / kMsPerMinute));  // whole minutes, toward zero
    keep(writeInt(kOptions, "CodePref", codePref));
    keep(writeBool(kOptions, "Stubs", stubs != 0));
    keep(writeInt(kOptions, "Priority", priority));
    keep(writeBool(kOptions, "AllowOutPicture", allowOutPicture));
    keep(writeBool(kOptions, "OnlyInDirectory", onlyInDirectory));

    // Without "save" the credentials stay out of the file.
    keep(writeBool(kAuthenticate, "save", saveCredentials));
    keep(writeString(kAuthenticate, "user", saveCredentials ? user.c_str() : ""));
    keep(writeString(kAuthenticate, "password", saveCredentials ? EncodePassword(password.view()).c_str() : ""));

    keep(writeBool(kOptions, "HtmlFirst", htmlFirst != 0));
    int e = endWrites();
    return first ? first : e;
}

int Project::open(const char* path) {
    if (!path || !platform::FileExists(path)) return -1;
    setPath(path);
    readProject();
    changed_ = false;
    return 0;
}

int Project::save(const char* path) {
    if (path) setPath(path);
    int e = writeProject();
    if (e == 0) changed_ = false;
    return e;
}

void Project::makeNew(const ApplicationProfile& defaults) {
    setPath("");
    reset(defaults);
    changed_ = false;
}

bool Project::noteEdit(const Mission& before) {
    if (!equals(before)) changed_ = true;
    return changed_;
}

AStr Project::outputFolder() const {
    return OutputFolder(outputPath.view(), path().view(), FolderContext::Current());
}
