#include "platform/Collation.h"

#include <cstdint>
#include <string>

#include "platform/CodePages.h"
#include "platform/CollationTables.h"

namespace codepage {
namespace {

const CollationEntry* tableOf(int codePage) { return codePage == 1251 ? kCollation1251 : kCollation1252; }

const CollationEntry& entry(const CollationEntry* t, char c) { return t[static_cast<unsigned char>(c)]; }

// The primary weights of both texts, compared as two streams; most
// comparisons end here without building anything.
int comparePrimary(const CollationEntry* t, std::string_view a, std::string_view b) {
    // Every byte has weights of its own (no contractions), so a common
    // prefix of bytes gives the same weights on both sides: skip it.
    size_t same = 0;
    while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
    a.remove_prefix(same);
    b.remove_prefix(same);
    size_t ia = 0, ib = 0;
    int ka = 0, kb = 0;  // next weight inside the current character
    for (;;) {
        while (ia < a.size() && ka >= entry(t, a[ia]).count) { ++ia; ka = 0; }
        while (ib < b.size() && kb >= entry(t, b[ib]).count) { ++ib; kb = 0; }
        bool endA = ia == a.size(), endB = ib == b.size();
        if (endA || endB) return endA == endB ? 0 : (endA ? -1 : 1);
        uint16_t wa = entry(t, a[ia]).primary[ka++], wb = entry(t, b[ib]).primary[kb++];
        if (wa != wb) return wa < wb ? -1 : 1;
    }
}

// The rest of the sort key after the primary weights: diacritics, case
// (unless ignored), then the tie-break section; trailing plain weights (2)
// are dropped as the system drops them.
std::string secondaryKey(const CollationEntry* t, std::string_view s, bool ignoreCase) {
    std::string diacritic, caseWeights, tieBreak;
    size_t position = 0;  // characters that left a weight so far, expansions counted in full
    for (size_t i = 0; i < s.size(); ++i) {
        const CollationEntry& e = entry(t, s[i]);
        position += e.count;
        for (int k = 0; k < e.count; ++k) {
            diacritic += static_cast<char>(e.diacritic[k]);
            caseWeights += static_cast<char>(e.caseWeight[k]);
        }
        if (e.count == 0 && e.tieBreak != 0) {
            unsigned pos = 0xFFFFu - static_cast<unsigned>(position > 0xFFFF ? 0xFFFF : position);
            ++position;
            tieBreak += static_cast<char>(pos >> 8);
            tieBreak += static_cast<char>(pos & 0xFF);
            tieBreak += static_cast<char>(e.tieBreak);
            if (!ignoreCase) tieBreak += static_cast<char>(e.tieBreakCase);
        }
    }
    auto trim = [](std::string& w) { while (!w.empty() && w.back() == 2) w.pop_back(); };
    trim(diacritic);
    trim(caseWeights);
    std::string key = diacritic + '\x01';
    if (!ignoreCase) key += caseWeights;
    key += "\x01\x01";
    key += tieBreak;
    return key;
}

int compareBytes(std::string_view a, std::string_view b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace

int Compare(int codePage, std::string_view a, std::string_view b, bool ignoreCase) {
    if (a == b) return 0;
    const CollationEntry* t = tableOf(codePage);
    if (int r = comparePrimary(t, a, b)) return r;
    std::string ka = secondaryKey(t, a, ignoreCase), kb = secondaryKey(t, b, ignoreCase);
    if (int r = compareBytes(ka, kb)) return r;
    if (!ignoreCase) return compareBytes(a, b);
    // Equal for the system: order by the lower-cased bytes so that only
    // texts that differ in case alone are the same.
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char la = Lower(codePage, static_cast<unsigned char>(a[i]));
        unsigned char lb = Lower(codePage, static_cast<unsigned char>(b[i]));
        if (la != lb) return la < lb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace codepage
