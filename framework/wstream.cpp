#include "framework/wstream.h"

wstream::~wstream() {
    if (own_) delete buf_;
}

void wstream::setbuf(wstreambuf* buf, bool own) {
    if (own_ && buf_ != buf) delete buf_;
    buf_ = buf;
    own_ = own;
    state_ = goodbit;
}
