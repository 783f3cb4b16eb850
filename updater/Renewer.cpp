#include "updater/Renewer.h"

#include <algorithm>

#include "app/IniFile.h"
#include "engine/InternetSession.h"
#include "engine/iurlwstream.h"
#include "platform/Text.h"
#include "platform/File.h"
#include "platform/Internet.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "updater/ContentParser.h"

namespace {

// The sizes of the buffers the values are read into, terminator included.
constexpr size_t kKeyNameBytes = 260;
constexpr size_t kVersionBytes = 100;
constexpr size_t kUrlBytes = 1024;

constexpr uint32_t kFetchFlags = platform::inet::kFlagReload | platform::inet::kFlagNoCacheWrite |
                                 platform::inet::kFlagTransferBinary;

void readChildren(ObjNode& parent, const std::string& path) {
    for (const std::string& name : platform::CurrentUserSubkeys(path.c_str(), kKeyNameBytes)) {
        const std::string key = path + "\\" + name;
        if (!platform::CurrentUserKeyExists(key.c_str())) break;
        std::string version;
        ObjNode* node;
        if (!platform::CurrentUserValue(key.c_str(), "Version", kVersionBytes, version)) {
            node = parent.append(ObjNode::group(name, platform::CurrentUserString(key.c_str(), "ContentUrl", kUrlBytes)));
        } else {
            const int32_t number = LeadingInteger(version);
            node = parent.append(
                ObjNode::product(name, version, number, platform::CurrentUserString(key.c_str(), "ProductUrl", kUrlBytes)));
            std::string lastSeen;
            if (platform::CurrentUserValue(key.c_str(), "LastSeen", kVersionBytes, lastSeen)) {
                node->prop().lastSeen = lastSeen;
                node->prop().lastSeenNumber = LeadingInteger(lastSeen);
            }
        }
        readChildren(*node, key);
    }
}

int compareTitles(const std::string& a, const std::string& b) { return platform::CompareAnsi(a, b, true); }

void merge(ObjNode& installed, const ObjNode& described, bool againstLastSeen) {
    ObjNode* l = installed.firstChild();
    const ObjNode* s = described.firstChild();
    while (l && s) {
        const int order = compareTitles(l->prop().title, s->prop().title);
        if (order > 0) {
            // A product the installed tree lacks: added, and its version noted.
            ObjNode* copy = installed.insertBefore(std::make_unique<ObjNode>(s->prop()), l);
            RecordValue(*copy, "Version", copy->prop().version);
            s = s->nextSibling();
            continue;
        }
        if (order < 0) {
            l = l->nextSibling();
            continue;
        }
        ObjectProp& mine = l->prop();
        if (mine.versionNumber == 0) {
            merge(*l, *s, againstLastSeen);
        } else {
            // A version last seen below the installed one (an older
            // reminder declined before an upgrade) never brings a question
            // about the version that is already installed.
            const int32_t local =
                againstLastSeen ? std::max(mine.lastSeenNumber, mine.versionNumber) : mine.versionNumber;
            if (s->prop().versionNumber > local) {
                mine.newVersion = s->prop().version;
                mine.newVersionNumber = s->prop().versionNumber;
                mine.productUrl = s->prop().productUrl;
                l->mark(ObjNode::UpdateAvailable);
            }
        }
        l = l->nextSibling();
        s = s->nextSibling();
    }
}

}  // namespace

void RenewerNotices::openPage(const std::string& url) { (void)platform::ShellOpen(nullptr, url.c_str()); }

void ReadInstalled(ObjNode& root) {
    if (!platform::CurrentUserKeyExists(kRenewerKey)) return;
    readChildren(root, kRenewerKey);
}

std::string KeyPathOf(const ObjNode& node) {
    std::string below;
    for (const ObjNode* n = &node; n && n->parent(); n = n->parent()) below = "\\" + n->prop().title + below;
    return kRenewerKey + below;
}

void RecordValue(const ObjNode& node, const char* valueName, const std::string& text) {
    (void)platform::SetCurrentUserString(KeyPathOf(node).c_str(), valueName, text);
}

int Fetch(CInternetSession& session, const std::string& url, ObjNode& root) {
    iurlwstream in(session, url.c_str(), 1, kFetchFlags, nullptr, 0);
    if (!in.good()) {
        const int code = in.openError() ? in.openError() : platform::LastError();
        return code ? code : -1;
    }
    ContentParser parser(&root);
    (void)parser.Parse(in);
    // Reaching the end sets fail as well; only a failure without it is one.
    if (in.fail() && !in.eof()) {
        const int code = in.error() ? in.error() : platform::LastError();
        return code ? code : -1;
    }
    return 0;
}

int Fetch(const std::string& url, ObjNode& root) {
    CInternetSession session(nullptr, 1, platform::inet::kOpenPreconfig, nullptr, nullptr, 0, nullptr, nullptr);
    return Fetch(session, url, root);
}

void Check(ObjNode& group, const ObjNode& resultRoot, int resultCode, bool againstLastSeen) {
    const ObjNode* outer = resultRoot.firstChild();
    const ObjNode* described = outer ? outer->firstChild() : nullptr;
    if (resultCode != 0 || !described) {
        group.mark(ObjNode::Checked);
        group.mark(ObjNode::CheckFailed);
        return;
    }
    group.mark(ObjNode::Checked);
    group.mark(ObjNode::CheckSucceeded);
    merge(group, *described, againstLastSeen);
}

