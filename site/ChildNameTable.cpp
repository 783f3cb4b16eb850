#include "site/ChildNameTable.h"

#include <functional>

#include "site/ToBeOpenTN.h"

ChildNameTable::ChildNameTable(const ToBeOpenTN& folder) {
    slots_.resize(64);
    for (ToBeOpenTN* c = folder.firstChild(); c; c = c->nextSibling()) insert(c);
}

size_t ChildNameTable::hashOf(std::string_view name) { return std::hash<std::string_view>{}(name); }

// The slot that holds name, or the empty slot where it would go.
size_t ChildNameTable::slotOf(std::string_view name, size_t hash) const {
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].child && (slots_[i].hash != hash || slots_[i].child->name.view() != name)) i = (i + 1) & mask;
    return i;
}

ToBeOpenTN* ChildNameTable::find(std::string_view name) const { return slots_[slotOf(name, hashOf(name))].child; }

void ChildNameTable::put(ToBeOpenTN* child, size_t hash) {
    size_t i = slotOf(child->name, hash);
    if (slots_[i].child) return;  // an earlier child of that name stays the one found
    slots_[i] = {hash, child};
    ++used_;
}

void ChildNameTable::insert(ToBeOpenTN* child) {
    if (2 * (used_ + 1) > slots_.size()) grow();
    put(child, hashOf(child->name));
}

void ChildNameTable::grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    used_ = 0;
    for (const Slot& s : old)
        if (s.child) put(s.child, s.hash);
}

void ChildNameTable::erase(const ToBeOpenTN* child) {
    size_t i = slotOf(child->name, hashOf(child->name));
    if (slots_[i].child != child) return;  // a later child of a repeated name
    // A child of the same name follows it directly in the sorted list.
    ToBeOpenTN* same = child->nextSibling();
    if (same && same->name.view() == child->name.view()) {
        slots_[i].child = same;
        return;
    }
    // Backward-shift deletion: entries further on in the probe run move
    // up, so that no lookup meets a hole before its own entry.
    const size_t mask = slots_.size() - 1;
    size_t hole = i;
    for (size_t j = (i + 1) & mask; slots_[j].child; j = (j + 1) & mask) {
        size_t home = slots_[j].hash & mask;
        // Entry j may fill the hole when its home is not in (hole, j].
        bool between = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
        if (!between) {
            slots_[hole] = slots_[j];
            hole = j;
        }
    }
    slots_[hole] = Slot();
    --used_;
}
