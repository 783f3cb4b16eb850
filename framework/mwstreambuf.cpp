#include "framework/mwstreambuf.h"

#include <cstring>

namespace {
long long Seek(size_t& pos, size_t size, long long offset, seekdir dir) {
    long long base = dir == seekdir::beg ? 0 : dir == seekdir::cur ? static_cast<long long>(pos) : static_cast<long long>(size);
    long long to = base + offset;
    if (to < 0) return -1;
    pos = static_cast<size_t>(to);
    return to;
}
}  // namespace

long long mwstreambuf::read(void* buf, size_t n) {
    if (pos_ >= size_) return 0;
    size_t k = size_ - pos_ < n ? size_ - pos_ : n;
    std::memcpy(buf, data_ + pos_, k);
    pos_ += k;
    return static_cast<long long>(k);
}

long long mwstreambuf::seek(long long offset, seekdir dir) { return Seek(pos_, size_, offset, dir); }

long long omwstreambuf::read(void* buf, size_t n) {
    if (pos_ >= data_.size()) return 0;
    size_t k = data_.size() - pos_ < n ? data_.size() - pos_ : n;
    std::memcpy(buf, data_.data() + pos_, k);
    pos_ += k;
    return static_cast<long long>(k);
}

long long omwstreambuf::write(const void* buf, size_t n) {
    if (pos_ >= limit_) { full_ = n > 0; return 0; }
    size_t k = limit_ - pos_ < n ? limit_ - pos_ : n;
    if (k < n) full_ = true;
    if (pos_ + k > data_.size()) data_.resize(pos_ + k);
    std::memcpy(data_.data() + pos_, buf, k);
    pos_ += k;
    return static_cast<long long>(k);
}

long long omwstreambuf::seek(long long offset, seekdir dir) { return Seek(pos_, data_.size(), offset, dir); }
