#include "ui/console/JobOptions.h"

#include "app/ApplicationProfile.h"
#include "site/Mission.h"

namespace {

constexpr int32_t kMsPerMinute = 60000;
constexpr const char* kUnset = "\x01";  // no value a file can hold: the key is missing

void ReplaceList(StrList& list, const std::vector<std::string>& entries) {
    list.clear();
    for (const std::string& e : entries) list.add(AStr(e));
}

}  // namespace

bool JobOptions::any() const {
    return levelsInternal || levelsExternal || maxNumThread || maxNumFiles || maxSizeFiles || waitMinutes || include ||
           exclude || onlyInDirectory || pictures || sounds || videos || downloads || stubs || output || user ||
           password || agent || proxy;
}

void JobOptions::applyTo(Mission& m) const {
    if (levelsInternal) m.levelsInternal = *levelsInternal;
    if (levelsExternal) m.levelsExternal = *levelsExternal;
    if (maxNumThread) m.maxNumThread = *maxNumThread;
    if (maxNumFiles) m.maxNumFiles = *maxNumFiles;
    if (maxSizeFiles) m.maxSizeFiles = *maxSizeFiles;
    if (waitMinutes) m.timeMaxWait = *waitMinutes * kMsPerMinute;
    if (include) ReplaceList(m.includeUrls, *include);
    if (exclude) ReplaceList(m.excludeUrls, *exclude);
    if (onlyInDirectory) m.onlyInDirectory = *onlyInDirectory;
    if (pictures) m.allowPicture = *pictures;
    if (sounds) m.allowSound = *sounds;
    if (videos) m.allowVideo = *videos;
    if (downloads) m.allowDownload = *downloads;
    if (stubs) m.stubs = *stubs ? 1 : 0;
    if (output) m.outputPath = AStr(*output);
    if (user) m.user = AStr(*user);
    if (password) m.password = AStr(*password);
    if (user || password) m.saveCredentials = true;
}

int JobOptions::saveConnection(ApplicationProfile& project) const {
    if (!agent && !proxy) return 0;
    project.beginWrites();
    int first = 0;
    auto keep = [&first](int e) {
        if (e && !first) first = e;
    };
    if (agent) keep(project.writeString("Options", "InternetAgent", agent->c_str()));
    if (proxy) {
        keep(project.writeBool("Proxy", "Use", true));
        keep(project.writeString("Proxy", "Address", proxy->c_str()));
    }
    int e = project.endWrites();
    return first ? first : e;
}

JobConnection ConnectionOf(const ApplicationProfile& project, const JobConnection& program, const JobOptions& given) {
    JobConnection c = program;
    if (given.agent) c.agent = AStr(*given.agent);
    else if (AStr a = project.readString("Options", "InternetAgent", ""); !a.empty()) c.agent = a;

    // A proxy of the job's own carries none of the program's proxy
    // credentials: they belong to another server.
    if (given.proxy) {
        c.proxy = ProxySettings();
        c.proxy.use = true;
        c.proxy.address = AStr(*given.proxy);
    } else if (project.readString("Proxy", "Use", kUnset) != kUnset) {
        c.proxy = ProxySettings();
        c.proxy.use = project.readBool("Proxy", "Use", false);
        c.proxy.address = project.readHostAddress("Proxy", "Address");
        if (c.proxy.address.empty()) c.proxy.use = false;
    }
    return c;
}
