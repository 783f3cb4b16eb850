#include "site/CodePageDetector.h"

#include <cstdint>
#include <cstring>

#include "platform/CodePages.h"

namespace {

// How often each letter of the Russian alphabet (а to я) occurs.
constexpr int kWeight[32] = {199, 35, 108, 44, 64, 187, 20, 40, 157, 27, 84, 121, 69, 147, 255, 65,
                             109, 116, 138, 69, 4,  18,  7,  36, 20,  8,  0,   39,  40, 7,   12,  43};

int ThreeQuarters(int w) { return (3 * w + 2) / 4; }

int WindowsWeight(unsigned char c) {
    if (c >= 224) return kWeight[c - 224];
    if (c >= 192) return ThreeQuarters(kWeight[c - 192]);
    return 0;
}

// KOI8-R puts the small letters at 192 to 223 and the capitals above.
int Koi8Weight(unsigned char c) {
    unsigned char w = codepage::Koi8ToWindows(c);
    if (c >= 224 && w >= 192) return ThreeQuarters(kWeight[w & 31]);
    if (c >= 192 && c < 224 && w >= 192) return kWeight[w & 31];
    return 0;
}

int DosWeight(unsigned char c) {
    if (c >= 128 && c <= 159) return kWeight[c - 128];
    if (c >= 160 && c <= 175) return kWeight[c - 160];
    if (c >= 224 && c <= 239) return kWeight[c - 224 + 16];
    return 0;
}

// Upper-casing of the Cyrillic letters in each code page; other bytes stay.
unsigned char UpperWindows(unsigned char c) {
    if (c >= 224) return static_cast<unsigned char>(c - 32);
    if (c == 0xB8) return 0xA8;
    return c;
}

unsigned char UpperKoi8(unsigned char c) {
    if (c >= 192 && c < 224) return static_cast<unsigned char>(c + 32);
    if (c == 0xA3) return 0xB3;
    return c;
}

unsigned char UpperDos(unsigned char c) {
    if (c >= 160 && c <= 175) return static_cast<unsigned char>(c - 32);
    if (c >= 224 && c <= 239) return static_cast<unsigned char>(c - 80);
    if (c == 0xF1) return 0xF0;
    return c;
}

}  // namespace

void CodePageDetector::feed(std::string_view bytes) {
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        // Outside the first run ASCII bytes change nothing: pass over eight
        // at a time while none of them has its high bit set.
        if (runOver_ || runLength_ == 0) {
            while (end - p >= 8) {
                uint64_t word;
                std::memcpy(&word, p, 8);
                if ((word & 0x8080808080808080ull) != 0) break;
                p += 8;
            }
            if (p == end) break;
        }
        auto c = static_cast<unsigned char>(*p++);
        if (c >= 128) {
            add(c);
        } else if (!runOver_ && runLength_ > 0 && c != '\r' && c != '\n') {
            runOver_ = true;  // what add() does for such a byte, without the call
        }
    }
}

void CodePageDetector::add(unsigned char c) {
    if (!runOver_ && c != '\r' && c != '\n') {
        if (c == 160 || (c < 128 && runLength_ > 0) || runLength_ == kMaxRun)
            runOver_ = true;
        else if (c >= 128)
            run_[runLength_++] = c;
    }
    if (c < 128 || c == 160 || c == 169) return;
    score_[kWin] += WindowsWeight(c);
    score_[kDos] += DosWeight(c);
    score_[kKoi] += Koi8Weight(c);
}

bool CodePageDetector::runIsSmallThenCapitals(Page p) const {
    auto upper = p == kWin ? UpperWindows : p == kDos ? UpperDos : UpperKoi8;
    if (upper(run_[0]) == run_[0]) return false;
    for (size_t i = 1; i < runLength_; ++i)
        if (upper(run_[i]) != run_[i]) return false;
    return true;
}

int CodePageDetector::adjusted(Page p) const {
    if (runLength_ > 2 && runIsSmallThenCapitals(p)) return -1;
    return score_[p];
}

int CodePageDetector::verdict() const {
    int win = adjusted(kWin);
    int dos = adjusted(kDos);
    int best = win >= dos ? win : dos;
    if (adjusted(kKoi) > best) return 3;
    return win >= dos ? 1 : 2;
}
