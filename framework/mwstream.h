#pragma once
// Memory streams: binary input from a block the caller keeps alive, and
// binary output into a block of the stream's own.

#include <string_view>

#include "framework/bwstream.h"
#include "framework/mwstreambuf.h"

class imwstream : public ibwstream {
public:
    imwstream(const void* data, size_t n) : ibwstream(new mwstreambuf(data, n), true, 0) {}
    explicit imwstream(std::string_view s) : imwstream(s.data(), s.size()) {}
};

class omwstream : public obwstream {
public:
    explicit omwstream(size_t limit = static_cast<size_t>(-1)) : obwstream(new omwstreambuf(limit), true, 256) {}
    // Everything written so far.
    std::string_view data() { flush(); return static_cast<omwstreambuf*>(rdbuf())->view(); }
};
