#pragma once
// The product tree of the updater: installed products read from the
// registry and current ones read from a content description share one
// node type. A node owns its children and its fields.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The number a version text stands for: blanks skipped, an optional sign,
// then decimal digits up to the first non-digit; no digits give 0. So 2.10
// and 2 both give 2. Texts too large for 32 bits saturate instead of
// wrapping, so a huge server version never reads as a negative one.
int32_t LeadingInteger(std::string_view text);

struct ObjectProp {
    std::string title;
    std::string version;
    int32_t versionNumber = 0;  // 0: a group
    std::string contentUrl;
    std::string productUrl;
    std::string newVersion;  // newer version a check found; empty if none
    int32_t newVersionNumber = 0;
    std::string lastSeen;  // version the user asked not to be reminded of
    int32_t lastSeenNumber = 0;
};

class ObjNode {
public:
    enum : uint16_t { Checked = 1, UpdateAvailable = 2, CheckSucceeded = 4, CheckFailed = 8 };

    ObjNode();
    explicit ObjNode(const ObjectProp& prop);
    // A product: the last seen version starts as the installed one.
    static std::unique_ptr<ObjNode> product(std::string title, std::string version, int32_t versionNumber,
                                            std::string productUrl);
    static std::unique_ptr<ObjNode> group(std::string title, std::string contentUrl);
    ObjNode(const ObjNode&) = delete;
    ObjNode& operator=(const ObjNode&) = delete;
    // Destroys the subtree without recursion: descriptions may nest deeply.
    ~ObjNode();

    ObjectProp& prop() { return *prop_; }
    const ObjectProp& prop() const { return *prop_; }

    ObjNode* parent() const { return parent_; }
    ObjNode* prevSibling() const { return prev_; }
    ObjNode* nextSibling() const { return next_; }
    ObjNode* firstChild() const { return first_; }
    ObjNode* lastChild() const { return last_; }

    ObjNode* append(std::unique_ptr<ObjNode> child);
    // Before the given child of this node, or first when before is null.
    ObjNode* insertBefore(std::unique_ptr<ObjNode> child, ObjNode* before);
    std::unique_ptr<ObjNode> remove(ObjNode* child);
    void clearChildren();

    int depth() const;
    // The next node in pre-order, not leaving the subtree of top.
    ObjNode* nextInTree(const ObjNode* top) const;

    // Sets the flag in flags here and in childFlags of every ancestor.
    void mark(uint16_t flag);

    uint16_t flags = 0;
    uint16_t childFlags = 0;
    void* treeItem = nullptr;  // the tree view's item while shown

private:
    ObjNode* insertBefore(std::unique_ptr<ObjNode> child, ObjNode* before, bool atEnd);

    std::unique_ptr<ObjectProp> prop_;
    ObjNode* parent_ = nullptr;
    ObjNode* prev_ = nullptr;
    ObjNode* next_ = nullptr;
    ObjNode* first_ = nullptr;
    ObjNode* last_ = nullptr;
};
