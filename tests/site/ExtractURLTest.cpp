#include <gtest/gtest.h>

#include <string>

#include "ExtractSupport.h"
#include "site/XmlParser.h"

using sitetest::Extract;
using sitetest::Extracted;

namespace {

struct Case {
    const char* page;
    const char* records;  // Extracted::records()
};

void RunCases(const char* group, std::initializer_list<Case> cases, int knownCodePage = 0) {
    for (const Case& c : cases) {
        Extracted x;
        Extract(c.page, x, knownCodePage);
        EXPECT_EQ(x.records(), c.records) << group << ": " << c.page;
    }
}

}  // namespace

TEST(ExtractURL, AttributesThatMakeLinks) {
    RunCases("link attributes", {
        {"<img src=a.gif>", "a.gif@14 img/src PE"},
        {"<body background=b.gif>", "b.gif@22 body/background PE"},
        {"<td background=\"t.gif\">", "t.gif@21 td/background PE"},
        {"<a href=x.htm>", "x.htm@13 a/href"},
        {"<form action=/cgi>", "/cgi@17 form/action N"},
        {"<frame src=f.htm>", "f.htm@16 frame/src E"},
        {"<input type=image src=b.gif>", "b.gif@27 input/src PE"},
        {"<img lowsrc=l.gif>", "l.gif@17 img/lowsrc PE"},
        {"<blockquote cite=c.htm>", "c.htm@22 blockquote/cite"},
        {"<img usemap=m.map#a>", "m.map#a@19 img/usemap P"},
        {"<xyz src=q>", "q@10 ?/src E"},
        {"<IMG SRC=A.GIF>", "A.GIF@14 img/src PE"},
    });
    RunCases("no link", {
        {"<img usemap=#a>", ""},
        {"<a href=\"#top\">", ""},
        {"<a href=' #top'>", ""},
        {"<a name=x>", ""},
        {"<a href=\"   \">", ""},
        {"<a href>", ""},
        {"<p codebase=c/ id=x>", ""},
        {"<img alt=a.gif title=t.gif>", ""},
    });
}

TEST(ExtractURL, TrimmingOfValues) {
    RunCases("trimming", {
        {"<a href=x.htm\">", "x.htm@13 a/href"},
        {"<a href=\"  x.htm  \">", "x.htm@16 a/href"},
        {"<a href='\"x.htm\"'>", "\"x.htm\"@16 a/href"},
        {"<a href='x.htm \"\" '>", "x.htm@14 a/href"},
        {"<a href=\"\nx.htm\r\n\">", "x.htm@15 a/href"},
    });
}

TEST(ExtractURL, AppletCodebase) {
    Extracted x;
    Extract("<applet code=A.class codebase=cls/ archive=a.jar></applet><object archive=o.jar>"
            "<applet code=B.class>",
            x);
    EXPECT_EQ(x.records(), "A.class@20 applet/code | cls/@34 applet/codebase N | a.jar@48 applet/archive | "
                           "o.jar@79 object/archive | B.class@100 applet/code");
    // The code written before its codebase is resolved against it as well.
    EXPECT_EQ(x.at(0).codebase, "cls/");
    EXPECT_EQ(x.at(1).codebase, "");
    EXPECT_EQ(x.at(2).codebase, "cls/");
    // A codebase belongs to its own applet.
    EXPECT_EQ(x.at(3).codebase, "");
    EXPECT_EQ(x.at(4).codebase, "");
}

