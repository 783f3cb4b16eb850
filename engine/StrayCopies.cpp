#include "engine/StrayCopies.h"

#include <vector>

#include "engine/LocalPath.h"
#include "platform/File.h"
#include "site/LinkGraph.h"
#include "site/Mission.h"

namespace {

// Paths as the file system compares them.
std::string key(const AStr& path) {
#ifdef _WIN32
    return std::string(path.lower().c_str());
#else
    return std::string(path.c_str());
#endif
}

// Where the URL's copy goes, without making anything; false when nowhere.
bool placeOf(const LinkGraph& graph, const ToBeOpenTN& n, uint32_t outputFlags, AStr& path) {
    AStr url = graph.urlOf(n);
    saving::PlaceRequest req;
    req.outputFlags = outputFlags;
    req.url = url.view();
    req.outputFolder = graph.outputFolder.view();
    req.doNotCreate = true;
    return saving::localPath(req, path);
}

// Every copy and partial file a node knows.
std::unordered_set<std::string> knownFiles(const LinkGraph& graph) {
    std::unordered_set<std::string> known;
    ForEachNode(graph.root(), [&](const ToBeOpenTN& n) {
        if (n.isRoot()) return;
        for (const AStr* p : {&n.savedFile, &n.rawFile})
            if (!p->empty()) known.insert(key(graph.absolutePath(*p)));
    });
    return known;
}

}  // namespace

void StrayCopies::removeForQueued(const LinkGraph& graph, uint32_t outputFlags) {
    if (outputFlags & Mission::kOutputNames83) return;
    const std::unordered_set<std::string> known = knownFiles(graph);
    std::unordered_set<std::string> folders;
    ForEachNode(graph.root(), [&](const ToBeOpenTN& n) {
        if (n.isRoot() || n.state != StateQueued || !n.savedFile.empty()) return;
        AStr path;
        if (!placeOf(graph, n, outputFlags, path)) return;
        size_t sep = path.rfind(platform::kPathSep);
        if (sep != AStr::npos) folders.insert(std::string(path.left(sep).c_str()));
        if (!known.count(key(path)) && platform::FileExists(path.c_str())) (void)platform::DeleteFile(path.c_str());
    });
    // A killed download's temporary file, beside where its copy was to go.
    for (const std::string& folder : folders) {
        for (const std::string& name : platform::FindFiles(folder.c_str(), "~DL~*.TMP")) {
            AStr path = AStr(folder) + AStr(std::string(1, platform::kPathSep)) + AStr(name);
            if (!known.count(key(path))) (void)platform::DeleteFile(path.c_str());
        }
    }
}

void StrayCopies::watch(const LinkGraph& graph, uint32_t outputFlags) {
    outputFlags_ = outputFlags;
    watching_ = !(outputFlags & Mission::kOutputNames83);
    known_ = watching_ ? knownFiles(graph) : std::unordered_set<std::string>();
}

void StrayCopies::reclaim(const LinkGraph& graph, const ToBeOpenTN& node) const {
    if (!watching_ || !node.savedFile.empty()) return;
    AStr path;
    if (!placeOf(graph, node, outputFlags_, path)) return;
    if (!known_.count(key(path)) && platform::FileExists(path.c_str())) (void)platform::DeleteFile(path.c_str());
}

void StrayCopies::stored(const LinkGraph& graph, const ToBeOpenTN& node) {
    if (!watching_) return;
    for (const AStr* p : {&node.savedFile, &node.rawFile})
        if (!p->empty()) known_.insert(key(graph.absolutePath(*p)));
}

void StrayCopies::clear() {
    watching_ = false;
    known_.clear();
}
