#include "site/TreeFile.h"

#include <cstring>
#include <unordered_set>
#include <vector>

#include "framework/FileExtension.h"
#include "framework/bwstream.h"
#include "framework/fwstream.h"
#include "platform/File.h"
#include "site/LinkFlags.h"
#include "site/LinkGraph.h"
#include "site/ExtractList.h"
#include "site/LocalPaths.h"
#include "site/PersistContext.h"

namespace {

// 26 bytes up to the first zero, then two zero bytes.
constexpr char kSignature[28] = " Zelko Brasky Tree File \x1A \0";
constexpr size_t kSignatureText = 26;

// Whether u16 ids and counts cannot hold the graph; counts its nodes.
bool needsWide(const ToBeOpenTN& root, size_t& nodes) {
    bool wide = false;
    nodes = 0;
    ForEachNode(root, [&](const ToBeOpenTN& n) {
        if (++nodes > 0xFFFF || n.count() > 0xFFFF || n.links.count() > 0xFFFF) wide = true;
    });
    return wide;
}

}  // namespace

AStr treeFileName(std::string_view projectPath) {
    AStr r(WithoutExtension(projectPath));
    r += ".zbt";
    return r;
}

namespace {

// Nodes being fetched, as the queue counters would count them once queued.
void countLoading(const ToBeOpenTN& root, uint32_t& files, uint32_t& pictures) {
    files = pictures = 0;
    ForEachNode(root, [&](const ToBeOpenTN& n) {
        if (n.state != StateLoading) return;
        if (n.flags & FlagPicture) ++pictures;
        else if (!(n.flags & FlagSkipped) || (n.flags & FlagEmbedded)) ++files;
    });
}

int writeGraph(const LinkGraph& graph, obwstream& out, bool loadingAsQueued) {
    size_t nodes = 0;
    bool wide = needsWide(graph.root(), nodes);
    JobCounters c = graph.counters;
    if (loadingAsQueued) {
        uint32_t files = 0, pictures = 0;
        countLoading(graph.root(), files, pictures);
        c.queuedFiles += files;
        c.queuedPictures += pictures;
    }
    out.write(kSignature, sizeof kSignature);
    out.writeU16(wide ? kTreeVersionWide : kTreeVersion);
    out.writeU32(c.receivedFiles);
    out.writeU32(c.schedulerCounter);
    out.writeU32(c.queuedFiles);
    out.writeU32(c.changedFiles);
    out.writeU32(c.queuedPictures);
    out.writeU32(loadingAsQueued ? 1 : 0);
    WriteContext ctx(wide);
    ctx.loadingAsQueued = loadingAsQueued;
    ctx.reserve(nodes);
    int r = graph.root().write(out, &ctx);
    // A full disk shows only when the buffer goes out.
    return r == 0 && out.flush() && !out.fail() ? 0 : -1;
}

// Written under a temporary name and put in place: the previous file
// stays whole until the new one is.
int writeTreeFile(const LinkGraph& graph, std::string_view projectPath, bool loadingAsQueued) {
    AStr name = treeFileName(projectPath);
    AStr temp = name + ".new";
    int r;
    {
        ofwstream out;
        r = out.open(temp.c_str()) == 0 ? writeGraph(graph, out, loadingAsQueued) : -1;
        if (out.close() != 0) r = -1;
    }
    if (r == 0 && platform::ReplaceFile(temp.c_str(), name.c_str()) != 0) r = -1;
    if (r != 0) (void)platform::DeleteFile(temp.c_str());
    return r;
}

// What damaged data leaves, made whole: the page whose link records broke
// off is fetched anew (its copy was rewritten by links the graph no longer
// has), and a stored page whose links lost their targets with the damage
// is asked again, so that those targets are found once more; a start URL's
// record that lost its node goes (the start URLs are entered again at the
// job's start). The queue counters are counted from the nodes that are
// left.
void settleDamaged(LinkGraph& graph, ToBeOpenTN* cut, const std::vector<ExtractNode*>& unknown) {
    std::unordered_set<const ExtractNode*> lost(unknown.begin(), unknown.end());
    for (ExtractNode* l = graph.root().links.firstLink(); l;) {
        ExtractNode* next = static_cast<ExtractNode*>(l->next());
        if (lost.count(l)) delete graph.root().links.remove(l);
        l = next;
    }
    ForEachNode(graph.root(), [&](ToBeOpenTN& n) {
        // Stored: done, or rewritten and so back to new.
        const bool stored = (n.flags & FlagReceived) && (n.state == StateDone || n.state == StateNew);
        if (n.isRoot() || !stored) return;
        if (&n == cut) {
            n.state = StateFailed;
            return;
        }
        for (const ExtractNode* l : each<ExtractNode>(n.links)) {
            if (lost.count(l)) {
                n.state = StateQueued;
                break;
            }
        }
    });
    graph.recountQueue();
}

}  // namespace

