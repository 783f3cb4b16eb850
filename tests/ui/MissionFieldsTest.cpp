// The mission sheet's and the options dialog's conversions between the
// texts of their fields and the settings.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ui/panes/MissionFields.h"
#include "ui/panes/ProxyFields.h"

namespace {

using namespace fields;

TEST(MissionFields, NumbersAsTyped) {
    struct Row {
        const char* text;
        bool present;
        int32_t value;
    } rows[] = {
        {"", false, 0},
        {"   ", false, 0},
        {"abc", false, 0},
        {"-", false, 0},
        {"12", true, 12},
        {"  7 ", true, 7},
        {"12abc", true, 12},
        {"-3", true, -3},
        {"+4", true, 4},
        // Beyond 32 bits: the end of the range, not a wrapped value.
        {"99999999999", true, INT32_MAX},
        {"4294967297", true, INT32_MAX},
        {"-99999999999", true, INT32_MIN},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"00000000000000000000000000042", true, 42},
    };
    for (const Row& r : rows) {
        std::optional<int32_t> n = TypedNumber(r.text);
        EXPECT_EQ(r.present, n.has_value()) << '"' << r.text << '"';
        if (r.present && n) {
            EXPECT_EQ(r.value, *n) << r.text;
        }
    }
}

TEST(MissionFields, ThreadsLevelsLimitsAndWait) {
    // MaxNumThread: nothing or 0 gives 5, above 9 gives 9.
    EXPECT_EQ(5, ReadThreads(""));
    EXPECT_EQ(5, ReadThreads("0"));
    EXPECT_EQ(5, ReadThreads("-2"));
    EXPECT_EQ(5, ReadThreads("many"));
    EXPECT_EQ(1, ReadThreads("1"));
    EXPECT_EQ(9, ReadThreads("12"));
    EXPECT_EQ(9, ReadThreads("99999999999"));
    EXPECT_EQ("5", ThreadsShown(0));
    EXPECT_EQ("5", ThreadsShown(-1));
    EXPECT_EQ("3", ThreadsShown(3));

    // Levels: negative is 0.
    EXPECT_EQ(0, ReadLevel("-4"));
    EXPECT_EQ(0, ReadLevel(""));
    EXPECT_EQ(3, ReadLevel(" 3"));
    EXPECT_EQ(INT32_MAX, ReadLevel("99999999999"));

    // Count and size limits: empty below 1, empty reads as no limit.
    EXPECT_EQ("", LimitShown(0));
    EXPECT_EQ("", LimitShown(-5));
    EXPECT_EQ("1000", LimitShown(1000));
    EXPECT_EQ(0, ReadLimit(""));
    EXPECT_EQ(0, ReadLimit("none"));
    EXPECT_EQ(250, ReadLimit("250"));
    EXPECT_EQ(INT32_MAX, ReadLimit("12345678901234567890"));

    // The wait, in whole minutes.
    EXPECT_EQ("", WaitShown(59999));
    EXPECT_EQ("1", WaitShown(60000));
    EXPECT_EQ("10", WaitShown(600000));
    EXPECT_EQ(0, ReadWait(""));
    EXPECT_EQ(600000, ReadWait("10"));
    EXPECT_EQ(0, ReadWait("-10"));
    // So many minutes would overflow the milliseconds: the most that fit.
    EXPECT_EQ(kMostWaitMinutes * 60000, ReadWait("99999999999"));
    EXPECT_GT(ReadWait("35792"), 0);
}

TEST(MissionFields, CodePreferenceButtonsBothWays) {
    struct Row {
        int button;
        int32_t value;
    } rows[] = {{120, 1}, {121, 3}, {122, 2}, {123, 4}, {124, 6}};
    for (const Row& r : rows) {
        EXPECT_EQ(r.value, CodePrefFor(r.button)) << r.button;
        EXPECT_EQ(r.button, CodeButtonFor(r.value)) << r.value;
    }
    // None ticked is 4; a value of no button shows as that one.
    EXPECT_EQ(4, CodePrefFor(0));
    EXPECT_EQ(123, CodeButtonFor(5));
    EXPECT_EQ(123, CodeButtonFor(0));
}

