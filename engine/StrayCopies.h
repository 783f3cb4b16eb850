#pragma once
// Files in a job's copy that no node of its graph knows. A job killed after
// its last tree file was written, or continued from a damaged tree file,
// finds copies under the names its URLs give whose nodes the graph does not
// have (or has without a copy); left there, the new downloads of those URLs
// would take numbered names beside them ("a(0).html"). With 8.3 names
// nothing is touched: short names collide so often that a name proves
// nothing.

#include <cstdint>
#include <string>
#include <unordered_set>

#include "framework/AStr.h"

class LinkGraph;
class ToBeOpenTN;

class StrayCopies {
public:
    // After a tree file written while downloads ran: the files at the
    // places of queued nodes without a copy, and the temporary files beside
    // them that are no node's partial data, go. Every file a node knows
    // stays, and so does the file of a node the tree does not have yet
    // (found and fetched after its last write): its new copy is numbered.
    static void removeForQueued(const LinkGraph& graph, uint32_t outputFlags);

    // After a damaged tree file: every file the graph knows now is kept
    // in mind; from then on a node without a copy, before its download,
    // has a file that no node knew removed from its place, so that it takes
    // its old name back.
    void watch(const LinkGraph& graph, uint32_t outputFlags);
    void reclaim(const LinkGraph& graph, const ToBeOpenTN& node) const;
    // A file the job stored in this run: never a stray.
    void stored(const LinkGraph& graph, const ToBeOpenTN& node);
    void clear();

private:
    bool watching_ = false;
    uint32_t outputFlags_ = 0;
    std::unordered_set<std::string> known_;
};
