#include "site/NodeMarks.h"

#include <unordered_set>

#include "site/FollowPolicy.h"
#include "site/LinkFlags.h"
#include "site/LinkGraph.h"
#include "site/NodeUrl.h"
#include "site/ToBeOpenTN.h"

namespace {

// The marks a download leaves; a copy dropped takes them along.
constexpr uint32_t kDownloadMark = 0x10;
constexpr uint32_t kCopyFlags = FlagReceived | FlagStub | kDownloadMark | FlagOtherCodePage | FlagRewritten;

bool barred(uint32_t flags) {
    return (flags & (FlagSkipped | FlagExcluded)) && !(flags & (FlagPicture | FlagEmbedded));
}

}  // namespace

void NodeMarks::setFlags(ToBeOpenTN& node, uint32_t flags) {
    if (node.flags == flags) return;
    graph_.setFlags(node, flags);
    changed = true;
}

void NodeMarks::show(ToBeOpenTN& node) {
    if (refresh) refresh(node);
}

void NodeMarks::stopIfLoading(ToBeOpenTN& node) {
    // The node keeps its state until the download's end arrives.
    if (node.state == StateLoading && stopDownload) stopDownload(node);
}

void NodeMarks::dropCopies(ToBeOpenTN& node) {
    if (deleteLocalCopies) deleteLocalCopies(node);
    setFlags(node, node.flags & ~kCopyFlags);
}

void NodeMarks::dropOtherCodePageCopy(ToBeOpenTN& node) {
    if (node.flags & FlagOtherCodePage) dropCopies(node);
}

bool NodeMarks::passesDecision(const ToBeOpenTN& node) const {
    return graph_.policy().nodeDecision(node.flags, nodeUrl(&node), node.level);
}

void NodeMarks::reprioritiseEmbedded(ToBeOpenTN& page) {
    for (ExtractNode* l : each<ExtractNode>(page.links))
        if (l->target && (l->target->flags & FlagEmbedded)) graph_.reprioritise(*l->target);
}

void NodeMarks::queueIt(ToBeOpenTN& node) {
    // A folder made on the way is no file: queued it would be counted and
    // never fetched.
    if (node.isRoot() || node.level == ToBeOpenTN::kFolderLevel || barred(node.flags)) return;
    // A running download is left to end: a second one for the same node
    // would be started while the first still writes its files.
    if (node.state == StateLoading) return;
    if (node.state == StateQueued) graph_.setState(node, StateNew);
    graph_.setState(node, StateQueued);
}

void NodeMarks::retry(ToBeOpenTN& node) {
    if (node.isRoot() || node.retries >= kMaxRetries) return;
    node.lastError = 0;
    setFlags(node, node.flags & ~(FlagReceived | FlagChanged));
    queueIt(node);
    show(node);
    if (!node.savedFile.empty()) dropCopies(node);
}

void NodeMarks::skip(ToBeOpenTN& node, bool clearMark) {
    if (node.isRoot() || (node.flags & FlagSkipped)) return;
    uint32_t f = node.flags | FlagSkipped;
    if (clearMark) f &= ~FlagBranchMark;
    setFlags(node, f);
    stopIfLoading(node);
    show(node);
}

void NodeMarks::unskip(ToBeOpenTN& node) {
    if (node.isRoot() || !(node.flags & (FlagSkipped | FlagExcluded))) return;
    const bool wasSkipped = (node.flags & FlagSkipped) != 0;
    uint32_t f = node.flags & ~FlagExcluded;
    if (wasSkipped) f &= ~(FlagSkipped | FlagBranchMark);
    // A queued node enters the queue again here, with its priority.
    setFlags(node, f);
    if (wasSkipped) {
        dropOtherCodePageCopy(node);
        if (node.state == StateFailed) retry(node);
        else if (node.state == StateNew) queueIt(node);
    }
    show(node);
}

void NodeMarks::force(ToBeOpenTN& node) {
    if (node.isRoot() || (node.flags & FlagForced)) return;
    setFlags(node, node.flags | FlagForced);
    graph_.recomputeLevels(node);
    dropOtherCodePageCopy(node);
    if (node.state == StateFailed) retry(node);
    else if (node.state == StateNew) queueIt(node);
    show(node);
}

void NodeMarks::unforce(ToBeOpenTN& node) {
    if (node.isRoot() || !(node.flags & FlagForced)) return;
    setFlags(node, node.flags & ~FlagForced);
    graph_.recomputeLevels(node);
    if (node.state == StateQueued) {
        skip(node, true);
        return;
    }
    stopIfLoading(node);
    show(node);
}

void NodeMarks::prefer(ToBeOpenTN& node, bool clearMark) {
    if (node.isRoot() || (node.flags & FlagPreferred)) return;
    uint32_t f = node.flags | FlagPreferred;
    if (clearMark) f &= ~FlagBranchMark;
    const bool wasSkipped = (f & FlagSkipped) != 0;
    f &= ~(FlagExcluded | FlagSkipped);
    setFlags(node, f);
    if (wasSkipped && node.state == StateFailed) retry(node);
    // Fetched or not, it comes again, ahead of the others.
    queueIt(node);
    reprioritiseEmbedded(node);
    show(node);
}

