#include "engine/ContentSniff.h"

#include <cstring>

namespace sniff {

AStr mediaTypeOfBytes(const uint8_t* p, size_t n) {
    auto starts = [&](const char* magic, size_t k) { return n >= k && std::memcmp(p, magic, k) == 0; };
    if (starts("BM", 2)) return "image/bmp";
    if (starts("GIF8", 4)) return "image/gif";
    if (starts("\xFF\xD8\xFF\xE0", 4)) return "image/jpeg";
    if (starts("%PDF", 4)) return "application/pdf";
    if (starts("\xD7\xCD\xC6\x9A", 4)) return "image/x-wmf";
    if (starts("\x89PNG\r\n\x1A\n", 8)) return "image/x-png";
    return AStr();
}

bool looksLikeText(const uint8_t* p, size_t n) {
    if (n > kTextSample) n = kTextSample;
    size_t control = 0;
    for (size_t i = 0; i < n; ++i) {
        uint8_t c = p[i];
        if (c == 0) return false;
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A) ++control;
    }
    // A few stray control bytes happen in real text files; many do not.
    return control * 100 <= n * 2;
}

}  // namespace sniff
