// URLs in style sheets, style elements, style attributes and srcset: each
// form is found with the offset the rewriter replaces it at, everything
// else on the page is found as before, and hostile sheets stay bounded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExtractSupport.h"
#include "framework/mwstream.h"
#include "site/CssScanner.h"
#include "site/ResolveLinks.h"
#include "site/Srcset.h"
#include "site/StyleSheet.h"

using sitetest::Describe;
using sitetest::Extract;
using sitetest::Extracted;

namespace {

// "url@end" for every URL the scanner finds in text.
std::string Scan(std::string_view text) {
    CssScanner css;
    std::string s;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!css.feed(text[i], static_cast<uint32_t>(i))) continue;
        if (!s.empty()) s += " ";
        s += std::string(css.url()) + "@" + std::to_string(css.urlEnd());
    }
    return s;
}

// Every record names bytes that stand in the page where it says, with
// numbers the tables hold, so that every tree file reader knows them.
void ExpectRecordsStandInPage(const ExtractList& links, std::string_view page) {
    for (Node* n = links.first(); n != nullptr; n = n->next()) {
        auto& r = *static_cast<ExtractNode*>(n);
        EXPECT_LE(r.tag, html::kTagCount) << Describe(r);
        EXPECT_GE(r.attribute, 1) << Describe(r);
        EXPECT_LE(r.attribute, html::kAttributeCount) << Describe(r);
        ASSERT_LE(r.valueEnd, page.size()) << Describe(r);
        ASSERT_LE(r.linkText.size(), r.valueEnd) << Describe(r);
        EXPECT_EQ(page.substr(r.valueEnd - r.linkText.size(), r.linkText.size()), r.linkText.view()) << Describe(r);
    }
}

std::string Records(std::string_view page) {
    Extracted x;
    Extract(page, x);
    EXPECT_EQ(x.result, 0) << page;
    ExpectRecordsStandInPage(x.links, page);
    return x.records();
}

std::string SheetRecords(std::string_view sheet, size_t maxLinks = ExtractURL::kMaxLinks) {
    ExtractList links;
    imwstream in(sheet);
    EXPECT_EQ(ExtractStyleSheet(in, links, maxLinks), 0);
    ExpectRecordsStandInPage(links, sheet);
    std::string s;
    for (Node* n = links.first(); n != nullptr; n = n->next()) {
        if (!s.empty()) s += " | ";
        s += Describe(*static_cast<ExtractNode*>(n));
    }
    return s;
}

std::string SrcsetUrls(std::string_view value) {
    std::string s;
    ForEachSrcsetUrl(value, [&](std::string_view u) { s += "[" + std::string(u) + "]"; });
    return s;
}

}  // namespace

TEST(CssScanner, FormsOfUrls) {
    struct Row {
        const char* text;
        const char* urls;
    } rows[] = {
        {"a{background:url(a.gif)}", "a.gif@22"},
        {"a{background:URL( \"b c.gif\" )}", "b c.gif@26"},
        {"a{background:url('q.gif')}", "q.gif@23"},
        {"a{background:url(  a.gif  )}", "a.gif@24"},
        {"@import \"s.css\";", "s.css@14"},
        {"@IMPORT 's.css' screen;", "s.css@14"},
        {"@import url(s.css);", "s.css@17"},
        {"@import url(\"s.css\") print;", "s.css@18"},
        {"@import/**/'s.css';", "s.css@17"},
        {"@import\"s.css\";", "s.css@13"},
        {"a{b:url(x.gif),url(y.gif)}", "x.gif@13 y.gif@24"},
        {"a{b:url(data:image/gif;base64,R0lG)}", "data:image/gif;base64,R0lG@34"},
    };
    for (const Row& r : rows) EXPECT_EQ(Scan(r.text), r.urls) << r.text;
}

