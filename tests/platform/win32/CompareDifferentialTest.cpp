// Node names are sorted with our own collation on every target; under Wine
// it must order byte strings as the system's CompareStringA does, except
// that texts the system calls equal are still told apart by their bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/Collation.h"

namespace {

// Letters with and without accents and case, digits, URL punctuation, the
// characters the system sorts apart (hyphen, apostrophe, controls, soft
// hyphen) and letters that sort as two.
const char kAlphabet[] = "aAbB\xe1\xc1\xe0zZ09-'._~/%?=&+ \x01\x7f\xad\xdf" "s\xe6" "e\x96";

std::vector<std::string> sampleStrings() {
    std::vector<std::string> v;
    const size_t n = sizeof kAlphabet - 1;
    for (size_t i = 0; i < n; ++i) {
        v.push_back(std::string(1, kAlphabet[i]));
        for (size_t j = 0; j < n; ++j) {
            v.push_back(std::string{kAlphabet[i], kAlphabet[j]});
            for (size_t k = 0; k < n; k += 3) v.push_back(std::string{kAlphabet[i], kAlphabet[j], kAlphabet[k]});
        }
    }
    for (const char* s : {"index.html", "Index.html", "index.htm", "images", "Images", "co-op", "coop", "co'op",
                          "page?a=1/2", "page?a=1", "page", "a-b", "ab", "a\xadz", "strasse", "stra\xdf" "e", ""})
        v.push_back(s);
    return v;
}

std::string hex(const std::string& s) {
    std::string r;
    for (unsigned char c : s) {
        char b[4];
        snprintf(b, sizeof b, "%02x", c);
        if (!r.empty()) r += ' ';
        r += b;
    }
    return r;
}

int sign(int r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }

int systemCompare(int codePage, const std::string& a, const std::string& b, bool ignoreCase) {
    auto wide = [codePage](const std::string& s) {
        std::wstring w(s.size(), L'\0');
        if (!s.empty()) MultiByteToWideChar(static_cast<UINT>(codePage), 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()));
        return w;
    };
    LCID lcid = codePage == 1251 ? 0x419 : 0x409;
    std::wstring wa = wide(a), wb = wide(b);
    return CompareStringW(lcid, ignoreCase ? NORM_IGNORECASE : 0, wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size())) - 2;
}

void checkAgreement(int codePage, bool ignoreCase) {
    std::vector<std::string> v = sampleStrings();
    std::mt19937 rng(codePage + ignoreCase);
    std::uniform_int_distribution<size_t> pick(0, v.size() - 1);
    int disagreements = 0;
    for (int n = 0; n < 100000 && disagreements < 20; ++n) {
        const std::string& a = v[pick(rng)];
        const std::string& b = v[pick(rng)];
        int ours = sign(codepage::Compare(codePage, a, b, ignoreCase));
        int theirs = systemCompare(codePage, a, b, ignoreCase);
        // Where the system sees no difference we still order by bytes.
        bool ok = theirs != 0 ? ours == theirs : (ours != 0 || a.size() == b.size());
        if (!ok) {
            ++disagreements;
            ADD_FAILURE() << "code page " << codePage << (ignoreCase ? " ignoring case" : "") << ": [" << hex(a) << "] vs [" << hex(b)
                          << "] ours " << ours << " system " << theirs;
        }
    }
}

}  // namespace

TEST(CompareDifferential, OrdersLikeCompareStringForTheWesternCodePage) { checkAgreement(1252, false); }
TEST(CompareDifferential, OrdersLikeCompareStringIgnoringCaseForTheWesternCodePage) { checkAgreement(1252, true); }
TEST(CompareDifferential, OrdersLikeCompareStringForTheCyrillicCodePage) { checkAgreement(1251, false); }
TEST(CompareDifferential, OrdersLikeCompareStringIgnoringCaseForTheCyrillicCodePage) { checkAgreement(1251, true); }

TEST(CompareDifferential, AnsiCompareAgreesWithCompareStringA) {
    if (GetACP() != 1252 && GetACP() != 1251) GTEST_SKIP() << "no table for the ANSI code page";
    const char* names[] = {"index.html", "Index.html", "a-b", "ab", "b", "\xe1", "a"};
    for (const char* a : names) {
        for (const char* b : names) {
            int theirs = CompareStringA(LOCALE_USER_DEFAULT, 0, a, -1, b, -1) - 2;
            int ours = sign(codepage::Compare(static_cast<int>(GetACP()), a, b, false));
            if (theirs != 0) {
                EXPECT_EQ(ours, theirs) << a << " vs " << b;
            }
        }
    }
}
