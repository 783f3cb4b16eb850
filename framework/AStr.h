#pragma once
// The program's 8-bit string: one owned, zero-terminated heap buffer.
// An empty string owns no buffer and reads as "". Comparison is byte-wise
// (bytes as unsigned); lower-casing follows the platform's ANSI code page.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__MINGW32__)
#define ZB_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define ZB_PRINTF(f, a) __attribute__((format(printf, f, a)))
#endif

class AStr {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    AStr() = default;
    AStr(const char* s);  // NOLINT: implicit on purpose, literals are everywhere
    AStr(const char* s, size_t n);
    AStr(std::string_view s) : AStr(s.data(), s.size()) {}
    AStr(const AStr& o) : AStr(o.c_str(), o.size()) {}
    AStr(AStr&& o) noexcept : p_(o.p_), len_(o.len_), cap_(o.cap_) { o.p_ = nullptr; o.len_ = o.cap_ = 0; }
    ~AStr();

    AStr& operator=(const AStr& o);
    AStr& operator=(AStr&& o) noexcept;
    AStr& operator=(const char* s) { return assign(s ? s : "", s ? strlen_(s) : 0); }
    AStr& assign(const char* s, size_t n);

    const char* c_str() const { return p_ ? p_ : ""; }
    size_t size() const { return len_; }
    size_t length() const { return len_; }
    bool empty() const { return len_ == 0; }
    bool hasBuffer() const { return p_ != nullptr; }
    char operator[](size_t i) const { return i < len_ ? p_[i] : '\0'; }
    char back() const { return len_ ? p_[len_ - 1] : '\0'; }
    operator std::string_view() const { return {c_str(), len_}; }
    std::string_view view() const { return {c_str(), len_}; }

    AStr& append(const char* s, size_t n);
    AStr& append(std::string_view s) { return append(s.data(), s.size()); }
    AStr& operator+=(std::string_view s) { return append(s); }
    AStr& operator+=(const AStr& s) { return append(s.c_str(), s.size()); }
    AStr& operator+=(const char* s) { return append(std::string_view(s ? s : "")); }
    AStr& operator+=(char c) { return append(&c, 1); }

    void clear();
    // Cuts the string to at most n bytes.
    void truncate(size_t n);
    // Writable access for fill-in APIs: makes room for n bytes (plus the
    // terminator), sets the length to n and returns the buffer. Call
    // fixLength() after the callee wrote a shorter zero-terminated text.
    char* resize(size_t n);
    void fixLength();

    AStr substr(size_t pos, size_t n = npos) const;
    AStr left(size_t n) const { return substr(0, n); }
    AStr right(size_t n) const { return n >= len_ ? *this : substr(len_ - n); }

    size_t find(char c, size_t from = 0) const;
    size_t find(std::string_view s, size_t from = 0) const;
    size_t rfind(char c) const;
    bool startsWith(std::string_view s) const { return view().substr(0, s.size()) == s; }
    bool endsWith(std::string_view s) const { return len_ >= s.size() && view().substr(len_ - s.size()) == s; }

    // Byte-wise three-way comparison: negative, 0 or positive.
    int compare(std::string_view o) const;
    // Comparison after lower-casing both sides with the ANSI code page.
    int compareNoCase(std::string_view o) const;
    bool equalsNoCase(std::string_view o) const { return compareNoCase(o) == 0; }

    // Lower-cases in place, as CharLowerA does for the ANSI code page.
    AStr& toLower();
    AStr lower() const { AStr r(*this); r.toLower(); return r; }

    static AStr format(const char* fmt, ...) ZB_PRINTF(1, 2);
    static AStr vformat(const char* fmt, va_list ap);
    static AStr number(long long v);
    static AStr unsignedNumber(unsigned long long v);

    friend bool operator==(const AStr& a, const AStr& b) { return a.compare(b) == 0; }
    friend bool operator==(const AStr& a, const char* b) { return a.compare(b ? b : "") == 0; }
    friend bool operator==(const AStr& a, std::string_view b) { return a.compare(b) == 0; }
    friend auto operator<=>(const AStr& a, const AStr& b) { return a.compare(b) <=> 0; }
    friend AStr operator+(const AStr& a, std::string_view b) { AStr r(a); r += b; return r; }
    friend AStr operator+(const AStr& a, const char* b) { AStr r(a); r += b; return r; }
    friend AStr operator+(const AStr& a, const AStr& b) { AStr r(a); r += b; return r; }
    friend AStr operator+(const char* a, const AStr& b) { AStr r(a); r += b; return r; }
    friend AStr operator+(const AStr& a, char c) { AStr r(a); r += c; return r; }

private:
    static size_t strlen_(const char* s);
    void reserve(size_t n, bool growing);

    // Sixteen bytes: a graph holds millions of strings. A text of 4 GB or
    // more is refused as memory that cannot be had.
    char* p_ = nullptr;
    uint32_t len_ = 0;
    uint32_t cap_ = 0;  // bytes usable for text, the terminator not counted
};
