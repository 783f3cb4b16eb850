#include "site/Mission.h"

#include "app/ApplicationProfile.h"

namespace {

constexpr const char* kDefaults = "Defaults";

}  // namespace

Mission::Mission() : Mission(ApplicationProfile()) {}

Mission::Mission(const ApplicationProfile& settings) { reset(settings); }

void Mission::reset(const ApplicationProfile& s) {
    urls.clear();
    includeUrls.clear();
    excludeUrls.clear();
    outputPath.clear();
    user.clear();
    password.clear();
    saveCredentials = false;
    outputFlags = 0;
    levelsInternal = s.readInt(kDefaults, "levels.internal", kDefLevelsInternal);
    levelsExternal = s.readInt(kDefaults, "levels.external", kDefLevelsExternal);
    allowPicture = s.readInt(kDefaults, "Filter.AllowPicture", 1) != 0;
    allowSound = s.readInt(kDefaults, "Filter.AllowSound", 0) != 0;
    allowVideo = s.readInt(kDefaults, "Filter.AllowVideo", 0) != 0;
    allowDownload = s.readInt(kDefaults, "Filter.AllowDownload", 0) != 0;
    onlyInDirectory = s.readInt(kDefaults, "Options.OnlyInDirectory", 0) != 0;
    maxNumFiles = s.readInt(kDefaults, "Options.MaxNumFiles", kDefMaxNumFiles);
    maxSizeFiles = s.readInt(kDefaults, "Options.MaxSizeFiles", kDefMaxSizeFiles);
    maxNumThread = s.readInt(kDefaults, "Options.MaxNumThread", kDefMaxNumThread);
    timeMaxWait = s.readInt(kDefaults, "Options.timeMaxWait", kDefTimeMaxWait);
    codePref = s.readInt(kDefaults, "Options.CodePref", kDefCodePref);
    stubs = s.readInt(kDefaults, "Options.Stubs", 0) != 0;
    priority = s.readInt(kDefaults, "Options.Priority", 0);
    allowOutPicture = s.readInt(kDefaults, "Options.AllowOutPicture", 1) != 0;
    htmlFirst = s.readInt(kDefaults, "Options.HtmlFirst", 0) != 0;
}

void Mission::writeDefaults(ApplicationProfile& s) const {
    (void)s.writeInt(kDefaults, "levels.internal", levelsInternal);
    (void)s.writeInt(kDefaults, "levels.external", levelsExternal);
    (void)s.writeInt(kDefaults, "Filter.AllowPicture", allowPicture);
    (void)s.writeInt(kDefaults, "Filter.AllowSound", allowSound);
    (void)s.writeInt(kDefaults, "Filter.AllowVideo", allowVideo);
    (void)s.writeInt(kDefaults, "Filter.AllowDownload", allowDownload);
    (void)s.writeInt(kDefaults, "Options.OnlyInDirectory", onlyInDirectory);
    (void)s.writeInt(kDefaults, "Options.MaxNumFiles", maxNumFiles);
    (void)s.writeInt(kDefaults, "Options.MaxSizeFiles", maxSizeFiles);
    (void)s.writeInt(kDefaults, "Options.MaxNumThread", maxNumThread);
    (void)s.writeInt(kDefaults, "Options.timeMaxWait", timeMaxWait);
    (void)s.writeInt(kDefaults, "Options.CodePref", codePref);
    (void)s.writeInt(kDefaults, "Options.Stubs", stubs != 0);
    (void)s.writeInt(kDefaults, "Options.Priority", priority);
    (void)s.writeInt(kDefaults, "Options.AllowOutPicture", allowOutPicture);
    (void)s.writeInt(kDefaults, "Options.HtmlFirst", htmlFirst != 0);
}

void Mission::copyFrom(const Mission& o) {
    urls.copyFrom(o.urls);
    includeUrls.copyFrom(o.includeUrls);
    excludeUrls.copyFrom(o.excludeUrls);
    outputPath = o.outputPath;
    levelsInternal = o.levelsInternal;
    levelsExternal = o.levelsExternal;
    allowPicture = o.allowPicture;
    allowSound = o.allowSound;
    allowVideo = o.allowVideo;
    allowDownload = o.allowDownload;
    allowOutPicture = o.allowOutPicture;
    onlyInDirectory = o.onlyInDirectory;
    maxNumFiles = o.maxNumFiles;
    maxSizeFiles = o.maxSizeFiles;
    maxNumThread = o.maxNumThread;
    timeMaxWait = o.timeMaxWait;
    codePref = o.codePref;
    stubs = o.stubs;
    priority = o.priority;
    user = o.user;
    password = o.password;
    saveCredentials = o.saveCredentials;
}

bool Mission::equals(const Mission& o) const {
    return urls == o.urls && includeUrls == o.includeUrls && excludeUrls == o.excludeUrls &&
           outputPath == o.outputPath && levelsInternal == o.levelsInternal &&
           levelsExternal == o.levelsExternal && allowPicture == o.allowPicture &&
           allowSound == o.allowSound && allowVideo == o.allowVideo && allowDownload == o.allowDownload &&
           allowOutPicture == o.allowOutPicture && onlyInDirectory == o.onlyInDirectory &&
           maxNumFiles == o.maxNumFiles && maxSizeFiles == o.maxSizeFiles && maxNumThread == o.maxNumThread &&
           timeMaxWait == o.timeMaxWait && codePref == o.codePref && stubs == o.stubs &&
           priority == o.priority && user == o.user && password == o.password &&
           saveCredentials == o.saveCredentials;
}
