// Pages that no server should send: none of them may crash the extractor,
// make it hold more than the records it found, or lose the records found
// before the problem.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ExtractSupport.h"
#include "site/PageCodePage.h"
#include "site/ResolveLinks.h"
#include "site/XmlParser.h"

using sitetest::Extract;
using sitetest::Extracted;

namespace {

void ExpectRecordsInsidePage(const Extracted& x, size_t size) {
    for (Node* n = x.links.first(); n != nullptr; n = n->next()) {
        auto* r = static_cast<ExtractNode*>(n);
        ASSERT_LE(r->valueEnd, size);
        ASSERT_LE(r->linkText.size(), r->valueEnd);
        ASSERT_LE(r->refText.size(), ExtractURL::kMaxText);
    }
}

std::string Resolved(Extracted& x) {
    std::vector<ResolvedLink> out;
    ResolveLinks(x.links, "http://h/p.htm", x.base, true, out);
    std::string s;
    for (auto& r : out) s += std::string(r.url.view()) + " ";
    return s;
}

}  // namespace

TEST(ExtractBadInput, BinaryBytes) {
    std::string page(1 << 20, '\0');
    uint32_t seed = 12345;
    for (char& c : page) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    page += "<a href=last.htm>";  // reached only if nothing before ended the parse
    Extracted x;
    Extract(page, x);
    ExpectRecordsInsidePage(x, page.size());
    Resolved(x);
}

TEST(ExtractBadInput, ZeroBytes) {
    using namespace std::string_literals;
    Extracted x;
    Extract("<img src=a.gif><a href=x\0y.htm>t\0t</a><i\0mg src=b.gif>"s, x);
    EXPECT_EQ(x.records(), "a.gif@14 img/src PE | x\\x00y.htm@30 a/href | b.gif@53 ?/src E");
    EXPECT_EQ(x.at(1).refText, "t\0t"s);
    // A zero byte makes no URL.
    EXPECT_EQ(Resolved(x), "http://h/a.gif http://h/b.gif ");
}

TEST(ExtractBadInput, OneLongLine) {
    // The same shape as a 100 MB line, smaller to keep the suite fast.
    std::string page = "<img src=a.gif><title>" + std::string(8 << 20, 'x') + "</title><a href=x>" +
                       std::string(8 << 20, 'y') + "</a>";
    Extracted x;
    Extract(page, x);
    EXPECT_EQ(x.result, 0);
    ASSERT_EQ(x.links.count(), 2u);
    EXPECT_EQ(x.title.size(), ExtractURL::kMaxText);
    EXPECT_EQ(x.at(1).refText.size(), ExtractURL::kMaxText);
}

TEST(ExtractBadInput, UnterminatedConstructsKeepEarlierRecords) {
    const std::string tail(1 << 20, 'z');
    const std::string first = "a.gif@14 img/src PE";
    struct Row {
        std::string page;
        int result;
        std::string records;
    };
    const Row rows[] = {
        {"<img src=a.gif><!-- " + tail, 0, first},
        // The value is complete at the blank; the name behind it is too long.
        {"<img src=a.gif><a href=x.htm " + tail, 0, first + " | x.htm@28 a/href"},
        {"<img src=a.gif><a href=\"x.htm>" + tail, 0, first},
        {"<img src=a.gif><a " + tail, 0, first},
        {"<img src=a.gif><script>" + tail, 0, first},
        {"<img src=a.gif><" + tail, 0, first},
        // Ends inside a value: the attribute was never complete.
        {"<img src=a.gif><a href=\"x.htm", 0, first},
        {"<img src=a.gif><a href=x.htm", 0, first},
        {"<img src=a.gif><", 0, first},
    };
    for (const Row& r : rows) {
        Extracted x;
        Extract(r.page, x);
        EXPECT_EQ(x.result, r.result) << r.page.substr(0, 40);
        EXPECT_EQ(x.records(), r.records) << r.page.substr(0, 40);
    }
}

TEST(ExtractBadInput, LinksBehindALongAttributeOrDataUriCount) {
    std::string page = "<a href=one.htm><div data-blob=\"" + std::string(70 << 10, 'd') + "\"></div>" +
                       "<img src=\"data:image/png;base64," + std::string(1 << 20, 'A') + "\">" +
                       "<a href=two.htm><img src=three.gif>";
    Extracted x;
    Extract(page, x);
    EXPECT_EQ(x.result, 0);
    EXPECT_EQ(Resolved(x), "http://h/one.htm http://h/two.htm http://h/three.gif ");
}

TEST(ExtractBadInput, AMillionAttributes) {
    std::string page = "<p";
    for (int i = 0; i < 1000000; ++i) page += " id=1";
    page += "><img";
    for (int i = 0; i < 100000; ++i) page += " src=x";
    page += ">";
    Extracted x;
    Extract(page, x);
    EXPECT_EQ(x.result, 0);
    // Memory grows with the records alone: one per link attribute.
    EXPECT_EQ(x.links.count(), 100000u);
    ExpectRecordsInsidePage(x, page.size());
}

// A page of more links than any real one keeps its first ones: what one
// page costs is bounded whatever it holds. A late first base still counts.
TEST(ExtractBadInput, LinkRecordsAreCappedPerPage) {
    const size_t cap = ExtractURL::kMaxLinks;
    std::string page;
    page.reserve((cap + 10) * 22);
    for (size_t i = 0; i < cap + 10; ++i) page += "<a href=p" + std::to_string(i) + ".htm>";
    page += "<base href=\"http://other/\"><base href=\"http://third/\">";
    Extracted x;
    Extract(page, x);
    EXPECT_EQ(x.result, 0);
    ASSERT_EQ(x.links.count(), cap + 1);
    EXPECT_EQ(std::string(x.at(cap - 1).linkText.view()), "p" + std::to_string(cap - 1) + ".htm");
    EXPECT_EQ(x.at(cap).tag, html::TagBase);
    EXPECT_EQ(std::string(x.base.view()), "http://other/");
    ExpectRecordsInsidePage(x, page.size());
}

TEST(ExtractBadInput, DeepNesting) {
    std::string page;
    for (int i = 0; i < 50000; ++i) page += "<div><a href=x>";
    page += "<img src=deep.gif>";
    for (int i = 0; i < 50000; ++i) page += "</a></div>";
    Extracted x;
    Extract(page, x);
    EXPECT_EQ(x.result, 0);
    EXPECT_EQ(x.links.count(), 50001u);
    EXPECT_EQ(x.at(50000).linkText, "deep.gif");
}
