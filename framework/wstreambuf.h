#pragma once
// Stream buffers: the byte sources and sinks under every stream. Virtual
// slots in this order: destructor, is open, close, flush, read, skip,
// write, seek, size, error. The internet buffers add slot 10.

#include <cstddef>

enum class seekdir { beg, cur, end };

class wstreambuf {
public:
    wstreambuf() = default;
    wstreambuf(const wstreambuf&) = delete;
    wstreambuf& operator=(const wstreambuf&) = delete;

    virtual ~wstreambuf() = default;
    virtual bool isOpen() const { return true; }
    virtual int close() { return 0; }
    virtual int flush() { return 0; }
    // Bytes read (0 at the end), or -1 on an error.
    virtual long long read(void* buf, size_t n);
    // Skips n bytes; returns the number skipped, or -1 on an error.
    virtual long long skip(long long n);
    // Bytes written (fewer than n: the medium is full), or -1 on an error.
    virtual long long write(const void* buf, size_t n);
    // The new position, or -1 when the buffer cannot seek.
    virtual long long seek(long long offset, seekdir dir);
    // Total size in bytes, or -1 when unknown.
    virtual long long size() { return -1; }
    // The platform's code for the last failure, 0 when none.
    virtual int error() const { return 0; }
};
