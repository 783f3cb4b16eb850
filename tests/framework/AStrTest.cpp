#include <gtest/gtest.h>

#include "framework/AStr.h"
#include "platform/Text.h"

TEST(AStr, EmptyAndNoBufferAreTheSame) {
    AStr none;
    AStr made("");
    AStr emptied("x");
    emptied.truncate(0);
    for (const AStr* s : {&none, &made, &emptied}) {
        EXPECT_STREQ(s->c_str(), "");
        EXPECT_TRUE(s->empty());
        EXPECT_EQ(*s, none);
    }
    EXPECT_FALSE(none.hasBuffer());
    EXPECT_FALSE(made.hasBuffer());
    EXPECT_EQ(AStr(nullptr), none);
}

TEST(AStr, CopyAppendSubstring) {
    AStr a("abc");
    AStr b = a;
    b += "def";
    EXPECT_EQ(a, "abc");
    EXPECT_EQ(b, "abcdef");
    EXPECT_EQ(b.substr(2, 3), "cde");
    EXPECT_EQ(b.substr(4), "ef");
    EXPECT_EQ(b.substr(9), "");
    EXPECT_EQ(b.left(2), "ab");
    EXPECT_EQ(b.right(2), "ef");
    EXPECT_EQ(b.right(10), "abcdef");
    b.append(b.c_str() + 1, 2);  // appending a part of itself
    EXPECT_EQ(b, "abcdefbc");
    b = b.c_str() + 3;  // assigning a part of itself
    EXPECT_EQ(b, "defbc");
    AStr moved(std::move(b));
    EXPECT_EQ(moved, "defbc");
    EXPECT_TRUE(b.empty());  // NOLINT: moved-from is empty by contract
}

TEST(AStr, EmbeddedBytesAndGrowth) {
    AStr s;
    for (int i = 0; i < 1000; ++i) s += static_cast<char>('a' + i % 26);
    EXPECT_EQ(s.size(), 1000u);
    EXPECT_EQ(s[999], 'a' + 999 % 26);
    EXPECT_EQ(s[5000], '\0');
    AStr withNul("a\0b", 3);
    EXPECT_EQ(withNul.size(), 3u);
    EXPECT_NE(withNul, AStr("a"));
}

TEST(AStr, ComparisonIsBytewiseUnsigned) {
    struct { const char* a; const char* b; int sign; } rows[] = {
        {"a", "b", -1}, {"b", "a", 1}, {"a", "a", 0}, {"a", "ab", -1}, {"", "a", -1},
        {"Z", "a", -1},                 // upper case sorts before lower case
        {"\xE0", "z", 1},               // bytes above 0x7F compare as unsigned
        {"\x80", "\x7F", 1},
    };
    for (auto& r : rows) {
        int c = AStr(r.a).compare(r.b);
        EXPECT_EQ((c > 0) - (c < 0), r.sign) << r.a << " vs " << r.b;
    }
    EXPECT_TRUE(AStr("a") < AStr("b"));
}

TEST(AStr, FindAndAffixes) {
    AStr s("http://host/a/b.htm?x=/y");
    EXPECT_EQ(s.find('/'), 5u);
    EXPECT_EQ(s.find('/', 7), 11u);
    EXPECT_EQ(s.rfind('/'), 22u);
    EXPECT_EQ(s.find("?x"), 19u);
    EXPECT_EQ(s.find('#'), AStr::npos);
    EXPECT_TRUE(s.startsWith("http:"));
    EXPECT_TRUE(s.endsWith("/y"));
    EXPECT_FALSE(AStr("").endsWith("x"));
}

TEST(AStr, FormatAndNumbers) {
    EXPECT_EQ(AStr::format("%sError #%d (0x%x)", "Internet ", 12029, 12029), "Internet Error #12029 (0x2efd)");
    EXPECT_EQ(AStr::number(-2147483648LL), "-2147483648");
    EXPECT_EQ(AStr::unsignedNumber(4294967295ULL), "4294967295");
    EXPECT_EQ(AStr::format("%s", ""), "");
}

TEST(AStr, ResizeForFillInCalls) {
    AStr s("abc");
    char* p = s.resize(10);
    EXPECT_EQ(p[3], '\0');
    p[3] = 'd';
    s.fixLength();
    EXPECT_EQ(s, "abcd");
    s.resize(0);
    s.fixLength();
    EXPECT_TRUE(s.empty());
}

TEST(AStr, LowerCaseFollowsTheAnsiCodePage) {
    EXPECT_EQ(AStr("MiXeD 123 [Z]").lower(), "mixed 123 [z]");
    if (platform::AnsiCodePage() == 1252) {
        EXPECT_EQ(AStr("\xC0\xDE\xD7\x8A\x9F").lower(), "\xE0\xFE\xD7\x9A\xFF");  // the multiply sign stays
    }
    EXPECT_TRUE(AStr("Index.HTM").equalsNoCase("index.htm"));
    EXPECT_LT(AStr("A").compareNoCase("b"), 0);
}