TEST(CssScanner, WhatIsNoUrl) {
    for (const char* text : {
             "/* url(c.gif) */ a{}",            // in a comment
             "a{content:\"url(s.gif)\"}",        // in a string
             "a{content:'@import \"x.css\"'}",
             "a{b:xurl(x.gif)}",                 // another function
             "a{b:my-url(x.gif)}",
             "a{b:url()}",                       // nothing to fetch
             "a{b:url( )}",
             "a{b:url(a b.gif)}",                // blank inside an unquoted value
             "a{b:url(a(1).gif)}",               // a parenthesis inside it
             "a{b:url(a\"b.gif)}",
             "a{b:url(a\\).gif)}",               // escapes would name another file
             "a{b:url('a\\'b.gif')}",
             "@import \"a\\\"b.css\";",
             "a{b:url(\"a.gif\nb\")}",           // a string broken by a line end
             "@import \"a.css\n\";",
             "@import foo 'x.css';",             // no string directly behind it
             "@media 'x.css'",
             "a{b:\\\"url(x.gif)}",
         })
        EXPECT_EQ(Scan(text), "") << text;
    // After what was no URL the scan goes on.
    EXPECT_EQ(Scan("a{b:url(a b.gif)} c{d:url(ok.gif)}"), "ok.gif@32");
    EXPECT_EQ(Scan("/* a */ b{c:url(ok.gif)} /* url(no.gif) */ /"), "ok.gif@22");
    EXPECT_EQ(Scan("a{content:'x\\'url(no.gif)'} b{c:url(ok.gif)}"), "ok.gif@42");
}

TEST(CssScanner, UnendedAndOverlongUrlsAreDropped) {
    const std::string tail(1 << 20, 'z');
    EXPECT_EQ(Scan("a{b:url(ok.gif)} c{d:url(" + tail), "ok.gif@14");
    EXPECT_EQ(Scan("a{b:url(ok.gif)} c{d:url(\"" + tail), "ok.gif@14");
    EXPECT_EQ(Scan("a{b:url(ok.gif)} @import '" + tail), "ok.gif@14");
    EXPECT_EQ(Scan("a{b:url(ok.gif)} /*" + tail + " url(x.gif)"), "ok.gif@14");
    // An unquoted url( runs to the next ')': what lies between is lost, the rest counts.
    EXPECT_EQ(Scan("a{b:url(x.gif; c{d:url(y.gif)} e{f:url(z.gif)}"), "z.gif@44");
    // Longer than a URL can be: dropped, the next one counts.
    std::string longUrl(CssScanner::kMaxUrl + 1, 'a');
    EXPECT_EQ(Scan("a{b:url(" + longUrl + ")} c{d:url(n.gif)}"), "n.gif@" + std::to_string(longUrl.size() + 24));
    std::string maxUrl(CssScanner::kMaxUrl, 'a');
    EXPECT_EQ(Scan("a{b:url(" + maxUrl + ")}"), maxUrl + "@" + std::to_string(maxUrl.size() + 8));
    CssScanner css;
    for (char c : std::string_view("a{b:url(x.g")) (void)css.feed(c, 0);
    css.reset();
    std::string s;
    std::string_view rest = "if) c{d:url(y.gif)}";
    for (size_t i = 0; i < rest.size(); ++i)
        if (css.feed(rest[i], static_cast<uint32_t>(i))) s += std::string(css.url());
    EXPECT_EQ(s, "y.gif");
}

TEST(Srcset, Candidates) {
    EXPECT_EQ(SrcsetUrls("a.jpg"), "[a.jpg]");
    EXPECT_EQ(SrcsetUrls("a.jpg 1x, b.jpg 2x"), "[a.jpg][b.jpg]");
    EXPECT_EQ(SrcsetUrls("  a.jpg 480w ,b.jpg   800w,c.jpg"), "[a.jpg][b.jpg][c.jpg]");
    // Commas inside a URL belong to it.
    EXPECT_EQ(SrcsetUrls("a.jpg,b.jpg"), "[a.jpg,b.jpg]");
    EXPECT_EQ(SrcsetUrls("a.jpg,, ,b.jpg 2x,"), "[a.jpg][b.jpg]");
    EXPECT_EQ(SrcsetUrls("a.jpg f(1, 2) , b.jpg"), "[a.jpg][b.jpg]");
    EXPECT_EQ(SrcsetUrls("data:image/gif;base64,R0lG 1x, b.jpg 2x"), "[data:image/gif;base64,R0lG][b.jpg]");
    EXPECT_EQ(SrcsetUrls(""), "");
    EXPECT_EQ(SrcsetUrls(" , ,"), "");
    // An unclosed parenthesis swallows the rest of the list, nothing more.
    EXPECT_EQ(SrcsetUrls("a.jpg f(1, b.jpg 2x"), "[a.jpg]");
}

