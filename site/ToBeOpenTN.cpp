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

ToBeOpenTN::~ToBeOpenTN() {
    clearChildren();
    dropFromParentIndex();
}

void ToBeOpenTN::dropFromParentIndex() {
    ToBeOpenTN* p = parentNode();
    if (!p) return;
    if (p->lookupHint == this) p->lookupHint = nullptr;
    if (p->index_) p->index_->erase(this);
    if (p->names_) p->names_->erase(this);
}

void ToBeOpenTN::clearChildren() {
    index_.reset();
    names_.reset();
    lookupHint = nullptr;
    List::clear();
}

int ToBeOpenTN::compareChild(std::string_view a, std::string_view b) const {
    return platform::CompareAnsi(a, b, childrenIgnoreCase());
}

ToBeOpenTN* ToBeOpenTN::walkFind(std::string_view childName) {
    // The walk starts at the child found last when the name sorts at or
    // after it: links of one page often lead into one folder in order.
    // The same name as the hint: the walk would stop there at once.
    if (lookupHint && lookupHint->name.view() == childName) return lookupHint;
    ToBeOpenTN* c = firstChild();
    if (lookupHint && compareChild(childName, lookupHint->name) >= 0) c = lookupHint;
    for (; c; c = c->nextSibling()) {
        int r = compareChild(c->name, childName);
        if (r == 0) return c;
        if (r > 0) break;
    }
    return nullptr;
}

ToBeOpenTN* ToBeOpenTN::findChild(std::string_view childName) {
    ToBeOpenTN* found = nullptr;
    if (names_) {
        found = names_->find(childName);
    } else if (index_) {
        ToBeOpenTN* c = index_->lowerBound(childName);
        if (c && compareChild(c->name, childName) == 0) found = c;
    } else {
        found = walkFind(childName);
    }
    if (found) lookupHint = found;
    return found;
}

void ToBeOpenTN::insertChild(ToBeOpenTN* child) {
    child->unlink();
    if (index_) {
        insertBefore(index_->insert(child), child);
        if (names_) names_->insert(child);
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
            index_ = std::make_unique<ChildIndex>(*this);
            if (!childrenIgnoreCase()) names_ = std::make_unique<ChildNameTable>(*this);
        }
    }
    lookupHint = child;
}

uint16_t ToBeOpenTN::childrenPriority() const {
    if (index_) return index_->maxPriority();
    uint16_t m = 0;
    for (ToBeOpenTN* c = firstChild(); c; c = c->nextSibling()) m = std::max(m, c->subtreePriority);
    return m;
}

ToBeOpenTN* ToBeOpenTN::firstChildWithPriority(uint16_t p) const {
    if (index_) return index_->firstWithPriority(p);
    for (ToBeOpenTN* c = firstChild(); c; c = c->nextSibling())
        if (c->subtreePriority == p) return c;
    return nullptr;
}

void ToBeOpenTN::childPriorityChanged(ToBeOpenTN* child, uint16_t oldPriority) {
    if (index_) index_->priorityChanged(child, oldPriority);
}
