#include <gtest/gtest.h>

#include <string>

#include "platform/CodePages.h"
#include "site/Charsets.h"
#include "site/CodePageDetector.h"
#include "site/PageCodePage.h"
#include "TraceSupport.h"

namespace {

// "Привет, мир! Это проверка кодировки страницы" in the three code pages.
const char kWin[] = "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! \xdd\xf2\xee \xef\xf0\xee\xe2\xe5\xf0\xea\xe0 "
                    "\xea\xee\xe4\xe8\xf0\xee\xe2\xea\xe8 \xf1\xf2\xf0\xe0\xed\xe8\xf6\xfb";
const char kKoi[] = "\xf0\xd2\xc9\xd7\xc5\xd4, \xcd\xc9\xd2! \xfc\xd4\xcf \xd0\xd2\xcf\xd7\xc5\xd2\xcb\xc1 "
                    "\xcb\xcf\xc4\xc9\xd2\xcf\xd7\xcb\xc9 \xd3\xd4\xd2\xc1\xce\xc9\xc3\xd9";
const char kDos[] = "\x8f\xe0\xa8\xa2\xa5\xe2, \xac\xa8\xe0! \x9d\xe2\xae \xaf\xe0\xae\xa2\xa5\xe0\xaa\xa0 "
                    "\xaa\xae\xa4\xa8\xe0\xae\xa2\xaa\xa8 \xe1\xe2\xe0\xa0\xad\xa8\xe6\xeb";

struct Scores {
    int win, dos, koi, verdict;
};

Scores Detect(std::string_view bytes) {
    CodePageDetector d;
    d.feed(bytes);
    return {d.windowsScore(), d.dosScore(), d.koi8Score(), d.verdict()};
}

}  // namespace

TEST(CodePageDetector, VerdictsOnRussianText) {
    EXPECT_EQ(Detect(kWin).verdict, 1);
    EXPECT_EQ(Detect(kDos).verdict, 2);
    EXPECT_EQ(Detect(kKoi).verdict, 3);
    // No Cyrillic letter at all: Windows.
    EXPECT_EQ(Detect("plain English text").verdict, 1);
    EXPECT_EQ(Detect("").verdict, 1);
}

TEST(CodePageDetector, WeightsOfSingleBytes) {
    struct Row {
        const char* bytes;
        Scores s;
    };
    const Row rows[] = {
        // Windows small a (199); KOI8 capital Yu (12 * 3 / 4); DOS small er (109).
        {"\xe0", {199, 109, 9, 1}},
        // Windows capital Be (35 * 3 / 4 = 26.25); KOI8 small a; DOS a box-drawing byte.
        {"\xc1", {26, 0, 199, 3}},
        // Windows capital O (255 * 3 / 4 = 191.25); KOI8 small en (147); DOS nothing.
        {"\xce", {191, 0, 147, 1}},
        // DOS capital A (199); nothing in Windows; in KOI8 a box-drawing byte.
        {"\x80", {0, 199, 0, 2}},
        // Bytes 160 and 169 (no-break space, copyright sign) count nowhere.
        {"\xa0\xa9", {0, 0, 0, 1}},
        {"\xa0", {0, 0, 0, 1}},
        // Windows small pe (65); DOS small ya (43); KOI8 capital O (191).
        {"\xef", {65, 43, 191, 3}},
    };
    for (const Row& r : rows) {
        Scores s = Detect(r.bytes);
        EXPECT_EQ(s.win, r.s.win) << sitetest::Show(r.bytes);
        EXPECT_EQ(s.dos, r.s.dos);
        EXPECT_EQ(s.koi, r.s.koi);
        EXPECT_EQ(s.verdict, r.s.verdict);
    }
}

TEST(CodePageDetector, FirstRunOfSmallLetterThenCapitals) {
    struct Row {
        const char* bytes;
        Scores s;
    };
    const Row rows[] = {
        // Read as Windows "аБВ", as DOS "р" and two box-drawing bytes: both
        // a small letter followed by bytes that upper-casing leaves alone.
        {"\xe0\xc1\xc2", {-1, -1, 243, 3}},
        // Two bytes are too few for the rule.
        {"\xe0\xc1", {225, 109, 208, 1}},
        // CR and LF inside the run are skipped.
        {"\xe0\r\n\xc1\xc2", {-1, -1, 243, 3}},
        // A blank ends the run, byte 160 as well.
        {"\xe0\xc1 \xc2", {306, 109, 243, 1}},
        {"\xe0\xa0\xc1\xc2", {306, 109, 243, 1}},
        // Only the first run counts.
        {"ab \xe0\xe0 \xe0\xc1\xc2", {704, 327, 261, 1}},
        // "Привет" in KOI8 reads in Windows as a small letter and capitals.
        {"\xf0\xd2\xc9\xd7\xc5\xd4", {-1, 0, 748, 3}},
    };
    for (const Row& r : rows) {
        Scores s = Detect(r.bytes);
        EXPECT_EQ(s.win, r.s.win) << sitetest::Show(r.bytes);
        EXPECT_EQ(s.dos, r.s.dos) << sitetest::Show(r.bytes);
        EXPECT_EQ(s.koi, r.s.koi) << sitetest::Show(r.bytes);
        EXPECT_EQ(s.verdict, r.s.verdict) << sitetest::Show(r.bytes);
    }
    // Long stretches of ASCII before and inside the run, fed whole or in pieces.
    const std::string ascii(21, 'a');
    EXPECT_EQ(Detect(ascii + "\xe0\xc1\xc2" + ascii).win, -1);
    EXPECT_EQ(Detect(ascii + "\xe0\xc1" + ascii + "\xc2").win, 306);
    CodePageDetector pieces;
    pieces.feed(ascii + "\xe0");
    pieces.feed("\r\n");
    pieces.feed("\xc1\xc2" + ascii);
    EXPECT_EQ(pieces.windowsScore(), -1);
    EXPECT_EQ(pieces.koi8Score(), 243);

    // The run holds 19 bytes: a small letter behind 18 capitals is not in it.
    std::string run = "\xe0" + std::string(18, '\xc1') + "\xe0";
    EXPECT_EQ(Detect(run).win, -1);
    std::string shorter = "\xe0" + std::string(17, '\xc1') + "\xe0";
    EXPECT_GT(Detect(shorter).win, 0);
}