TEST(ExtractURL, MetaRefresh) {
    RunCases("refresh", {
        {"<meta http-equiv=\"Refresh\" content=\"0; URL=next.htm\">", "next.htm@51 meta/content E"},
        {"<META HTTP-EQUIV=REFRESH CONTENT=\"5;url=a.htm\">", "a.htm@45 meta/content E"},
        {"<meta http-equiv=refresh content=\"0; URL=&quot;q.htm\">", "q.htm@52 meta/content E"},
        {"<meta http-equiv=refresh content=\"1; Url=m.htm\">", "m.htm@46 meta/content E"},
        // A quoted URL loses its closing quote as well.
        {"<meta http-equiv=refresh content=\"0; URL=&quot;q.htm&quot;\">", "q.htm@52 meta/content E"},
        {"<meta http-equiv=refresh content=\"0; URL='q.htm' \">", "q.htm@47 meta/content E"},
        {"<meta http-equiv=refresh content=\"0; URL='q.htm\">", "q.htm@47 meta/content E"},
        {"<meta http-equiv=refresh content=\"page.htm\">", "page.htm@42 meta/content E"},
    });
    RunCases("no refresh link", {
        {"<meta content=\"0; URL=x.htm\" http-equiv=\"refresh\">", ""},
        {"<meta http-equiv=refresh content=\"5\">", ""},
        {"<meta http-equiv=refresh content=\"0; \">", ""},
        {"<meta http-equiv=refresh><p content=\"0;url=x\">", ""},
        {"<meta http-equiv=expires content=\"0;url=x\">", ""},
    });
}

TEST(ExtractURL, LinkElements) {
    RunCases("link", {
        {"<link rel=stylesheet href=s.css>", "s.css@31 link/href PE"},
        {"<LINK HREF=s.css REL=StyleSheet>", "s.css@16 link/href PE"},
        {"<link rel=next href=n.htm>", "n.htm@25 link/href N"},
        {"<link href=n.htm>", "n.htm@16 link/href N"},
        {"<link rel=\"alternate stylesheet\" href=a.css>", "a.css@43 link/href N"},
        // A link element without href leaves the record before it alone.
        {"<img src=a.gif><link rel=stylesheet>", "a.gif@14 img/src PE"},
        {"<img src=a.gif><link rel=next>", "a.gif@14 img/src PE"},
    });
}

TEST(ExtractURL, AnchorsAndImages) {
    Extracted x;
    Extract("<a href=map.cgi><img src=m.gif ismap></a><a href=x.htm><img src=i.gif alt=\"Home\"></a>", x);
    EXPECT_EQ(x.records(), "map.cgi@15 a/href N | m.gif@30 img/src PE | x.htm@54 a/href | i.gif@69 img/src PE");
    EXPECT_EQ(x.at(0).refText, "");
    EXPECT_EQ(x.at(2).refText, "Home");
    EXPECT_EQ(x.at(1).refText, "");
    EXPECT_EQ(x.at(0).attrStart, 3);
    EXPECT_EQ(x.at(1).attrStart, -1);
    EXPECT_EQ(x.at(2).attrStart, 44);
}

TEST(ExtractURL, BaseElement) {
    Extracted x;
    Extract("<base href=\"http://h/d/\"><base target=_top><a href=' #x'>", x);
    EXPECT_EQ(x.records(), "http://h/d/@23 base/href");
    EXPECT_EQ(x.base, "http://h/d/");
    EXPECT_EQ(x.at(0).attrStart, 6);
}

TEST(ExtractURL, ReferenceTextsAndTitle) {
    struct Text {
        const char* page;
        const char* title;
        const char* refText;  // of the first record; null: the page has none
    };
    const Text cases[] = {
        {"<a href=x>  Hello\r\n\tbig   world&amp;co\"</a>", "", "Hello big world&co"},
        {"<a href=x>one <b>two</b> three</a>", "", "one two three"},
        {"<a href=x>\"quoted\"</a>", "", "\"quoted\""},
        // alt and name come after a space, text as it stands.
        {"<a name=top href=t.htm>Top</a>", "", "topTop"},
        {"<a href=t.htm>Go <img src=i alt=Home>page</a>", "", "Go Homepage"},
        {"<a href=x><img src=y alt=\"A\" name=n><img src=z alt=B></a>", "", "A n B"},
        {"<title> My  &lt;Page&gt; </title><a href=x>", "My <Page> ", ""},
        {"<title>One</title>text<title>Two</title>", "Two", nullptr},
        {"<title>Open", "", nullptr},
        // Text outside an anchor does not reach the next one.
        {"<a href=x>in</a> out <a href=y>next</a>", "", "in"},
        // Text of the anchor after its end is not added.
        {"<a href=x>in</a> out", "", "in"},
        // No end tag: the anchor keeps no text.
        {"<a href=x>never closed", "", ""},
    };
    for (const Text& c : cases) {
        Extracted x;
        Extract(c.page, x);
        EXPECT_EQ(x.title, c.title) << c.page;
        if (c.refText == nullptr) {
            EXPECT_TRUE(x.links.empty()) << c.page;
            continue;
        }
        ASSERT_FALSE(x.links.empty()) << c.page;
        EXPECT_EQ(x.at(0).refText, c.refText) << c.page;
    }
    Extracted last;
    Extract("<a href=x>in</a> out <a href=y>next</a>", last);
    EXPECT_EQ(last.at(1).refText, "next");
}

