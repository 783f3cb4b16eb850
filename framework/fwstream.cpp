#include "framework/fwstream.h"

int ifwstream::open(const char* path) {
    setbuf(new ifwstreambuf, true);
    int e = file().open(path);
    if (e) setstate(failbit);
    return e;
}

int ofwstream::open(const char* path) {
    setbuf(new ofwstreambuf, true);
    int e = file().open(path);
    if (e) setstate(failbit);
    return e;
}