TEST(StyleLinks, InPages) {
    struct Row {
        const char* page;
        const char* records;
    } rows[] = {
        // style attributes: the element's tag, attribute style
        {"<div style=\"background:url(bg.gif)\">", "bg.gif@33 div/style PE"},
        {"<td style='background-image: url(\"c.gif\")'>", "c.gif@39 td/style PE"},
        {"<p style=\"background:url(&quot;q.gif&quot;)\">", "q.gif@36 p/style PE"},
        {"<p style=\"a:url(a.gif);b:url(b.gif)\">", "a.gif@21 p/style PE | b.gif@34 p/style PE"},
        {"<x-card style=\"background:url(x.gif)\">", "x.gif@35 ?/style PE"},
        {"<p style=\"color:red\">", ""},
        {"<p style=\"background:url(#f)\">", ""},
        // style elements: tag style, attribute url
        {"<style>body{background:url(b.gif)}</style>", "b.gif@32 style/url PE"},
        {"<STYLE type=text/css>\n@import \"s.css\";\n@import url(t.css);\n</STYLE>",
         "s.css@36 style/url PE | t.css@56 style/url PE"},
        {"<style><!-- a{b:url(c.gif)} --></style>", "c.gif@25 style/url PE"},
        // srcset: the element's tag (0 for source), attribute url
        {"<img src=a.jpg srcset=\"a2.jpg 2x, a3.jpg 3x\">",
         "a.jpg@14 img/src PE | a2.jpg@29 img/url PE | a3.jpg@40 img/url PE"},
        {"<picture><source srcset=\"w.webp 1x,w2.webp 2x\" type=image/webp></picture>",
         "w.webp@31 ?/url PE | w2.webp@42 ?/url PE"},
        {"<IMG SRCSET=b.jpg>", "b.jpg@17 img/url PE"},
        // srcset on other elements is nothing
        {"<div srcset=\"a.jpg 2x\"><a srcset=b.jpg href=x.htm>", "x.htm@49 a/href"},
    };
    for (const Row& r : rows) EXPECT_EQ(Records(r.page), r.records) << r.page;
}

TEST(StyleLinks, TheRestOfThePageIsFoundAsBefore) {
    // An anchor keeps its own record as the one its text belongs to, and a
    // link element's flags go to its href, whatever the style holds.
    Extracted x;
    const std::string page =
        "<a style=\"background:url(i.gif)\" href=x.htm>Text</a>"
        "<link href=s.css style=\"x:url(j.gif)\" rel=stylesheet>"
        "<script>a='url(no.gif)'</script><style>p{b:url(k.gif)}</style><a href=y.htm>Y</a>";
    Extract(page, x);
    EXPECT_EQ(x.records(), "i.gif@30 a/style PE | x.htm@43 a/href | s.css@68 link/href PE | j.gif@87 link/style PE | "
                           "k.gif@157 style/url PE | y.htm@180 a/href");
    EXPECT_EQ(x.at(1).refText, "Text");
    EXPECT_EQ(x.at(0).refText, "");
    EXPECT_EQ(x.at(5).refText, "Y");
    ExpectRecordsStandInPage(x.links, page);
}

TEST(StyleLinks, HostileStyleInPages) {
    const std::string tail(1 << 20, 'z');
    // A url( without its end in one style element is forgotten by the next.
    EXPECT_EQ(Records("<style>a{b:url(x.gif</style><p>" + tail + "<style>c{d:url(y.gif)}</style>"),
              "y.gif@" + std::to_string(tail.size() + 51) + " style/url PE");
    // A style element without its end makes no more than its URLs.
    EXPECT_EQ(Records("<style>a{b:url(x.gif)}" + tail), "x.gif@20 style/url PE");
    // A srcset or style attribute of 100 KB passes what a value may hold:
    // it is dropped whole, the links behind it count.
    std::string srcset;
    while (srcset.size() < 100000) srcset += "p" + std::to_string(srcset.size()) + ".jpg 2x, ";
    Extracted x;
    std::string page = "<img srcset=\"" + srcset + "\"><img src=after.gif>";
    Extract(page, x);
    EXPECT_EQ(x.records(), "after.gif@" + std::to_string(page.size() - 1) + " img/src PE");
    // Just below it, every candidate is a record.
    std::string fits = srcset.substr(0, srcset.rfind(", ", XmlParser::kMaxValue - 2));
    size_t candidates = 0;
    ForEachSrcsetUrl(fits, [&](std::string_view) { ++candidates; });
    Extracted y;
    std::string page2 = "<img srcset=\"" + fits + "\">";
    Extract(page2, y);
    EXPECT_GT(candidates, 4000u);
    EXPECT_EQ(y.links.count(), candidates);
    ExpectRecordsStandInPage(y.links, page2);
}

