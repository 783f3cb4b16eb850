#include "framework/AStr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Text.h"

size_t AStr::strlen_(const char* s) { return std::strlen(s); }

AStr::AStr(const char* s) { if (s) assign(s, std::strlen(s)); }
AStr::AStr(const char* s, size_t n) { if (s) assign(s, n); }
AStr::~AStr() { std::free(p_); }

AStr& AStr::operator=(const AStr& o) {
    if (this != &o) assign(o.c_str(), o.size());
    return *this;
}

AStr& AStr::operator=(AStr&& o) noexcept {
    if (this != &o) {
        std::free(p_);
        p_ = o.p_; len_ = o.len_; cap_ = o.cap_;
        o.p_ = nullptr; o.len_ = o.cap_ = 0;
    }
    return *this;
}

void AStr::reserve(size_t n, bool growing) {
    if (p_ && n <= cap_) return;
    if (n >= UINT32_MAX) throw std::bad_alloc();
    // A text assigned gets what it needs; one that grows, room to grow.
    size_t cap = n;
    if (growing) {
        cap = cap_ ? cap_ : 15;
        while (cap < n) cap = cap * 2 + 1;
        if (cap >= UINT32_MAX) cap = UINT32_MAX - 1;
    }
    char* p = static_cast<char*>(std::realloc(p_, cap + 1));
    if (!p) throw std::bad_alloc();
    p_ = p;
    cap_ = static_cast<uint32_t>(cap);
}

AStr& AStr::assign(const char* s, size_t n) {
    if (n == 0) { clear(); return *this; }
    if (p_ && s >= p_ && s <= p_ + len_) {  // assigning a part of ourselves
        AStr tmp(s, n);
        return *this = std::move(tmp);
    }
    reserve(n, false);
    std::memcpy(p_, s, n);
    p_[n] = '\0';
    len_ = static_cast<uint32_t>(n);
    return *this;
}

AStr& AStr::append(const char* s, size_t n) {
    if (n == 0) return *this;
    if (p_ && s >= p_ && s <= p_ + len_) {
        AStr tmp(s, n);
        return append(tmp.c_str(), n);
    }
    reserve(len_ + n, true);
    std::memcpy(p_ + len_, s, n);
    len_ += static_cast<uint32_t>(n);
    p_[len_] = '\0';
    return *this;
}

void AStr::clear() {
    std::free(p_);
    p_ = nullptr;
    len_ = cap_ = 0;
}

void AStr::truncate(size_t n) {
    if (n >= len_) return;
    if (n == 0) { clear(); return; }
    len_ = static_cast<uint32_t>(n);
    p_[n] = '\0';
}

char* AStr::resize(size_t n) {
    size_t old = p_ ? len_ : 0;
    reserve(n, p_ != nullptr);  // made to size, else grown as an append
    if (n > old) std::memset(p_ + old, 0, n - old);
    len_ = static_cast<uint32_t>(n);
    p_[n] = '\0';
    return p_;
}

void AStr::fixLength() {
    if (!p_) return;
    len_ = static_cast<uint32_t>(std::strlen(p_));
    if (len_ == 0) clear();
}

AStr AStr::substr(size_t pos, size_t n) const {
    if (pos >= len_) return AStr();
    if (n > len_ - pos) n = len_ - pos;
    return AStr(p_ + pos, n);
}

size_t AStr::find(char c, size_t from) const {
    for (size_t i = from; i < len_; ++i)
        if (p_[i] == c) return i;
    return npos;
}

size_t AStr::find(std::string_view s, size_t from) const {
    size_t r = view().find(s, from);
    return r == std::string_view::npos ? npos : r;
}

size_t AStr::rfind(char c) const {
    for (size_t i = len_; i-- > 0;)
        if (p_[i] == c) return i;
    return npos;
}

int AStr::compare(std::string_view o) const {
    size_t n = len_ < o.size() ? len_ : o.size();
    int r = n ? std::memcmp(c_str(), o.data(), n) : 0;
    if (r) return r < 0 ? -1 : 1;
    return len_ < o.size() ? -1 : (len_ > o.size() ? 1 : 0);
}

int AStr::compareNoCase(std::string_view o) const {
    size_t n = len_ < o.size() ? len_ : o.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = platform::LowerAnsiChar(static_cast<unsigned char>(p_[i]));
        unsigned char b = platform::LowerAnsiChar(static_cast<unsigned char>(o[i]));
        if (a != b) return a < b ? -1 : 1;
    }
    return len_ < o.size() ? -1 : (len_ > o.size() ? 1 : 0);
}

AStr& AStr::toLower() {
    if (p_) platform::LowerAnsi(p_, len_);
    return *this;
}

AStr AStr::vformat(const char* fmt, va_list ap) {
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    AStr r;
    if (n <= 0) return r;
    std::vsnprintf(r.resize(static_cast<size_t>(n)), static_cast<size_t>(n) + 1, fmt, ap);
    return r;
}

AStr AStr::format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    AStr r = vformat(fmt, ap);
    va_end(ap);
    return r;
}

AStr AStr::number(long long v) { return format("%lld", v); }
AStr AStr::unsignedNumber(unsigned long long v) { return format("%llu", v); }
