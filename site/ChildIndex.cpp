#include "site/ChildIndex.h"

#include <algorithm>

#include "site/ToBeOpenTN.h"

ChildIndex::ChildIndex(const ToBeOpenTN& folder) : folder_(folder) {
    for (ToBeOpenTN* c = folder.firstChild(); c; c = c->nextSibling()) {
        if (runs_.empty() || runs_.back().items.size() >= kRun / 2) runs_.emplace_back();
        runs_.back().items.push_back(c);
    }
    for (Run& r : runs_) {
        recompute(r);
        setLast(r);
    }
    recomputeMax();
}

void ChildIndex::setLast(Run& r) { r.last = r.items.back()->name.view(); }

ChildIndex::Pos ChildIndex::lower(std::string_view name) const {
    // The first run whose last child does not sort before name.
    auto it = std::partition_point(runs_.begin(), runs_.end(), [&](const Run& r) {
        return folder_.compareChild(r.last, name) < 0;
    });
    if (it == runs_.end()) return {runs_.size(), 0};
    auto in = std::partition_point(it->items.begin(), it->items.end(), [&](const ToBeOpenTN* c) {
        return folder_.compareChild(c->name, name) < 0;
    });
    return {static_cast<size_t>(it - runs_.begin()), static_cast<size_t>(in - it->items.begin())};
}

ChildIndex::Pos ChildIndex::upper(std::string_view name) const {
    auto it = std::partition_point(runs_.begin(), runs_.end(), [&](const Run& r) {
        return folder_.compareChild(r.last, name) <= 0;
    });
    if (it == runs_.end()) return {runs_.size(), 0};
    auto in = std::partition_point(it->items.begin(), it->items.end(), [&](const ToBeOpenTN* c) {
        return folder_.compareChild(c->name, name) <= 0;
    });
    return {static_cast<size_t>(it - runs_.begin()), static_cast<size_t>(in - it->items.begin())};
}

ToBeOpenTN* ChildIndex::at(Pos p) const {
    while (p.run < runs_.size() && p.item >= runs_[p.run].items.size()) {
        ++p.run;
        p.item = 0;
    }
    return p.run < runs_.size() ? runs_[p.run].items[p.item] : nullptr;
}

ToBeOpenTN* ChildIndex::lowerBound(std::string_view name) const {
    Pos p = lower(name);
    ToBeOpenTN* c = at(p);
    missedValid_ = !c || folder_.compareChild(c->name, name) != 0;
    if (missedValid_) {
        missedName_.assign(name);
        missedAt_ = p;
    }
    return c;
}
ToBeOpenTN* ChildIndex::upperBound(std::string_view name) const { return at(upper(name)); }

ChildIndex::Pos ChildIndex::locate(const ToBeOpenTN* child) const {
    if (lastRun_ < runs_.size()) {
        const std::vector<ToBeOpenTN*>& items = runs_[lastRun_].items;
        auto it = std::find(items.begin(), items.end(), child);
        if (it != items.end()) return {lastRun_, static_cast<size_t>(it - items.begin())};
    }
    // Children of the same name are rare (only from a damaged tree file):
    // walk them until the pointer matches.
    Pos p = lower(child->name);
    while (p.run < runs_.size()) {
        const std::vector<ToBeOpenTN*>& items = runs_[p.run].items;
        for (; p.item < items.size(); ++p.item)
            if (items[p.item] == child) {
                lastRun_ = p.run;
                return p;
            }
        ++p.run;
        p.item = 0;
    }
    return p;
}

ToBeOpenTN* ChildIndex::insert(ToBeOpenTN* child) {
    // In order already (reading a file, names met in order): no search.
    bool atEnd = runs_.empty() || folder_.compareChild(runs_.back().last, child->name) <= 0;
    Pos p;
    if (atEnd) p = {runs_.size(), 0};
    else if (missedValid_ && missedName_ == child->name.view()) p = missedAt_;  // no equal name: lower is upper
    else p = upper(child->name);
    missedValid_ = false;
    if (p.run == runs_.size()) {
        if (runs_.empty() || runs_.back().items.size() >= kRun) runs_.emplace_back();
        p = {runs_.size() - 1, runs_.back().items.size()};
    }
    Run& r = runs_[p.run];
    r.items.insert(r.items.begin() + static_cast<std::ptrdiff_t>(p.item), child);
    if (p.item + 1 == r.items.size()) setLast(r);
    r.max = std::max(r.max, child->subtreePriority);
    max_ = std::max(max_, child->subtreePriority);
    lastRun_ = p.run;
    if (r.items.size() > kRun) {
        if (p.item >= kRun / 2) ++lastRun_;
        Run second;
        second.items.assign(r.items.begin() + kRun / 2, r.items.end());
        r.items.resize(kRun / 2);
        recompute(r);
        recompute(second);
        setLast(r);
        setLast(second);
        runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(p.run) + 1, std::move(second));
        if (p.item >= kRun / 2) p = {p.run + 1, p.item - kRun / 2};
    }
    return at({p.run, p.item + 1});
}

void ChildIndex::erase(const ToBeOpenTN* child) {
    Pos p = locate(child);
    if (p.run == runs_.size()) return;
    Run& r = runs_[p.run];
    missedValid_ = false;
    r.items.erase(r.items.begin() + static_cast<std::ptrdiff_t>(p.item));
    if (r.items.empty()) {
        runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(p.run));
    } else {
        recompute(r);
        setLast(r);
    }
    recomputeMax();
}

void ChildIndex::priorityChanged(const ToBeOpenTN* child, uint16_t oldPriority) {
    uint16_t now = child->subtreePriority;
    if (now == oldPriority) return;
    Pos p = locate(child);
    if (p.run == runs_.size()) return;
    Run& r = runs_[p.run];
    // Only a fall of the largest value needs a new scan.
    if (now >= r.max) r.max = now;
    else if (oldPriority == r.max) recompute(r);
    if (now >= max_) max_ = now;
    else if (oldPriority == max_) recomputeMax();
}

ToBeOpenTN* ChildIndex::firstWithPriority(uint16_t p) const {
    for (size_t k = 0; k < runs_.size(); ++k) {
        if (runs_[k].max != p) continue;
        for (ToBeOpenTN* c : runs_[k].items)
            if (c->subtreePriority == p) {
                lastRun_ = k;
                return c;
            }
    }
    return nullptr;
}

void ChildIndex::recompute(Run& r) {
    r.max = 0;
    for (const ToBeOpenTN* c : r.items) r.max = std::max(r.max, c->subtreePriority);
}

void ChildIndex::recomputeMax() {
    max_ = 0;
    for (const Run& r : runs_) max_ = std::max(max_, r.max);
}