TEST(StyleLinks, Sheets) {
    EXPECT_EQ(SheetRecords("@import 'a.css';\nbody { background: url(bg.gif) }\n/* url(no.gif) */ p{b:url( \"p.gif\" )}"),
              "a.css@14 style/url PE | bg.gif@46 style/url PE | p.gif@83 style/url PE");
    EXPECT_EQ(SheetRecords(""), "");
    EXPECT_EQ(SheetRecords("a{b:url(#frag)} c{d:url(" + std::string(1 << 20, 'z')), "");
    // A sheet spread over many reads of the stream.
    std::string big(100000, ' ');
    EXPECT_EQ(SheetRecords(big + "a{b:url(late.gif)}"), "late.gif@100016 style/url PE");
}

TEST(StyleLinks, ManyUrlsInOneSheetAreCapped) {
    std::string sheet;
    for (int i = 0; i < 100000; ++i) sheet += "a{b:url(p" + std::to_string(i) + ".gif)}";
    ExtractList links;
    imwstream in(sheet);
    ASSERT_EQ(ExtractStyleSheet(in, links, ExtractURL::kMaxLinks), 0);
    EXPECT_EQ(links.count(), 100000u);
    ExtractList capped;
    imwstream again(sheet);
    ASSERT_EQ(ExtractStyleSheet(again, capped, 1000), 0);
    ASSERT_EQ(capped.count(), 1000u);
    EXPECT_EQ(static_cast<ExtractNode*>(capped.at(999))->linkText, "p999.gif");
    // A page holds no more than its cap either, counting its other links.
    std::string page = "<a href=x.htm><style>" + sheet + "</style>";
    ExtractList pageLinks;
    AStr base, title;
    ExtractURL x(base, title, pageLinks);
    imwstream pin(page);
    ASSERT_EQ(x.run(pin), 0);
    EXPECT_EQ(pageLinks.count(), 100001u);
}

TEST(StyleLinks, WhichFilesAreSheets) {
    struct Row {
        const char* type;
        const char* url;
        bool sheet;
    } rows[] = {
        {"text/css", "http://h/a", true},
        {"TEXT/CSS", "http://h/a.php?x=1", true},
        {"", "http://h/s.css", true},
        {"", "http://h/s.CSS?v=2", true},
        {"text/plain", "http://h/d/s.css", true},
        {"application/octet-stream", "http://h/s.css#x", true},
        {"text/html", "http://h/s.css", false},
        {"image/gif", "http://h/s.css", false},
        {"", "http://h/s.css/page", false},
        {"", "http://h/page?f=s.css", false},
        {"", "http://h/s.cssx", false},
    };
    for (const Row& r : rows) EXPECT_EQ(IsStyleSheet(r.type, r.url), r.sheet) << r.type << " " << r.url;
}

TEST(StyleLinks, SheetTextHoldsNoCharacterReferences) {
    // A sheet's or a style element's "&copy" is a URL's bytes; a style
    // attribute or a srcset is an attribute value, read with its references.
    const std::string page =
        "<style>a{b:url(s.php?x=1&copy=2)}</style><p style=\"b:url(a.php?x=1&amp;y=2)\">"
        "<img srcset=\"i.php?a&amp;b 2x\">";
    Extracted x;
    Extract(page, x);
    ExtractList sheet;
    imwstream in(std::string_view("a{b:url(c.php?x=1&amp;y=2)}"));
    ASSERT_EQ(ExtractStyleSheet(in, sheet, 10), 0);
    std::string got;
    for (ExtractList* links : {&x.links, &sheet}) {
        std::vector<ResolvedLink> out;
        ResolveLinks(*links, "http://h/p.htm", "", true, out);
        for (auto& r : out) got += std::string(r.url.view()) + " ";
    }
    EXPECT_EQ(got, "http://h/s.php?x=1&copy=2 http://h/a.php?x=1&y=2 http://h/i.php?a&b http://h/c.php?x=1&amp;y=2 ");
}
