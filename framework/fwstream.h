#pragma once
// File streams: binary input from and output to a file of their own.

#include "framework/bwstream.h"
#include "framework/fwstreambuf.h"

class ifwstream : public ibwstream {
public:
    ifwstream() : ibwstream(new ifwstreambuf, true) { setstate(failbit); }
    explicit ifwstream(const char* path) : ibwstream(new ifwstreambuf, true) { (void)open(path); }
    // 0, or the platform's code; the stream is good only when it opened.
    [[nodiscard]] int open(const char* path);
    int close() { return file().close(); }
    ifwstreambuf& file() { return *static_cast<ifwstreambuf*>(rdbuf()); }
};

class ofwstream : public obwstream {
public:
    ofwstream() : obwstream(new ofwstreambuf, true) { setstate(failbit); }
    explicit ofwstream(const char* path) : obwstream(new ofwstreambuf, true) { (void)open(path); }
    // Creates the file (emptying an existing one); 0 or the platform's code.
    [[nodiscard]] int open(const char* path);
    ofwstreambuf& file() { return *static_cast<ofwstreambuf*>(rdbuf()); }
};
