#pragma once
// Binary streams: little-endian integers without alignment; strings as a
// u16 byte count and the bytes (cut at 65534); lists as a u16 count and
// the records; references as u16 ids (0 for none).

#include <cstdint>
#include <memory>
#include <string_view>

#include "framework/AStr.h"
#include "framework/wstream.h"

// Buffered input. A read that cannot be satisfied in full sets eof and
// fail; a buffer error sets fail alone.
class ibwstream : public wstream {
public:
    static constexpr size_t kDefaultBuffer = 1024;

    explicit ibwstream(wstreambuf* buf = nullptr, bool own = false, size_t bufferSize = kDefaultBuffer);
    // Reads through the buffer of another stream, which keeps owning it.
    explicit ibwstream(wstream& from, size_t bufferSize = kDefaultBuffer)
        : ibwstream(from.rdbuf(), false, bufferSize) {}

    // Bytes read; fewer than n at the end of the data or on an error.
    size_t read(void* p, size_t n);
    // The next byte, or -1 at the end or on an error.
    int get();
    int peek();

    bool readU8(uint8_t& v);
    bool readU16(uint16_t& v);
    bool readU32(uint32_t& v);
    bool readI32(int32_t& v);
    bool readString(AStr& s);
    // A u16 list count or reference.
    bool readCount(uint16_t& n) { return readU16(n); }

    // Position of the next byte, or -1 when the buffer cannot tell.
    long long tell();
    bool seek(long long pos);
    bool atEnd();

protected:
    void setbuf(wstreambuf* buf, bool own);

private:
    bool fill();

    std::unique_ptr<char[]> data_;
    size_t cap_;
    size_t pos_ = 0;
    size_t end_ = 0;
    long long consumed_ = 0;  // bytes taken from the buffer before data_
};

// Buffered output; flushed when full, on flush(), close() and destruction.
// A short or failed write of the buffer sets fail.
class owstream : public wstream {
public:
    static constexpr size_t kDefaultBuffer = 4096;

    explicit owstream(wstreambuf* buf = nullptr, bool own = false, size_t bufferSize = kDefaultBuffer);
    explicit owstream(wstream& to, size_t bufferSize = kDefaultBuffer) : owstream(to.rdbuf(), false, bufferSize) {}
    ~owstream() override;

    bool write(const void* p, size_t n);
    bool write(std::string_view s) { return write(s.data(), s.size()); }
    bool put(char c);
    // Pushes buffered bytes to the stream buffer. False when that failed.
    bool flush();
    // Flushes and closes the buffer; 0, or the platform's code of the
    // first failure (112 when the medium filled up).
    int close();
    long long tell() const { return written_ + static_cast<long long>(len_); }

protected:
    void setbuf(wstreambuf* buf, bool own);

private:
    std::unique_ptr<char[]> data_;
    size_t cap_;
    size_t len_ = 0;
    long long written_ = 0;
    int firstError_ = 0;
};

class obwstream : public owstream {
public:
    static constexpr size_t kMaxString = 65534;

    using owstream::owstream;
    bool writeU8(uint8_t v);
    bool writeU16(uint16_t v);
    bool writeU32(uint32_t v);
    bool writeI32(int32_t v) { return writeU32(static_cast<uint32_t>(v)); }
    // u16 count, then the bytes; longer strings are cut at kMaxString.
    bool writeString(std::string_view s);
    bool writeCount(uint16_t n) { return writeU16(n); }
};
