#include "updater/ObjNode.h"

#include <limits>

int32_t LeadingInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

ObjNode::ObjNode() : prop_(std::make_unique<ObjectProp>()) {}

ObjNode::ObjNode(const ObjectProp& prop) : prop_(std::make_unique<ObjectProp>(prop)) {}

std::unique_ptr<ObjNode> ObjNode::product(std::string title, std::string version, int32_t versionNumber,
                                          std::string productUrl) {
    auto n = std::make_unique<ObjNode>();
    ObjectProp& p = n->prop();
    p.title = std::move(title);
    p.lastSeen = version;
    p.lastSeenNumber = versionNumber;
    p.version = std::move(version);
    p.versionNumber = versionNumber;
    p.productUrl = std::move(productUrl);
    return n;
}

std::unique_ptr<ObjNode> ObjNode::group(std::string title, std::string contentUrl) {
    auto n = std::make_unique<ObjNode>();
    n->prop().title = std::move(title);
    n->prop().contentUrl = std::move(contentUrl);
    return n;
}

ObjNode::~ObjNode() { clearChildren(); }

void ObjNode::clearChildren() {
    // Deletes leaves bottom-up: a node is deleted only once it has no children.
    ObjNode* n = first_;
    while (n) {
        if (n->first_) {
            n = n->first_;
            continue;
        }
        ObjNode* up = n->parent_;
        ObjNode* next = n->next_;
        up->first_ = next;
        if (next) next->prev_ = nullptr;
        else up->last_ = nullptr;
        n->parent_ = nullptr;
        delete n;
        if (next) n = next;
        else n = up == this ? nullptr : up;
    }
}

ObjNode* ObjNode::append(std::unique_ptr<ObjNode> child) { return insertBefore(std::move(child), nullptr, true); }

ObjNode* ObjNode::insertBefore(std::unique_ptr<ObjNode> child, ObjNode* before) {
    return insertBefore(std::move(child), before, false);
}

ObjNode* ObjNode::insertBefore(std::unique_ptr<ObjNode> child, ObjNode* before, bool atEnd) {
    ObjNode* c = child.release();
    c->parent_ = this;
    if (atEnd) {
        c->prev_ = last_;
        c->next_ = nullptr;
        if (last_) last_->next_ = c;
        else first_ = c;
        last_ = c;
        return c;
    }
    if (!before) before = first_;
    c->next_ = before;
    c->prev_ = before ? before->prev_ : last_;
    if (c->prev_) c->prev_->next_ = c;
    else first_ = c;
    if (before) before->prev_ = c;
    else last_ = c;
    return c;
}

std::unique_ptr<ObjNode> ObjNode::remove(ObjNode* child) {
    if (!child || child->parent_ != this) return nullptr;
    if (child->prev_) child->prev_->next_ = child->next_;
    else first_ = child->next_;
    if (child->next_) child->next_->prev_ = child->prev_;
    else last_ = child->prev_;
    child->parent_ = child->prev_ = child->next_ = nullptr;
    return std::unique_ptr<ObjNode>(child);
}

int ObjNode::depth() const {
    int d = 0;
    for (const ObjNode* p = parent_; p; p = p->parent_) ++d;
    return d;
}

ObjNode* ObjNode::nextInTree(const ObjNode* top) const {
    if (first_) return first_;
    for (const ObjNode* n = this; n && n != top; n = n->parent_) {
        if (n->next_) return n->next_;
    }
    return nullptr;
}

void ObjNode::mark(uint16_t flag) {
    flags |= flag;
    for (ObjNode* p = parent_; p; p = p->parent_) p->childFlags |= flag;
}
