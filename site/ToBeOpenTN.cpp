#include "site/ToBeOpenTN.h"

#include <algorithm>

#include "platform/Text.h"
#include "site/ChildIndex.h"
#include "site/ChildNameTable.h"

namespace {
// Folders with fewer children are walked; the index pays from here on.
constexpr size_t kIndexFrom = 48;
}  // namespace

bool RefFromList::contains(const ToBeOpenTN* page) const {
    return std::find(begin(), end(), page) != end();
}

void RefFromList::append(ToBeOpenTN* page) {
    if (cap_ == 0 && count_ == 0) {
        one_ = page;
        count_ = 1;
        return;
    }
    if (count_ == cap_ || cap_ == 0) {
        const uint32_t cap = cap_ ? cap_ * 2 : 4;
        auto** grown = new ToBeOpenTN*[cap];
        std::copy(begin(), end(), grown);
        if (cap_) delete[] many_;
        many_ = grown;
        cap_ = cap;
    }
    many_[count_++] = page;
}

bool RefFromList::removeRef(const ToBeOpenTN* page) {
    // From the end: the entries of the page processed last are there.
    ToBeOpenTN** items = cap_ ? many_ : &one_;
    for (uint32_t i = count_; i-- > 0;)
        if (items[i] == page) {
            std::copy(items + i + 1, items + count_, items + i);
            --count_;
            if (cap_ && count_ == 0) clear();
            return true;
        }
    return false;
}

void RefFromList::clear() {
    if (cap_) delete[] many_;
    one_ = nullptr;
    count_ = cap_ = 0;
}

ToBeOpenTN::ToBeOpenTN() = default;
ToBeOpenTN::ToBeOpenTN(std::string_view name, uint8_t level) : name(name), level(level) {}

ToBeOpenTN::ChildAids::~ChildAids() = default;

ToBeOpenTN::~ToBeOpenTN() {
    clearChildren();
    dropFromParentIndex();
}

void ToBeOpenTN::dropFromParentIndex() {
    ToBeOpenTN* p = parentNode();
    if (!p || !p->aids_) return;
    ChildAids& a = *p->aids_;
    if (a.hint == this) a.hint = nullptr;
    if (a.index) a.index->erase(this);
    if (a.names) a.names->erase(this);
}

void ToBeOpenTN::clearChildren() {
    aids_.reset();
    List::clear();
}

int ToBeOpenTN::compareChild(std::string_view a, std::string_view b) const {
    return platform::CompareAnsi(a, b, childrenIgnoreCase());
}

ToBeOpenTN* ToBeOpenTN::walkFind(std::string_view childName) {
    // The walk starts at the child found last when the name sorts at or
    // after it: links of one page often lead into one folder in order.
    // The same name as the hint: the walk would stop there at once.
    ToBeOpenTN* const h = hint();
    if (h && h->name.view() == childName) return h;
    ToBeOpenTN* c = firstChild();
    if (h && compareChild(childName, h->name) >= 0) c = h;
    for (; c; c = c->nextSibling()) {
        int r = compareChild(c->name, childName);
        if (r == 0) return c;
        if (r > 0) break;
    }
    return nullptr;
}

ToBeOpenTN* ToBeOpenTN::findChild(std::string_view childName) {
    if (empty()) return nullptr;
    ToBeOpenTN* found = nullptr;
    if (aids_ && aids_->names) {
        found = aids_->names->find(childName);
    } else if (ChildIndex* i = index()) {
        ToBeOpenTN* c = i->lowerBound(childName);
        if (c && compareChild(c->name, childName) == 0) found = c;
    } else {
        found = walkFind(childName);
    }
    if (found) {
        if (!aids_) aids_ = std::make_unique<ChildAids>();
        aids_->hint = found;
    }
    return found;
}

void ToBeOpenTN::insertChild(ToBeOpenTN* child) {
    child->unlink();
    if (!aids_) aids_ = std::make_unique<ChildAids>();
    if (aids_->index) {
        insertBefore(aids_->index->insert(child), child);
        if (aids_->names) aids_->names->insert(child);
    } else {
        ToBeOpenTN* tail = lastChild();
        if (!tail || compareChild(tail->name, child->name) <= 0) {
            append(child);  // in order already: the common case when reading
        } else {
            ToBeOpenTN* c = firstChild();
            while (c && compareChild(c->name, child->name) <= 0) c = c->nextSibling();
            insertBefore(c, child);
        }
        if (count() >= kIndexFrom) {
            aids_->index = std::make_unique<ChildIndex>(*this);
            if (!childrenIgnoreCase()) aids_->names = std::make_unique<ChildNameTable>(*this);
        }
    }
    aids_->hint = child;
}

uint16_t ToBeOpenTN::childrenPriority() const {
    if (ChildIndex* i = index()) return i->maxPriority();
    uint16_t m = 0;
    for (ToBeOpenTN* c = firstChild(); c; c = c->nextSibling()) m = std::max(m, c->subtreePriority);
    return m;
}

ToBeOpenTN* ToBeOpenTN::firstChildWithPriority(uint16_t p) const {
    if (ChildIndex* i = index()) return i->firstWithPriority(p);
    for (ToBeOpenTN* c = firstChild(); c; c = c->nextSibling())
        if (c->subtreePriority == p) return c;
    return nullptr;
}

void ToBeOpenTN::childPriorityChanged(ToBeOpenTN* child, uint16_t oldPriority) {
    if (ChildIndex* i = index()) i->priorityChanged(child, oldPriority);
}