void NodeMarks::unprefer(ToBeOpenTN& node) {
    if (node.isRoot() || !(node.flags & FlagPreferred)) return;
    // A queued node takes its lower priority and stays counted.
    setFlags(node, node.flags & ~(FlagPreferred | FlagBranchMark));
    if (node.state == StateFailed) retry(node);
    reprioritiseEmbedded(node);
    show(node);
}

void NodeMarks::setFlatLinks(ToBeOpenTN& node, bool on) {
    if (node.isRoot() || ((node.flags & FlagFlatLinks) != 0) == on) return;
    setFlags(node, on ? node.flags | FlagFlatLinks : node.flags & ~FlagFlatLinks);
    graph_.recomputeLevels(node);
    show(node);
}

void NodeMarks::clearExclusion(ToBeOpenTN& node) {
    // Pictures and frames may embed each other: each node is seen once.
    std::vector<ToBeOpenTN*> work{&node};
    std::unordered_set<ToBeOpenTN*> seen{&node};
    while (!work.empty()) {
        ToBeOpenTN* n = work.back();
        work.pop_back();
        if (n->isRoot()) continue;
        if (n->flags & FlagExcluded) {
            setFlags(*n, n->flags & ~FlagExcluded);
            show(*n);
        }
        for (ExtractNode* l : each<ExtractNode>(n->links)) {
            ToBeOpenTN* t = l->target;
            if (t && (l->flags & (FlagPicture | FlagEmbedded)) && seen.insert(t).second) work.push_back(t);
        }
    }
}

template <class Op>
void NodeMarks::overBranch(ToBeOpenTN& top, Op op) {
    // Children before their node: the reverse of tree order.
    std::vector<ToBeOpenTN*> order;
    ForEachNode(top, [&order](ToBeOpenTN& n) { order.push_back(&n); });
    for (auto it = order.rbegin(); it != order.rend(); ++it) op(**it);
    if (!top.isRoot()) setFlags(top, top.flags | FlagBranchMark);
}

void NodeMarks::skipBranch(ToBeOpenTN& node, bool collapsed) {
    if (collapsed) {
        overBranch(node, [this](ToBeOpenTN& n) { skip(n, true); });
        return;
    }
    skip(node, true);
    // A leaf's mark passes its skip on to what is found below it later.
    if (!node.firstChild() && !node.isRoot()) setFlags(node, node.flags | FlagBranchMark);
}

void NodeMarks::includeBranch(ToBeOpenTN& node, bool collapsed) {
    if (collapsed) overBranch(node, [this](ToBeOpenTN& n) { unskip(n); });
    else unskip(node);
}

void NodeMarks::preferBranch(ToBeOpenTN& node, bool collapsed) {
    if (collapsed) overBranch(node, [this](ToBeOpenTN& n) { prefer(n, true); });
    else prefer(node, true);
}

void NodeMarks::unpreferBranch(ToBeOpenTN& node, bool collapsed) {
    if (collapsed) overBranch(node, [this](ToBeOpenTN& n) { unprefer(n); });
    else unprefer(node);
}

size_t NodeMarks::skipItems(const std::vector<MarkItem>& items, MarkView view) {
    size_t done = 0;
    for (const MarkItem& it : items) {
        if (!it.node) continue;
        ++done;
        ToBeOpenTN& n = *it.node;
        if (n.level != ToBeOpenTN::kFolderLevel && !passesDecision(n)) {
            unforce(n);
            continue;
        }
        if (view == MarkView::Files) skipBranch(n, it.collapsed);
        else skip(n, false);
        unforce(n);
    }
    return done;
}

size_t NodeMarks::includeItems(const std::vector<MarkItem>& items, MarkView view) {
    size_t done = 0;
    for (const MarkItem& it : items) {
        if (!it.node) continue;
        ++done;
        ToBeOpenTN& n = *it.node;
        if (view == MarkView::Files) includeBranch(n, it.collapsed);
        else unskip(n);
        if (n.level == ToBeOpenTN::kFolderLevel || !passesDecision(n)) force(n);
        clearExclusion(n);
    }
    return done;
}

size_t NodeMarks::preferItems(const std::vector<MarkItem>& items, MarkView view) {
    size_t done = 0;
    for (const MarkItem& it : items) {
        if (!it.node) continue;
        ++done;
        if (view == MarkView::Files) preferBranch(*it.node, it.collapsed);
        else prefer(*it.node, false);
        clearExclusion(*it.node);
    }
    return done;
}

size_t NodeMarks::unpreferItems(const std::vector<MarkItem>& items, MarkView view) {
    size_t done = 0;
    for (const MarkItem& it : items) {
        if (!it.node) continue;
        ++done;
        if (view == MarkView::Files) unpreferBranch(*it.node, it.collapsed);
        else unprefer(*it.node);
    }
    return done;
}

size_t NodeMarks::flatLinksItems(const std::vector<MarkItem>& items, bool on) {
    size_t done = 0;
    for (const MarkItem& it : items) {
        if (!it.node) continue;
        ++done;
        setFlatLinks(*it.node, on);
    }
    return done;
}
