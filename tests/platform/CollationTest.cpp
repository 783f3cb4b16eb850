// The collation that orders graph nodes on every target. Its agreement
// with the system is checked under Wine (win32/CompareDifferentialTest);
// here: the order must be a total order that tells different texts apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/Collation.h"

namespace {
int sign(int r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }
int cmp(const char* a, const char* b, bool ignoreCase = false, int cp = 1252) {
    return sign(codepage::Compare(cp, a, b, ignoreCase));
}
}  // namespace

TEST(Collation, LettersBeforeCaseBeforeHyphens) {
    EXPECT_EQ(cmp("a", "B"), -1);        // letters first, case later
    EXPECT_EQ(cmp("ab", "aB"), -1);      // lower case first
    EXPECT_EQ(cmp("aB", "Ab"), -1);      // the first case difference decides
    EXPECT_EQ(cmp("a-b", "ab"), 1);      // a hyphen only breaks ties
    EXPECT_EQ(cmp("x-yz", "xyy"), 1);    // and is skipped for the letters
    EXPECT_EQ(cmp("a1", "a10"), -1);
    EXPECT_EQ(cmp("a10", "a9"), -1);     // digits one by one
    EXPECT_EQ(cmp("a.b", "a_b"), -1);
    EXPECT_EQ(cmp("\xe0", "b"), -1);     // an accented a sorts with a
    EXPECT_EQ(cmp("a", "\xe0"), -1);
}

TEST(Collation, HostCaseIsIgnoredOnlyWhenAsked) {
    EXPECT_EQ(cmp("http://Example.COM", "http://example.com", true), 0);
    EXPECT_NE(cmp("http://Example.COM", "http://example.com", false), 0);
    EXPECT_EQ(cmp("\xc0", "\xe0", true), 0);                    // À and à
    EXPECT_EQ(cmp("\xc0", "\xe0", true, 1251), 0);              // А and а
    EXPECT_EQ(cmp("z", "\xe0", false, 1251), -1);               // Latin before Cyrillic
}

TEST(Collation, TextsTheSystemCallsEqualStillDiffer) {
    // A sharp s sorts as "ss" and a soft hyphen is ignored by the system;
    // nodes of such names must not merge.
    EXPECT_NE(cmp("stra\xdf" "e", "strasse"), 0);
    EXPECT_NE(cmp("a\xadz", "az"), 0);
    EXPECT_NE(cmp("a\xadz", "az", true), 0);
    EXPECT_EQ(cmp("stra\xdf" "e", "strasse"), -cmp("strasse", "stra\xdf" "e"));
}

TEST(Collation, IsATotalOrderOverRandomTexts) {
    const char alphabet[] = "aAbB\xe1\xc1zZ09-'._~/%? \x01\x7f\xad\xdfs\xe6" "e\x96";
    std::mt19937 rng(4);
    std::vector<std::string> v;
    for (int i = 0; i < 400; ++i) {
        std::string s;
        for (size_t n = rng() % 5; n > 0; --n) s += alphabet[rng() % (sizeof alphabet - 1)];
        v.push_back(s);
    }
    for (bool ignoreCase : {false, true}) {
        for (int cp : {1252, 1251}) {
            auto less = [&](const std::string& a, const std::string& b) { return codepage::Compare(cp, a, b, ignoreCase) < 0; };
            std::vector<std::string> sorted = v;
            std::sort(sorted.begin(), sorted.end(), less);
            for (size_t i = 0; i + 1 < sorted.size(); ++i) ASSERT_FALSE(less(sorted[i + 1], sorted[i]));
            for (size_t i = 0; i < v.size(); ++i)
                for (size_t j = 0; j < v.size(); j += 7) {
                    int ab = sign(codepage::Compare(cp, v[i], v[j], ignoreCase));
                    ASSERT_EQ(ab, -sign(codepage::Compare(cp, v[j], v[i], ignoreCase)));
                    if (ab == 0 && !ignoreCase) {
                        ASSERT_EQ(v[i], v[j]);
                    }
                }
        }
    }
}