int writeTree(LinkGraph& graph, obwstream& out) { return writeGraph(graph, out, false); }

int writeTreeWhileLoading(const LinkGraph& graph, obwstream& out) { return writeGraph(graph, out, true); }

int readTree(LinkGraph& graph, ibwstream& in) {
    graph.clear();
    char sig[sizeof kSignature];
    uint16_t version = 0;
    if (in.read(sig, sizeof sig) != sizeof sig) return -1;
    // Compared as a text up to the first zero byte, without case.
    size_t len = strnlen(sig, sizeof sig);
    if (len != kSignatureText || !AStr(sig, len).equalsNoCase(std::string_view(kSignature, kSignatureText))) return -1;
    // Version 11 is our own extension; a later one has a layout we cannot
    // know, and reading it as ours would turn its fields into garbage.
    if (!in.readU16(version) || version < 1 || version > kTreeVersionWide) return -1;
    JobCounters c;
    if (version > 2) {
        if (!(in.readU32(c.receivedFiles) && in.readU32(c.schedulerCounter) && in.readU32(c.queuedFiles) &&
              in.readU32(c.changedFiles) && in.readU32(c.queuedPictures) && in.readU32(c.savedWhileRunning)))
            return -1;
    }
    ReadContext ctx(version, graph.outputFolder);
    if (graph.root().readFields(in, &ctx) != 0) {
        graph.clear();
        return -1;
    }
    const bool whole = graph.root().readLists(in, &ctx) == 0;
    std::vector<ExtractNode*> unknown = ctx.resolveTargets();
    graph.counters = c;
    if (!whole) settleDamaged(graph, ctx.cutPage(), unknown);
    graph.rebuildReferrers();
    graph.restorePriorities();
    return whole ? 0 : kTreeDamaged;
}

int saveTree(LinkGraph& graph, std::string_view projectPath) {
    if (projectPath.empty()) return -1;
    graph.requeueLoading();
    if (graph.showStatus) graph.showStatus(kTextTreeSaving);
    int r = writeTreeFile(graph, projectPath, false);
    if (graph.showStatus) graph.showStatus(0);
    return r;
}

int saveTreeWhileLoading(const LinkGraph& graph, std::string_view projectPath) {
    if (projectPath.empty()) return -1;
    return writeTreeFile(graph, projectPath, true);
}

int loadTree(LinkGraph& graph, std::string_view projectPath) {
    if (graph.showStatus) graph.showStatus(kTextTreeLoading);
    AStr name = treeFileName(projectPath);
    int r = -1;
    {
        ifwstream in;
        if (in.open(name.c_str()) == 0) r = readTree(graph, in);
        else graph.clear();
    }
    if (r != 0) {
        if (graph.reportError) graph.reportError(kTextTreeLoadFailed, name);
        if (r < 0) return -1;
    }
    if (graph.showStatus) graph.showStatus(kTextTreeLoaded);
    if (graph.rebuildViews) graph.rebuildViews();
    if (graph.showStatus) graph.showStatus(kTextTreeShown);
    return r;
}
