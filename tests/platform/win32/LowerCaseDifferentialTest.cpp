// The POSIX build lower-cases with tables of its own; the real CharLowerA
// must agree with them for the code page Wine runs with, byte for byte.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/CodePages.h"
#include "platform/Text.h"

TEST(LowerCaseDifferential, TablesAgreeWithCharLowerForTheAnsiCodePage) {
    int cp = static_cast<int>(GetACP());
    if (cp != 1251 && cp != 1252) GTEST_SKIP() << "ANSI code page " << cp << " has no table";
    for (int b = 1; b < 256; ++b) {
        char c = static_cast<char>(b);
        CharLowerBuffA(&c, 1);
        EXPECT_EQ(static_cast<unsigned char>(c), codepage::Lower(cp, static_cast<unsigned char>(b))) << "byte 0x" << std::hex << b;
        EXPECT_EQ(platform::LowerAnsiChar(static_cast<unsigned char>(b)), static_cast<unsigned char>(c));
    }
}

TEST(LowerCaseDifferential, UnicodeTablesAgreeWithMultiByteToWideChar) {
    for (int cp : {1251, 1252}) {
        for (int b = 1; b < 256; ++b) {
            char c = static_cast<char>(b);
            wchar_t w = 0;
            ASSERT_EQ(MultiByteToWideChar(static_cast<UINT>(cp), 0, &c, 1, &w, 1), 1);
            EXPECT_EQ(static_cast<unsigned>(w), static_cast<unsigned>(codepage::ToUnicode(cp, static_cast<unsigned char>(b))))
                << "code page " << cp << " byte 0x" << std::hex << b;
        }
    }
}

TEST(LowerCaseDifferential, LowerTablesMatchTheUnicodeLowerCaseOfBothCodePages) {
    // CharLowerW on each mapped character, converted back, must give our
    // table: this checks the table of the code page Wine does not run with.
    for (int cp : {1251, 1252}) {
        for (int b = 1; b < 256; ++b) {
            wchar_t w = static_cast<wchar_t>(codepage::ToUnicode(cp, static_cast<unsigned char>(b)));
            wchar_t l[2] = {w, 0};
            CharLowerW(l);
            unsigned char back = codepage::FromUnicode(cp, l[0]);
            unsigned char expect = back ? back : static_cast<unsigned char>(b);
            EXPECT_EQ(codepage::Lower(cp, static_cast<unsigned char>(b)), expect) << "code page " << cp << " byte 0x" << std::hex << b;
        }
    }
}
