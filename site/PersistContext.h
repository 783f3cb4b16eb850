#pragma once
// Object ids of the tree file. Writing hands out 1, 2, 3... in the order
// in which nodes are first mentioned (their own record or a link to them).
// Reading registers each node under the id its record carries, and once
// the whole file is read turns every link's id into its node by bisection
// of the sorted table; an id that no node carries leaves the link without
// a target.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/AStr.h"

class ExtractNode;
class ToBeOpenTN;
class ibwstream;
class obwstream;

// Tree file versions. Version 11 is ours: version 10 with u32 references
// and list counts, written only for a graph that does not fit in u16 ids
// or counts.
enum : uint16_t {
    kTreeVersion = 10,
    kTreeVersionWide = 11,
};

class WriteContext {
public:
    explicit WriteContext(bool wide = false) : wide_(wide) {}
    bool wide() const { return wide_; }
    // The object's id, handed out on the first request; 0 for null.
    uint32_t idOf(const void* object);
    bool writeRef(obwstream& out, const void* object);
    bool writeCount(obwstream& out, size_t n);
    void clear() { ids_.clear(); next_ = 1; }
    void reserve(size_t objects) { ids_.reserve(objects); }

    // A save while downloads run: a node being fetched is written as
    // queued, without the marks of a rewritten copy (its file may be
    // replaced at any moment, and undoing a rewrite on a fresh copy would
    // spoil it); the node itself is left as it is.
    bool loadingAsQueued = false;
    // Set while the links of such a node are written: their saved
    // positions go out as none.
    bool unrewrittenLinks = false;

private:
    std::unordered_map<const void*, uint32_t> ids_;
    uint32_t next_ = 1;
    bool wide_;
};

class ReadContext {
public:
    // Records nest no deeper than the parts of the longest URL the program
    // makes; a deeper file is broken (and would exhaust the stack).
    static constexpr int kMaxDepth = 1100;

    explicit ReadContext(uint16_t version, AStr outputFolder = AStr())
        : version_(version), outputFolder_(std::move(outputFolder)) {}
    uint16_t version() const { return version_; }
    // Folder against which the absolute paths of versions before 5 are
    // made relative.
    const AStr& outputFolder() const { return outputFolder_; }

    // A reference: u32 before version 4 and in version 11, else u16.
    bool readRef(ibwstream& in, uint32_t& id);
    bool readCount(ibwstream& in, uint32_t& n);
    // Flags: u16 extended with sign before version 10.
    bool readFlags(ibwstream& in, uint32_t& flags);

    void registerObject(uint32_t id, ToBeOpenTN* node);
    void addTarget(ExtractNode* link, uint32_t id);
    // Sorts the table and sets every registered link's target; the links
    // whose id no node carries.
    std::vector<ExtractNode*> resolveTargets();
    ToBeOpenTN* lookup(uint32_t id) const;

    // Nesting of the node being read.
    bool enter() { return ++depth_ <= kMaxDepth; }
    void leave() { --depth_; }

    // The node whose list of link records broke off in damaged data (its
    // own fields were read whole); null when none did.
    void setCutPage(ToBeOpenTN* node) { cutPage_ = node; }
    ToBeOpenTN* cutPage() const { return cutPage_; }

private:
    uint16_t version_;
    AStr outputFolder_;
    std::vector<std::pair<uint32_t, ToBeOpenTN*>> table_;
    std::vector<std::pair<ExtractNode*, uint32_t>> targets_;
    int depth_ = 0;
    ToBeOpenTN* cutPage_ = nullptr;
};
