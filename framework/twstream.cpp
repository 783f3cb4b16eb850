#include "framework/twstream.h"

#include <cinttypes>
#include <cstdio>

otwstream& otwstream::operator<<(long long v) {
    char b[24];
    int n = std::snprintf(b, sizeof b, "%lld", v);
    write(b, static_cast<size_t>(n));
    return *this;
}

otwstream& otwstream::operator<<(unsigned long long v) {
    char b[24];
    int n = std::snprintf(b, sizeof b, "%llu", v);
    write(b, static_cast<size_t>(n));
    return *this;
}

otwstream& otwstream::operator<<(const void* p) {
    char b[24];
    int n = std::snprintf(b, sizeof b, "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(p));
    write(b, static_cast<size_t>(n));
    return *this;
}

otwstream& otwstream::indent(int level) {
    for (int i = 0; i < level; ++i) write("  ", 2);
    return *this;
}

otwstream& otwstream::printf(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    AStr s = AStr::vformat(fmt, ap);
    va_end(ap);
    write(s.view());
    return *this;
}
