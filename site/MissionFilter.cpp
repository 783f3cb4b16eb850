#include "site/MissionFilter.h"

#include <utility>

#include "framework/FileExtension.h"
#include "framework/Url.h"
#include "site/LinkFlags.h"
#include "site/Mission.h"

namespace {

// Levels from this value on count on other sites, as (level - 50).
constexpr int kFirstExternalLevel = 40;
constexpr int kExternalLevelBase = 50;

bool BeginsNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && AStr(s.substr(0, prefix.size())).equalsNoCase(prefix);
}

std::string_view SchemePrefix(uint32_t service) {
    switch (service) {
    case url::kServiceHttp:
    case url::kServiceUnknown: return "http://";
    case url::kServiceHttps: return "https://";
    case url::kServiceFtp: return "ftp://";
    case url::kServiceGopher: return "gopher://";
    case url::kServiceFile: return "file://";
    default: return "";
    }
}

uint16_t DefaultPort(uint32_t service) {
    switch (service) {
    case url::kServiceHttp: return 80;
    case url::kServiceHttps: return 443;
    case url::kServiceFtp: return 21;
    case url::kServiceGopher: return 70;
    default: return 0;
    }
}

}  // namespace

AStr FolderPrefixOf(std::string_view u) {
    url::SplitUrl s;
    url::splitUrlShort(u, s);
    std::string_view path = s.path.view();
    // A query or fragment may hold '/' and '.' of its own: the folder is
    // taken from the path before it, and a URL with one names a page.
    size_t q = path.find_first_of("?#");
    bool cut = q != std::string_view::npos;
    path = path.substr(0, cut ? q : path.size());
    size_t slash = path.rfind('/');
    if (size_t dot = ExtensionStart(path, "/"); dot != std::string_view::npos) {
        path = path.substr(0, dot);
        cut = true;
    }
    if (slash != std::string_view::npos && (cut || slash + 1 == path.size())) path = path.substr(0, slash);

    AStr prefix = AStr(SchemePrefix(s.service)) + s.host;
    // Links on a site served on its own port carry that port.
    if (s.port != 0 && s.port != DefaultPort(s.service)) prefix += ":" + AStr::number(s.port);
    return prefix + path;
}

bool InFolder(std::string_view u, std::string_view prefix) {
    if (!BeginsNoCase(u, prefix)) return false;
    if (u.size() == prefix.size() || prefix.empty() || prefix.back() == '/') return true;
    char next = u[prefix.size()];
    return next == '/' || next == '?' || next == '#';
}

void NormaliseUrlLists(Mission& m) {
    for (StrList* list : {&m.includeUrls, &m.excludeUrls}) {
        StrList normal;
        for (StrNode* n : each<StrNode>(*list))
            if (!n->str.empty()) normal.add(url::normalizeAddress(n->str.view(), true));
        *list = normal;
    }
}

MissionFilter::MissionFilter(const Mission& mission, SkipList skip) : mission_(mission), skip_(std::move(skip)) {}

void MissionFilter::clearStarts() {
    startHosts_.clear();
    startFolders_.clear();
}

void MissionFilter::addStart(std::string_view u) {
    startHosts_.add(url::hostOfUrl(u));
    startFolders_.add(FolderPrefixOf(u));
}

bool MissionFilter::onStartHost(std::string_view u) const {
    return startHosts_.findEqual(url::hostOfUrl(u).view()) != nullptr;
}

bool MissionFilter::withinLevels(int level) const {
    if (level < kFirstExternalLevel) return level <= mission_.levelsInternal;
    return int64_t(level) - kExternalLevelBase <= mission_.levelsExternal;
}

bool MissionFilter::sameHost(std::string_view u, std::string_view page) {
    return url::hostOfUrl(u).equalsNoCase(url::hostOfUrl(page).view());
}

bool MissionFilter::typeAllowed(std::string_view u) const {
    // The whole URL's, query included: a script whose query ends in ".zip"
    // sends a ".zip".
    return TypeAllowed(mission_, skip_, Extension(u));
}

bool MissionFilter::placeAllowed(std::string_view u) const {
    if (mission_.onlyInDirectory && onStartHost(u)) {
        bool inside = false;
        for (StrNode* f : each<StrNode>(startFolders_))
            if (InFolder(u, f->str.view())) {
                inside = true;
                break;
            }
        if (!inside) return false;
    }
    // An empty entry would exclude everything; it is no prefix anyone typed.
    for (StrNode* e : each<StrNode>(mission_.excludeUrls))
        if (!e->str.empty() && BeginsNoCase(u, e->str.view())) return false;
    return true;
}

bool MissionFilter::follow(bool sameSite, uint32_t flags, std::string_view u, int level) const {
    bool embedded = (flags & FlagEmbedded) != 0;
    bool picture = (flags & FlagPicture) != 0;
    // What a page shows (background images and the like) is fetched
    // whatever its level and folder.
    if (!embedded && !placeAllowed(u)) return false;
    if (!typeAllowed(u)) return false;
    if (picture && !mission_.allowOutPicture && !sameSite) return false;
    if (picture && !mission_.allowPicture) return false;
    return embedded || withinLevels(level);
}
