#include "site/PersistContext.h"

#include <algorithm>

#include "framework/bwstream.h"
#include "site/ExtractList.h"

uint32_t WriteContext::idOf(const void* object) {
    if (!object) return 0;
    auto [it, added] = ids_.try_emplace(object, next_);
    if (added) ++next_;
    return it->second;
}

bool WriteContext::writeRef(obwstream& out, const void* object) {
    uint32_t id = idOf(object);
    return wide_ ? out.writeU32(id) : out.writeU16(static_cast<uint16_t>(id));
}

bool WriteContext::writeCount(obwstream& out, size_t n) {
    return wide_ ? out.writeU32(static_cast<uint32_t>(n)) : out.writeCount(static_cast<uint16_t>(n));
}

bool ReadContext::readRef(ibwstream& in, uint32_t& id) {
    if (version_ < 4 || version_ >= kTreeVersionWide) return in.readU32(id);
    uint16_t v = 0;
    bool ok = in.readU16(v);
    id = v;
    return ok;
}

bool ReadContext::readCount(ibwstream& in, uint32_t& n) {
    if (version_ >= kTreeVersionWide) return in.readU32(n);
    uint16_t v = 0;
    bool ok = in.readCount(v);
    n = v;
    return ok;
}

bool ReadContext::readFlags(ibwstream& in, uint32_t& flags) {
    if (version_ >= 10) return in.readU32(flags);
    uint16_t v = 0;
    bool ok = in.readU16(v);
    flags = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(v)));
    return ok;
}

void ReadContext::registerObject(uint32_t id, ToBeOpenTN* node) {
    if (id != 0) table_.emplace_back(id, node);
}

void ReadContext::addTarget(ExtractNode* link, uint32_t id) {
    if (id != 0) targets_.emplace_back(link, id);
}

std::vector<ExtractNode*> ReadContext::resolveTargets() {
    // Stable: of two nodes that claim one id the first read wins.
    std::stable_sort(table_.begin(), table_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ExtractNode*> unknown;
    for (auto& [link, id] : targets_) {
        link->target = lookup(id);
        if (!link->target) unknown.push_back(link);
    }
    targets_.clear();
    return unknown;
}

ToBeOpenTN* ReadContext::lookup(uint32_t id) const {
    auto it = std::lower_bound(table_.begin(), table_.end(), id, [](const auto& e, uint32_t v) { return e.first < v; });
    return it != table_.end() && it->first == id ? it->second : nullptr;
}
