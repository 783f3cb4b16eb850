#include "framework/bwstream.h"

#include <cstring>

ibwstream::ibwstream(wstreambuf* buf, bool own, size_t bufferSize)
    : wstream(buf, own), data_(bufferSize ? new char[bufferSize] : nullptr), cap_(bufferSize) {}

void ibwstream::setbuf(wstreambuf* buf, bool own) {
    wstream::setbuf(buf, own);
    pos_ = end_ = 0;
    consumed_ = 0;
}

bool ibwstream::fill() {
    if (!buf_ || (state_ & failbit)) return false;
    consumed_ += static_cast<long long>(end_);
    pos_ = end_ = 0;
    long long r = buf_->read(data_.get(), cap_);
    if (r < 0) { setstate(failbit); return false; }
    if (r == 0) return false;
    end_ = static_cast<size_t>(r);
    return true;
}

size_t ibwstream::read(void* p, size_t n) {
    char* out = static_cast<char*>(p);
    size_t done = 0;
    if (!buf_ || (state_ & failbit)) { setstate(failbit); return 0; }
    while (done < n) {
        if (pos_ < end_) {
            size_t k = end_ - pos_ < n - done ? end_ - pos_ : n - done;
            std::memcpy(out + done, data_.get() + pos_, k);
            pos_ += k;
            done += k;
            continue;
        }
        if (cap_ == 0 || n - done >= cap_) {
            // Large reads, or no buffer: straight from the stream buffer.
            consumed_ += static_cast<long long>(end_);
            pos_ = end_ = 0;
            long long r = buf_->read(out + done, n - done);
            if (r < 0) { setstate(failbit); break; }
            if (r == 0) { setstate(eofbit | failbit); break; }
            done += static_cast<size_t>(r);
            consumed_ += r;
            continue;
        }
        if (!fill()) {
            if (!(state_ & failbit)) setstate(eofbit | failbit);
            break;
        }
    }
    return done;
}

int ibwstream::get() {
    unsigned char c;
    if (pos_ < end_ && !(state_ & failbit)) return static_cast<unsigned char>(data_[pos_++]);
    return read(&c, 1) == 1 ? c : -1;
}

int ibwstream::peek() {
    if (state_ & failbit) return -1;
    if (pos_ < end_) return static_cast<unsigned char>(data_[pos_]);
    if (cap_ == 0) {
        // Without a buffer of our own peeking needs a seekable buffer.
        long long at = tell();
        int c = get();
        if (c >= 0 && !seek(at)) return -1;
        return c;
    }
    if (!fill()) {
        if (!(state_ & failbit)) setstate(eofbit);
        return -1;
    }
    return static_cast<unsigned char>(data_[pos_]);
}

bool ibwstream::readU8(uint8_t& v) {
    int c = get();
    if (c < 0) return false;
    v = static_cast<uint8_t>(c);
    return true;
}

bool ibwstream::readU16(uint16_t& v) {
    unsigned char b[2];
    if (read(b, 2) != 2) return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool ibwstream::readU32(uint32_t& v) {
    unsigned char b[4];
    if (read(b, 4) != 4) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool ibwstream::readI32(int32_t& v) {
    uint32_t u;
    if (!readU32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
}

bool ibwstream::readString(AStr& s) {
    uint16_t n;
    s.clear();
    if (!readU16(n)) return false;
    if (n == 0) return true;
    char* p = s.resize(n);
    size_t got = read(p, n);
    s.truncate(got);
    return got == n;
}

long long ibwstream::tell() {
    if (!buf_) return -1;
    return consumed_ + static_cast<long long>(pos_);
}

bool ibwstream::seek(long long pos) {
    if (!buf_ || pos < 0) return false;
    if (pos >= consumed_ && pos <= consumed_ + static_cast<long long>(end_)) {
        pos_ = static_cast<size_t>(pos - consumed_);
        state_ &= ~(eofbit | failbit);
        return true;
    }
    long long r = buf_->seek(pos, seekdir::beg);
    if (r < 0) { setstate(failbit); return false; }
    consumed_ = r;
    pos_ = end_ = 0;
    state_ &= ~(eofbit | failbit);
    return true;
}

bool ibwstream::atEnd() { return peek() < 0; }

owstream::owstream(wstreambuf* buf, bool own, size_t bufferSize)
    : wstream(buf, own), data_(new char[bufferSize ? bufferSize : 1]), cap_(bufferSize ? bufferSize : 1) {}

owstream::~owstream() { flush(); }

void owstream::setbuf(wstreambuf* buf, bool own) {
    flush();
    wstream::setbuf(buf, own);
    len_ = 0;
    written_ = 0;
    firstError_ = 0;
}

bool owstream::flush() {
    if (len_ == 0) return !fail();
    if (!buf_ || (state_ & failbit)) { len_ = 0; setstate(failbit); return false; }
    long long r = buf_->write(data_.get(), len_);
    if (r < 0 || static_cast<size_t>(r) < len_) {
        if (!firstError_) firstError_ = buf_->error() ? buf_->error() : 112;
        setstate(failbit);
        if (r > 0) written_ += r;
        len_ = 0;
        return false;
    }
    written_ += r;
    len_ = 0;
    return true;
}

bool owstream::write(const void* p, size_t n) {
    const char* in = static_cast<const char*>(p);
    if (!buf_ || (state_ & failbit)) { setstate(failbit); return false; }
    if (len_ + n <= cap_) {
        std::memcpy(data_.get() + len_, in, n);
        len_ += n;
        return true;
    }
    if (!flush()) return false;
    if (n >= cap_) {
        long long r = buf_->write(in, n);
        if (r < 0 || static_cast<size_t>(r) < n) {
            if (!firstError_) firstError_ = buf_->error() ? buf_->error() : 112;
            setstate(failbit);
            if (r > 0) written_ += r;
            return false;
        }
        written_ += r;
        return true;
    }
    std::memcpy(data_.get(), in, n);
    len_ = n;
    return true;
}

bool owstream::put(char c) {
    if (len_ < cap_ && buf_ && !(state_ & failbit)) {
        data_[len_++] = c;
        return true;
    }
    return write(&c, 1);
}

int owstream::close() {
    flush();
    if (buf_) {
        int e = buf_->close();
        if (e && !firstError_) firstError_ = e;
    }
    if (firstError_) setstate(failbit);
    return firstError_ ? firstError_ : (fail() ? -1 : 0);
}

bool obwstream::writeU8(uint8_t v) { return put(static_cast<char>(v)); }

bool obwstream::writeU16(uint16_t v) {
    unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    return write(b, 2);
}

bool obwstream::writeU32(uint32_t v) {
    unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                          static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    return write(b, 4);
}

bool obwstream::writeString(std::string_view s) {
    if (s.size() > kMaxString) s = s.substr(0, kMaxString);
    return writeU16(static_cast<uint16_t>(s.size())) && write(s.data(), s.size());
}