TEST(ExtractURL, CodePageWordsOfAnchors) {
    RunCases("page in Windows code page", {
        {"<a href=koi.htm>KOI</a>", "koi.htm@15 a/href VO"},
        {"<a href=win.htm>win</a>", "win.htm@15 a/href V"},
        {"<a href=dos.htm>Dos</a><a href=alt.htm>ALT</a>", "dos.htm@15 a/href VO | alt.htm@38 a/href VO"},
        {"<a href=m.htm>MAC</a><a href=l.htm>lat</a>", "m.htm@13 a/href VO | l.htm@34 a/href VO"},
        {"<a href=x.htm title=t>KOI</a>", "x.htm@13 a/href"},
        {"<a href=x.htm><b>KOI</b></a>", "x.htm@13 a/href"},
        {"<a href=x.htm> KOI</a>", "x.htm@13 a/href"},
        {"<a href=x.htm>KOI8</a>", "x.htm@13 a/href"},
        {"<a href=#k>KOI</a>", ""},
    }, 1);
    RunCases("page in KOI8", {{"<a href=koi.htm>KOI</a>", "koi.htm@15 a/href V"}}, 3);
    RunCases("code page unknown", {{"<a href=koi.htm>KOI</a>", "koi.htm@15 a/href"}}, 0);
}

TEST(ExtractURL, ScriptAndStyleContentMakesNoLinks) {
    RunCases("raw content", {
        {"<script src=s.js>var u=\"<a href='x.htm'>\";</script><img src=a.gif>",
         "s.js@16 script/src E | a.gif@65 img/src PE"},
        // A style element's URLs are its only links; HTML in it is none.
        {"<style>body{background:url(b.gif)}</style><a href=y>", "b.gif@32 style/url PE | y@51 a/href"},
        {"<style>p{content:'<a href=x.htm>'}</style><a href=y>", "y@51 a/href"},
        {"<SCRIPT>document.write('<img src=x>')</SCRIPT><a href=y>", "y@55 a/href"},
    });
}

TEST(ExtractURL, MetaCharset) {
    struct Row {
        const char* page;
        int charset;
    };
    const Row rows[] = {
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">", 3},
        {"<meta content='text/html; CHARSET=\"IBM866\"' http-equiv=content-type>", 2},
        {"<meta http-equiv=Content-Type content=\"text/html;charset=windows-1251\">", 1},
        {"<meta http-equiv=Content-Type content=\"text/html; charset=windows-1252\">", 1},
        {"<meta http-equiv=Content-Type content=\"text/html; charset=iso8859-5\">", 4},
        {"<meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">", 0},
        {"<meta http-equiv=Content-Type content=\"text/html\">", 0},
        {"<meta name=Content-Type content=\"text/html; charset=koi8-r\">", 0},
        {"<meta http-equiv=Content-Type content=\"\">", 0},
    };
    for (const Row& r : rows) {
        Extracted x;
        Extract(r.page, x);
        EXPECT_EQ(x.metaCharset, r.charset) << r.page;
        EXPECT_EQ(x.records(), "") << r.page;
    }
}

TEST(ExtractURL, MalformedEmptyElementEndsThePage) {
    Extracted x;
    Extract("<img src=a.gif><br/ ><img src=b.gif>", x);
    EXPECT_EQ(x.result, XmlParser::kMalformed);
    EXPECT_EQ(x.records(), "a.gif@14 img/src PE");
}

TEST(ExtractURL, UnreadableFileGivesNoRecords) {
    AStr base, title;
    ExtractList links;
    ExtractURL x(base, title, links);
    EXPECT_EQ(x.run(ZB_BINARY_DIR "/no/such/page.htm"), -1);
    EXPECT_TRUE(links.empty());
}
