#pragma once
// Resource input: the bytes of a data resource of a loaded library (a
// resource of the DLL on Windows, a catalogue entry on POSIX).

#include "framework/bwstream.h"
#include "framework/mwstreambuf.h"
#include "platform/Library.h"

class ireswstreambuf : public mwstreambuf {
public:
    ireswstreambuf(const platform::Library* lib, unsigned id)
        : mwstreambuf(lib ? lib->data(id) : std::string_view()), found_(lib && !lib->data(id).empty()) {}
    bool isOpen() const override { return found_; }

private:
    bool found_;
};

class ireswstream : public ibwstream {
public:
    ireswstream(const platform::Library* lib, unsigned id) : ibwstream(new ireswstreambuf(lib, id), true, 0) {
        if (!rdbuf()->isOpen()) setstate(failbit);
    }
};
