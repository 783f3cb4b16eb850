#include "engine/TransferRate.h"

void TransferRate::dropOlderThan(uint32_t now) {
    while (auto* n = static_cast<SizeReceivedNode*>(list_.first())) {
        if (now - n->tick <= kSpanMs) break;
        delete n;
    }
}

void TransferRate::add(uint32_t bytes, uint32_t now) {
    dropOlderThan(now);
    list_.append(new SizeReceivedNode(bytes, now));
}

double TransferRate::bytesPerSecond(uint32_t now) const {
    auto* first = static_cast<SizeReceivedNode*>(list_.first());
    if (!first) return 0;
    uint64_t bytes = 0;
    for (Node* n = list_.first(); n; n = n->next()) bytes += static_cast<SizeReceivedNode*>(n)->bytes;
    // The first report stands for what arrived in the interval before it.
    uint32_t span = now - first->tick + 7500;
    return static_cast<double>(bytes) * 1000.0 / span;
}