TEST(CodePages, CyrillicIntoWindows) {
    AStr koi(kKoi), dos(kDos), win(kWin);
    ToWindowsCodePage(3, koi);
    EXPECT_EQ(koi, kWin);
    ToWindowsCodePage(2, dos);
    EXPECT_EQ(dos, kWin);
    ToWindowsCodePage(1, win);
    EXPECT_EQ(win, kWin);
    // Yo in both; box-drawing bytes have no letter in 1251.
    EXPECT_EQ(codepage::Koi8ToWindows(0xA3), 0xB8);
    EXPECT_EQ(codepage::Koi8ToWindows(0xB3), 0xA8);
    EXPECT_EQ(codepage::DosToWindows(0xF0), 0xA8);
    EXPECT_EQ(codepage::DosToWindows(0xF1), 0xB8);
    EXPECT_EQ(codepage::Koi8ToWindows(0x80), '?');
    EXPECT_EQ(codepage::DosToWindows(0xB0), '?');
    for (int c = 0; c < 128; ++c) {
        EXPECT_EQ(codepage::Koi8ToWindows(static_cast<unsigned char>(c)), c);
        EXPECT_EQ(codepage::DosToWindows(static_cast<unsigned char>(c)), c);
    }
}

TEST(CodePages, PageCodePageOrder) {
    CodePageDetector koi;
    koi.feed(kKoi);
    EXPECT_EQ(PageCodePage(2, 1, true, koi), 2);
    EXPECT_EQ(PageCodePage(0, 1, true, koi), 1);
    EXPECT_EQ(PageCodePage(0, 0, true, koi), 3);
    EXPECT_EQ(PageCodePage(0, 0, false, koi), 0);
}

TEST(Charsets, NamesAndNumbers) {
    EXPECT_EQ(charset::CodePageOfName("windows-1252"), 1);
    EXPECT_EQ(charset::CodePageOfName("Windows-1251"), 1);
    EXPECT_EQ(charset::CodePageOfName("KOI8-R"), 3);
    EXPECT_EQ(charset::CodePageOfName("koi8-u"), 3);
    EXPECT_EQ(charset::CodePageOfName("IBM866"), 2);
    EXPECT_EQ(charset::CodePageOfName("iso8859-5"), 4);
    EXPECT_EQ(charset::CodePageOfName("iso-8859-5"), 0);
    EXPECT_EQ(charset::CodePageOfName("utf-8"), 0);
    EXPECT_EQ(charset::CodePageOfName(""), 0);
    // Code page 1 is Windows Cyrillic, whatever the first row with 1 says.
    EXPECT_EQ(charset::NameOfCodePage(1), "windows-1251");
    EXPECT_EQ(charset::NameOfCodePage(2), "ibm866");
    EXPECT_EQ(charset::NameOfCodePage(3), "koi8-r");
    EXPECT_EQ(charset::NameOfCodePage(4), "iso8859-5");
    EXPECT_EQ(charset::NameOfCodePage(6), "");
    EXPECT_EQ(charset::NameOfCodePage(0), "");
}

TEST(Charsets, CharsetParameter) {
    struct Row {
        const char* type;
        const char* charset;
    };
    const Row rows[] = {
        {"text/html; charset=koi8-r", "koi8-r"},
        {"text/html;charset=koi8-r", "koi8-r"},
        {"text/html; CharSet = \"ibm866\" ; x=y", "ibm866"},
        {"text/html; level=1; charset='windows-1251'", "windows-1251"},
        {"text/html charset=koi8-r", "koi8-r"},
        {"text/html; xcharset=koi8-r", ""},
        {"text/html; charset", ""},
        {"text/html; charset=\"koi8-r", "koi8-r"},
        {"charset=koi8-r", "koi8-r"},
        {"text/html", ""},
        {"", ""},
        {";;;==;", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(charset::CharsetParameter(r.type), r.charset) << r.type;
}
