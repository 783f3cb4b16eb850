#pragma once
// The user's marks on graph nodes: skipped or included against the filters,
// forced, preferred so that they are fetched first, and pages whose links
// add no level. Each operation changes the node's flags through the graph,
// so that the queue, its priorities and its counters follow, and records
// whether any flag changed (the tree file is then due to be written).
// The branch rules and the per-item commands work on a list of items in
// the view's order, so that a command over a selection calls them as it is.

#include <cstdint>
#include <functional>
#include <vector>

class LinkGraph;
class ToBeOpenTN;

// One selected item: in the file view expanded or collapsed; the link view
// stands for the node alone.
struct MarkItem {
    ToBeOpenTN* node = nullptr;
    bool collapsed = false;
};

enum class MarkView { Files, Links };

class NodeMarks {
public:
    static constexpr int kMaxRetries = 3;

    explicit NodeMarks(LinkGraph& graph) : graph_(graph) {}
    NodeMarks(const NodeMarks&) = delete;
    NodeMarks& operator=(const NodeMarks&) = delete;

    // Hooks of the engine and the views; any may be left empty.
    std::function<void(ToBeOpenTN&)> stopDownload;       // the node is being downloaded
    std::function<void(ToBeOpenTN&)> deleteLocalCopies;  // its saved and raw files, paths cleared
    std::function<void(ToBeOpenTN&)> refresh;            // its icon and texts

    // True once an operation changed a flag; the owner clears it.
    bool changed = false;

    // Node operations. The root is never marked.
    void skip(ToBeOpenTN& node, bool clearMark);
    void unskip(ToBeOpenTN& node);
    void force(ToBeOpenTN& node);
    void unforce(ToBeOpenTN& node);
    void prefer(ToBeOpenTN& node, bool clearMark);
    void unprefer(ToBeOpenTN& node);
    void setFlatLinks(ToBeOpenTN& node, bool on);
    // Also for the pictures and embedded files the node's links reach, and
    // theirs in turn.
    void clearExclusion(ToBeOpenTN& node);
    void queueIt(ToBeOpenTN& node);
    void retry(ToBeOpenTN& node);

    // Branch rules for a file-view item: an expanded item stands for its
    // node, a collapsed one for its whole branch (children before the node,
    // then the branch mark on the top node).
    void skipBranch(ToBeOpenTN& node, bool collapsed);
    void includeBranch(ToBeOpenTN& node, bool collapsed);
    void preferBranch(ToBeOpenTN& node, bool collapsed);
    void unpreferBranch(ToBeOpenTN& node, bool collapsed);

    // The commands over selected items, in the view's order. Each returns
    // how many items stood for a node.
    size_t skipItems(const std::vector<MarkItem>& items, MarkView view);
    size_t includeItems(const std::vector<MarkItem>& items, MarkView view);
    size_t preferItems(const std::vector<MarkItem>& items, MarkView view);
    size_t unpreferItems(const std::vector<MarkItem>& items, MarkView view);
    size_t flatLinksItems(const std::vector<MarkItem>& items, bool on);

private:
    // Through the graph, so that a queued node leaves and enters the queue
    // under its old and new flags.
    void setFlags(ToBeOpenTN& node, uint32_t flags);
    // A copy in another code page is dropped so that the node is fetched
    // whole again.
    void dropOtherCodePageCopy(ToBeOpenTN& node);
    void dropCopies(ToBeOpenTN& node);
    void stopIfLoading(ToBeOpenTN& node);
    void show(ToBeOpenTN& node);
    // Embedded files of a page take the page's preference into their
    // priority.
    void reprioritiseEmbedded(ToBeOpenTN& page);
    bool passesDecision(const ToBeOpenTN& node) const;
    template <class Op>
    void overBranch(ToBeOpenTN& top, Op op);

    LinkGraph& graph_;
};