TEST(MissionFields, ListsLineByLine) {
    StrList l;
    ReadList("http://a.example/\r\n\r\n   http://b.example/x \r\n\t\thttp://c.example/\t\r\n \t \r\nhttp://d.example/", l);
    ASSERT_EQ(4u, l.count());
    EXPECT_EQ(AStr("http://a.example/"), l[0]);
    EXPECT_EQ(AStr("http://b.example/x"), l[1]);
    EXPECT_EQ(AStr("http://c.example/"), l[2]);
    EXPECT_EQ(AStr("http://d.example/"), l[3]);
    EXPECT_EQ("http://a.example/\r\nhttp://b.example/x\r\nhttp://c.example/\r\nhttp://d.example/\r\n", ListText(l));

    // Only blanks: an empty list, whatever was in it.
    ReadList(" \r\n\t\n", l);
    EXPECT_TRUE(l.empty());
    EXPECT_EQ("", ListText(l));

    // Bare line feeds and carriage returns end lines too.
    ReadList("a\nb\rc", l);
    EXPECT_EQ(3u, l.count());

    // 10,000 lines, and one of 100 KB kept whole.
    std::string many;
    for (int i = 0; i < 10000; ++i) many += "http://host.example/page" + std::to_string(i) + "\r\n";
    std::string longLine = "http://long.example/" + std::string(100 * 1024, 'x');
    many += longLine + "\r\n";
    ReadList(many, l);
    ASSERT_EQ(10001u, l.count());
    EXPECT_EQ(AStr("http://host.example/page9999"), l[9999]);
    EXPECT_EQ(longLine.size(), l[10000].size());
}

TEST(MissionFields, OutputFolder) {
    const AStr current = "C:\\Downloads\\site.zbd";
    // No path of its own: the current folder is shown and, left alone,
    // keeps the path empty.
    EXPECT_EQ(current, OutputPathShown("", current));
    EXPECT_EQ(AStr(), ReadOutputPath(current.view(), "", current));
    EXPECT_EQ(AStr("D:\\copy"), OutputPathShown("D:\\copy", current));
    // Another folder typed: taken, its trailing separator dropped.
    EXPECT_EQ(AStr("D:\\other"), ReadOutputPath("D:\\other\\", "", current));
    EXPECT_EQ(AStr("D:\\other"), ReadOutputPath("D:\\other/", "", current));
    EXPECT_EQ(AStr("D:\\other\\"), ReadOutputPath("D:\\other\\\\", "", current));
    // A path of its own that equals the current folder stays.
    EXPECT_EQ(current, ReadOutputPath(current.view(), current, current));
    // Roots keep their separator.
    EXPECT_EQ(AStr("C:\\"), ReadOutputPath("C:\\", "x", current));
    EXPECT_EQ(AStr("/"), ReadOutputPath("/", "x", current));
    // Cleared by the user: empty, the default folder.
    EXPECT_EQ(AStr(), ReadOutputPath("  ", "D:\\copy", current));
}

TEST(ProxyFields, SplitAndJoin) {
    struct Row {
        const char* address;
        const char* host;
        const char* port;
    } split[] = {
        {"proxy.example:8080", "proxy.example", "8080"},
        {"proxy.example", "proxy.example", ""},
        {"", "", ""},
        {"fe80::1:3128", "fe80::1", "3128"},  // the last ':' parts
        {"[::1]:3128", "[::1]", "3128"},
        {"[::1]", "[::1]", ""},                // the brackets' own ':'
        {"host:", "host", ""},
    };
    for (const Row& r : split) {
        ProxyFields f = SplitProxyAddress(r.address);
        EXPECT_EQ(r.host, f.host) << r.address;
        EXPECT_EQ(r.port, f.port) << r.address;
    }
    EXPECT_EQ(AStr("proxy.example:8080"), JoinProxyAddress("proxy.example", "8080"));
    EXPECT_EQ(AStr("proxy.example:8080"), JoinProxyAddress(" proxy.example ", " 8080 "));
    EXPECT_EQ(AStr("proxy.example"), JoinProxyAddress("proxy.example", ""));
    // Leading ':' of the host go: the address never begins with one.
    EXPECT_EQ(AStr("8080"), JoinProxyAddress(":8080", ""));
    EXPECT_EQ(AStr("host:3128"), JoinProxyAddress("::host", "3128"));
    // A port without a host is no address.
    EXPECT_EQ(AStr(), JoinProxyAddress("", "8080"));
    EXPECT_EQ(AStr(), JoinProxyAddress(":", "8080"));
    // A host with ':' in it comes back whole once joined and split.
    AStr joined = JoinProxyAddress("fe80::1", "3128");
    EXPECT_EQ(AStr("fe80::1:3128"), joined);
    ProxyFields back = SplitProxyAddress(joined.view());
    EXPECT_EQ("fe80::1", back.host);
    EXPECT_EQ("3128", back.port);
}

TEST(ProxyFields, PortsThatAreNoPort) {
    for (const char* good : {"", "  ", "1", "80", "8080", " 3128 ", "65535"}) EXPECT_TRUE(ProxyPortValid(good)) << good;
    for (const char* bad : {"abc", "0", "65536", "99999999999", "-1", "80a", "8 0", "+80"})
        EXPECT_FALSE(ProxyPortValid(bad)) << bad;
}

}  // namespace
