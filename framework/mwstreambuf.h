#pragma once
// Memory stream buffers: reading a block the caller keeps alive, and
// writing into a growing block of our own.

#include <cstddef>
#include <string_view>
#include <vector>

#include "framework/wstreambuf.h"

class mwstreambuf : public wstreambuf {
public:
    mwstreambuf(const void* data, size_t n) : data_(static_cast<const char*>(data)), size_(n) {}
    explicit mwstreambuf(std::string_view s) : mwstreambuf(s.data(), s.size()) {}
    long long read(void* buf, size_t n) override;
    long long seek(long long offset, seekdir dir) override;
    long long size() override { return static_cast<long long>(size_); }

private:
    const char* data_;
    size_t size_;
    size_t pos_ = 0;
};

class omwstreambuf : public wstreambuf {
public:
    // limit: the most bytes the block may hold; a write past it is short.
    explicit omwstreambuf(size_t limit = static_cast<size_t>(-1)) : limit_(limit) {}
    long long read(void* buf, size_t n) override;
    long long write(const void* buf, size_t n) override;
    long long seek(long long offset, seekdir dir) override;
    long long size() override { return static_cast<long long>(data_.size()); }
    int error() const override { return full_ ? 112 : 0; }

    std::string_view view() const { return {data_.data(), data_.size()}; }
    void reset() { data_.clear(); pos_ = 0; full_ = false; }

private:
    std::vector<char> data_;
    size_t pos_ = 0;
    size_t limit_;
    bool full_ = false;
};
