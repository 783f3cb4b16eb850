#pragma once
// Per-byte collation weights of the code pages the program knows.

#include <cstdint>

namespace codepage {

struct CollationEntry {
    uint8_t count;          // primary weights, 0 for a character sorted only in the tie-break section
    uint16_t primary[3];
    uint8_t diacritic[3];   // 2 is the plain form
    uint8_t caseWeight[3];  // 2 is lower case
    uint8_t tieBreak;       // weight in the tie-break section when count is 0 (0: ignored)
    uint8_t tieBreakCase;
};

extern const CollationEntry kCollation1252[256];
extern const CollationEntry kCollation1251[256];

}  // namespace codepage
