#pragma once
// A node of the link graph: one part of a URL (host, folder or file), what
// became of its download, where its copies lie, the page's links and the
// pages that link to it. Children are kept in the order of their names
// (see NodeName.h); a large folder keeps an index beside its list so that
// lookups stay logarithmic.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "framework/AStr.h"
#include "framework/List.h"
#include "site/ExtractList.h"

class ChildIndex;
class ChildNameTable;
class ToBeOpenTN;

// The pages that link to a node, in the order they were met, each once
// per run of its links. Sixteen bytes, and no allocation for the one
// referrer most nodes have: a large site's graph holds millions.
class RefFromList {
public:
    RefFromList() = default;
    RefFromList(const RefFromList&) = delete;
    RefFromList& operator=(const RefFromList&) = delete;
    ~RefFromList() { clear(); }

    size_t count() const { return count_; }
    bool empty() const { return count_ == 0; }
    ToBeOpenTN* const* begin() const { return cap_ ? many_ : &one_; }
    ToBeOpenTN* const* end() const { return begin() + count_; }
    // The first page met, or null.
    ToBeOpenTN* first() const { return count_ ? *begin() : nullptr; }
    bool contains(const ToBeOpenTN* page) const;
    bool endsWith(const ToBeOpenTN* page) const { return count_ && begin()[count_ - 1] == page; }
    void append(ToBeOpenTN* page);
    // Removes the last entry of page; false when there was none.
    bool removeRef(const ToBeOpenTN* page);
    void clear();

private:
    union {
        ToBeOpenTN* one_ = nullptr;  // while cap_ is 0: at most one entry, here
        ToBeOpenTN** many_;
    };
    uint32_t count_ = 0;
    uint32_t cap_ = 0;
};

enum NodeState : uint16_t {
    StateNew = 0,      // known, not queued
    StateQueued = 1,   // waiting for a download slot
    StateLoading = 2,  // a download is running
    StateDone = 3,     // fetched
    StateMissing = 4,  // the download ended with the result code 3 or -1
    StateFailed = 5,   // the download ended with another error
};

class ToBeOpenTN : public Tree {
public:
    static constexpr uint8_t kFolderLevel = 100;  // the root and folders made on the way

    ToBeOpenTN();
    explicit ToBeOpenTN(std::string_view name, uint8_t level = kFolderLevel);
    ~ToBeOpenTN() override;

    int write(obwstream& out, WriteContext* ctx) const override;
    int read(ibwstream& in, ReadContext* ctx) override;
    // The tree file's record in two halves: the fields, then the links and
    // the children. A failure in the second keeps what was read whole.
    int readFields(ibwstream& in, ReadContext* ctx);
    int readLists(ibwstream& in, ReadContext* ctx);

    // Graph nodes only ever sit in the child list of another graph node.
    ToBeOpenTN* parentNode() const { return owner() ? static_cast<ToBeOpenTN*>(static_cast<Tree*>(owner())) : nullptr; }
    ToBeOpenTN* firstChild() const { return static_cast<ToBeOpenTN*>(first()); }
    ToBeOpenTN* lastChild() const { return static_cast<ToBeOpenTN*>(last()); }
    ToBeOpenTN* nextSibling() const { return static_cast<ToBeOpenTN*>(next()); }
    bool isRoot() const { return owner() == nullptr; }
    // A child of the root: its name is a scheme and host.
    bool isHostNode() const { const ToBeOpenTN* p = parentNode(); return p && p->isRoot(); }

    // The child of that name, or null; looked up in name order.
    ToBeOpenTN* findChild(std::string_view childName);
    // Puts child in its place by name; after any children of the same name.
    void insertChild(ToBeOpenTN* child);
    // Deletes every child (and the index with them).
    void clearChildren();
    // The largest subtree priority among the children.
    uint16_t childrenPriority() const;
    // The first child in name order whose subtree priority is p.
    ToBeOpenTN* firstChildWithPriority(uint16_t p) const;
    // Tells the index that child's subtree priority changed from oldPriority.
    void childPriorityChanged(ToBeOpenTN* child, uint16_t oldPriority);
    // Children compare without case at the host level only.
    bool childrenIgnoreCase() const { return isRoot(); }

    // Grouped by size so that a million nodes waste no padding; the tree
    // file's order is in TreeRecords.cpp.
    AStr name;                 // this node's part of the URL; fixed once in a folder (the index keeps it)
    AStr tail;                 // "/" for a folder requested as a folder URL
    AStr savedFile;            // rewritten copy, relative to the output folder
    AStr rawFile;              // copy as received, relative to the output folder
    AStr baseUrl;              // the page's base URL, if it declared one
    AStr title;
    ExtractList links;         // the page's link records, in page order
    RefFromList referrers;     // rebuilt from the link records on loading
    void* viewItem = nullptr;  // item in the main tree view
    void* activeDownload = nullptr;
    uint32_t flags = 0;        // site/LinkFlags.h
    int32_t lastError = 0;     // result of the last download; 0 after success
    int32_t reserved = -1;     // kept unchanged through the tree file
    uint32_t startTime = 0;    // tick count when the current download started
    uint16_t state = StateNew;
    uint16_t codePage = 0;     // of the page, 0 when not known
    uint16_t priority = 0;         // queue priority while queued
    uint16_t subtreePriority = 0;  // the largest priority in the subtree
    uint8_t level = kFolderLevel;
    bool onStartHost = true;
    uint8_t retries = 0;       // failed attempts

private:
    friend class ChildIndex;
    int compareChild(std::string_view a, std::string_view b) const;
    ToBeOpenTN* walkFind(std::string_view childName);
    void dropFromParentIndex();

    // What only a node with children needs, behind one pointer: a leaf
    // (most of a large graph) pays eight bytes for it.
    struct ChildAids {
        ToBeOpenTN* hint = nullptr;              // the child found by the last lookup
        std::unique_ptr<ChildIndex> index;       // only for folders with many children
        std::unique_ptr<ChildNameTable> names;   // beside the index where names compare case-sensitively
        ~ChildAids();
    };
    ChildIndex* index() const { return aids_ ? aids_->index.get() : nullptr; }
    ToBeOpenTN* hint() const { return aids_ ? aids_->hint : nullptr; }

    std::unique_ptr<ChildAids> aids_;
};

// The first node, in tree order (a node before its children, children in
// name order), of top's subtree for which found(node) is true; null if
// none. An explicit stack: a deep tree from a file cannot exhaust the call
// stack. found must not delete nodes.
template <class Node, class Found>
Node* FindNode(Node& top, Found found) {
    std::vector<Node*> stack{&top};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        if (found(*n)) return n;
        for (Node* c = n->lastChild(); c; c = static_cast<ToBeOpenTN*>(c->prev())) stack.push_back(c);
    }
    return nullptr;
}

// visit(node) for every node of top's subtree, in tree order.
template <class Node, class Visit>
void ForEachNode(Node& top, Visit visit) {
    FindNode(top, [&visit](Node& n) {
        visit(n);
        return false;
    });
}
