#pragma once
// The progress reports of the last five minutes, for the rate the status
// bar shows.

#include <cstdint>

#include "framework/List.h"

class SizeReceivedNode : public Node {
public:
    SizeReceivedNode(uint32_t bytes, uint32_t tick) : bytes(bytes), tick(tick) {}
    bool isStored() const override { return false; }
    uint32_t bytes;
    uint32_t tick;
};

class TransferRate {
public:
    static constexpr uint32_t kSpanMs = 300000;

    // Drops the reports older than the span, then records this one.
    void add(uint32_t bytes, uint32_t now);
    // Bytes per second over the recorded reports up to now; 0 without any.
    double bytesPerSecond(uint32_t now) const;
    void clear() { list_.clear(); }
    size_t count() const { return list_.count(); }

private:
    void dropOlderThan(uint32_t now);
    List list_;
};
