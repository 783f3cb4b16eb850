#pragma once
// Text output: strings and numbers as text, for debug dumps, logs and
// pages. otfwstream writes to a file of its own.

#include <string_view>

#include "framework/AStr.h"
#include "framework/bwstream.h"
#include "framework/fwstreambuf.h"
#include "framework/mwstreambuf.h"

class otwstream : public owstream {
public:
    using owstream::owstream;

    otwstream& operator<<(std::string_view s) { write(s); return *this; }
    otwstream& operator<<(const char* s) { if (s) write(std::string_view(s)); return *this; }
    otwstream& operator<<(const AStr& s) { write(s.view()); return *this; }
    otwstream& operator<<(char c) { put(c); return *this; }
    otwstream& operator<<(int v) { return *this << static_cast<long long>(v); }
    otwstream& operator<<(unsigned v) { return *this << static_cast<unsigned long long>(v); }
    otwstream& operator<<(long v) { return *this << static_cast<long long>(v); }
    otwstream& operator<<(unsigned long v) { return *this << static_cast<unsigned long long>(v); }
    otwstream& operator<<(long long v);
    otwstream& operator<<(unsigned long long v);
    otwstream& operator<<(const void* p);
    // Two blanks for each level, for nested debug dumps.
    otwstream& indent(int level);
    otwstream& printf(const char* fmt, ...) ZB_PRINTF(2, 3);
};

class otfwstream : public otwstream {
public:
    explicit otfwstream(const char* path) : otwstream(new ofwstreambuf(path), true) {
        if (!rdbuf()->isOpen()) setstate(failbit);
    }
};

// Text into memory, for tests and for building texts piece by piece.
class otmwstream : public otwstream {
public:
    otmwstream() : otwstream(new omwstreambuf, true, 256) {}
    std::string_view data() { flush(); return static_cast<omwstreambuf*>(rdbuf())->view(); }
};
