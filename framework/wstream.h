#pragma once
// Streams: a stream buffer (owned or borrowed) and a state. Once a stream
// has failed it stays failed until clear(); reads return nothing and
// writes are dropped.

#include <cstddef>

#include "framework/wstreambuf.h"

class wstream {
public:
    enum : int { goodbit = 0, eofbit = 1, failbit = 2 };

    explicit wstream(wstreambuf* buf = nullptr, bool own = false) : buf_(buf), own_(own) {}
    wstream(const wstream&) = delete;
    wstream& operator=(const wstream&) = delete;
    virtual ~wstream();

    wstreambuf* rdbuf() const { return buf_; }
    // Replaces the buffer, deleting an owned old one; resets the state.
    void setbuf(wstreambuf* buf, bool own);

    // Good: a buffer is there and nothing has failed or ended.
    bool good() const { return buf_ && state_ == goodbit; }
    bool fail() const { return !buf_ || (state_ & failbit); }
    bool eof() const { return state_ & eofbit; }
    explicit operator bool() const { return !fail(); }
    int rdstate() const { return state_; }
    void clear(int state = goodbit) { state_ = state; }
    void setstate(int bits) { state_ |= bits; }
    // The platform's code of the failure, when the buffer knows one.
    int error() const { return buf_ ? buf_->error() : 0; }

protected:
    wstreambuf* buf_;
    bool own_;
    int state_ = goodbit;
};
