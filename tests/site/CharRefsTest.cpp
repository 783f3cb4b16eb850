#include <gtest/gtest.h>

#include <set>
#include <string>

#include "site/CharRefs.h"

namespace {

struct Case {
    const char* in;
    const char* out;
};

void RunCases(const char* group, std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(std::string(html::DecodeCharRefs(c.in).view()), c.out) << group << ": " << c.in;
}

}  // namespace

TEST(CharRefs, NamedReferences) {
    RunCases("named", {
        {"a&lt;b&gt;c", "a<b>c"},
        {"&amp;&quot;&apos;", "&\"'"},
        {"&amp", "&"},
        {"&ampx", "&x"},
        {"&AMP;", "&"},
        {"&eacute;", "\xe9"},
        {"&Eacute;", "\xc9"},
        {"&EACUTE;", "\xe9"},  // not a capitalised name: looked up lower-cased
        {"&Aelig;", "\xc6"},
        {"&AElig;", "\xc6"},
        {"&aelig;", "\xe6"},
        {"&nbsp;&copy;&frac12;&sup2;", "\xa0\xa9\xbd\xb2"},
        {"&copy2000", "\xa9" "2000"},
        {"&notin;", "\xacin;"},   // the longest name the text begins with
        {"&yumlx", "\xffx"},
        {"&THORN;&thorn;", "\xde\xfe"},
        {"&ETH&eth", "\xd0\xf0"},
    });
    RunCases("not references", {
        {"&foo;", "&foo;"},
        {"a & b", "a & b"},
        {"&", "&"},
        {"&&amp;", "&&"},
        {"&#;", "&#;"},
        {"&#", "&#"},
        {"&#x41;", "&#x41;"},
        {"&Zeta;", "&Zeta;"},
    });
}

TEST(CharRefs, NumericReferences) {
    RunCases("numeric", {
        {"&#65;", "A"},
        {"&#65", "A"},
        {"&#065;x", "Ax"},
        {"&#233;", "\xe9"},
        {"&#150;", "\x96"},
        {"&#1040;&#1103;", "\xc0\xff"},  // Cyrillic through 1251 whatever the ANSI code page
        {"&#1105;&#1025;", "\xb8\xa8"},
        {"&#1169;", "\xb4"},
        {"&#8470;", "\xb9"},
        {"&#8364;&#8212;&#8482;&#8225;", "\x80\x97\x99\x87"},
        {"&#338;&#376;&#402;", "\x8c\x9f\x83"},
        {"&#1104;", "?"},          // in the Cyrillic range, not in 1251
        {"&#19968;", "?"},         // in no code page the program has
        {"&#0;x", "?x"},           // a zero byte would cut the text
        {"&#99999999999999999999;", "?"},
    });
}

TEST(CharRefs, TablesHoldLatin1Once) {
    auto cap = html::CapitalisedCharNames();
    auto low = html::LowerCaseCharNames();
    EXPECT_EQ(cap.size(), 31u);
    EXPECT_EQ(low.size(), 71u);
    std::set<int> latin1;
    for (auto table : {cap, low}) {
        for (size_t i = 1; i < table.size(); ++i)
            EXPECT_LT(std::string_view(table[i - 1].name), std::string_view(table[i].name));
        for (const auto& e : table) {
            EXPECT_EQ(std::string(html::DecodeCharRefs(std::string("&") + e.name + ";").view()),
                      std::string(1, static_cast<char>(e.byte)))
                << e.name;
            if (e.byte >= 160) latin1.insert(e.byte);
        }
    }
    for (const auto& e : cap) EXPECT_TRUE(e.name[0] >= 'A' && e.name[0] <= 'Z') << e.name;
    for (const auto& e : low) EXPECT_LE(std::string_view(e.name).size(), 6u) << e.name;
    EXPECT_EQ(latin1.size(), 96u);  // every byte from 160 to 255 has a name
}