GetContentThread::GetContentThread(platform::WindowHandle window, std::string url, ObjNode* group)
    : Thread(window), url_(std::move(url)), group_(group) {}

uint32_t GetContentThread::run() {
    {
        CInternetSession session(nullptr, 1, platform::inet::kOpenPreconfig, nullptr, nullptr, 0, nullptr, nullptr);
        {
            std::lock_guard<std::mutex> hold(sessionLock_);
            session_ = &session;
        }
        setCancelTarget(this);
        resultCode_ = stopRequested() ? -1 : Fetch(session, url_, resultRoot_);
        setCancelTarget(nullptr);
        std::lock_guard<std::mutex> hold(sessionLock_);
        session_ = nullptr;
    }
    post(kCheckDoneMessage, 0);
    return 0;
}

// Called by stop while a fetch is under way: closing the session makes its
// blocked reads fail at once.
void GetContentThread::cancel() {
    std::lock_guard<std::mutex> hold(sessionLock_);
    if (session_) session_->close();
}

Renewer::~Renewer() {
    for (GetContentThread* t : threads_) {
        t->stop();
        t->release();
    }
}

ObjNode* Renewer::findGroup(const std::string& name) {
    for (ObjNode* n = root_.firstChild(); n; n = n->nextSibling()) {
        if (n->prop().title == name) return n;
    }
    return nullptr;
}

Renewer::StartResult Renewer::checkAtStart(const std::string& groupName, bool firstRun, RenewerNotices& notices) {
    StartResult result;
    ObjNode* group = findGroup(groupName);
    if (!group) return result;
    ObjNode fetched;
    const int code = Fetch(group->prop().contentUrl, fetched);
    Check(*group, fetched, code, true);
    if (!(group->childFlags & ObjNode::UpdateAvailable)) return result;
    result.newerFound = true;
    for (ObjNode* n = group; n; n = n->nextInTree(group)) {
        if (!(n->flags & ObjNode::UpdateAvailable)) continue;
        if (!result.select) result.select = n;
        const int answer = firstRun ? kAnswerDoNotRemind : notices.askAboutUpdate(*n);
        if (answer == kAnswerOpenUpdater) {
            result.openWindow = true;
            break;
        }
        if (answer == kAnswerProductPage) notices.openPage(n->prop().productUrl);
        else if (answer == kAnswerDoNotRemind) RecordValue(*n, "LastSeen", n->prop().newVersion);
    }
    return result;
}

GetContentThread* Renewer::startCheck(ObjNode& node, platform::WindowHandle window) {
    if (node.prop().contentUrl.empty()) return nullptr;
    auto* worker = new GetContentThread(window, node.prop().contentUrl, &node);
    if (!worker->start()) {
        worker->release();
        return nullptr;
    }
    threads_.push_back(worker);
    return worker;
}

bool Renewer::onCheckDone(GetContentThread* worker) {
    auto it = std::find(threads_.begin(), threads_.end(), worker);
    if (it == threads_.end()) return false;
    threads_.erase(it);
    if (worker->isActive()) Check(*worker->group(), worker->resultRoot(), worker->resultCode(), false);
    worker->release();
    return true;
}

void Renewer::stopAll() {
    for (GetContentThread* t : threads_) t->stop();
}

bool Renewer::anyActive() const {
    return std::any_of(threads_.begin(), threads_.end(), [](const GetContentThread* t) { return t->isActive(); });
}

void Renewer::reload() {
    // A worker still listed points at its group: its result is dropped.
    stopAll();
    root_.clearChildren();
    ReadInstalled(root_);
}

std::string RenewerFiles::settingsPath(const std::string& programPath) {
    const size_t slash = programPath.find_last_of("/\\");
    const size_t dot = programPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return programPath + ".ini";
    return programPath.substr(0, dot) + ".ini";
}

const char* RenewerFiles::languageCode(int language) { return language == 0 ? "enu" : "rus"; }

namespace {
std::string folderOf(const std::string& programPath) {
    const size_t slash = programPath.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
}
}  // namespace

std::string RenewerFiles::languageLibrary(const std::string& programPath, int language) {
    return folderOf(programPath) + "zr" + languageCode(language) + ".dll";
}

std::string RenewerFiles::helpFile(const std::string& programPath, int language) {
    return folderOf(programPath) + "zr" + languageCode(language) + ".hlp";
}

int RenewerFiles::readLanguage(const std::string& settingsPath, bool& firstRun) {
    IniFile ini;
    if (ini.load(settingsPath.c_str()) != 0) {
        firstRun = false;
        return 0;
    }
    firstRun = !ini.exists();
    return ini.getInt("Options", "Language", 0);
}

int RenewerFiles::writeLanguage(const std::string& settingsPath, int language) {
    IniFile ini;
    if (int r = ini.load(settingsPath.c_str())) return r;
    ini.setString("Options", "Language", std::to_string(language).c_str());
    return ini.save(settingsPath.c_str());
}
