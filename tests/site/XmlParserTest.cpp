#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "TraceSupport.h"
#include "framework/fwstream.h"

using sitetest::XmlTrace;

namespace {

struct Case {
    const char* input;
    const char* trace;
    int result = 0;
};

void RunCases(const char* group, std::initializer_list<Case> cases, const char* rawFor = "") {
    for (const Case& c : cases) {
        XmlTrace t(rawFor);
        int r = 1;
        EXPECT_EQ(t.run(c.input, &r), c.trace) << group << ": " << c.input;
        EXPECT_EQ(r, c.result) << group << ": " << c.input;
    }
}

}  // namespace

TEST(XmlParser, TagsAndAttributes) {
    RunCases("tags", {
        {"<a href=\"x.htm\">Link</a>", "start(a) attr(a,href,x.htm,\") endstart(a) text(Link) end(a)"},
        {"<A HREF=X>", "start(A) attr(A,HREF,X,) endstart(A)"},
        {"<img src=pic.gif width=10>", "start(img) attr(img,src,pic.gif,) attr(img,width,10,) endstart(img)"},
        {"<a title='say \"hi\" >'>", "start(a) attr(a,title,say \"hi\" >,') endstart(a)"},
        {"<a title=\"it's\">", "start(a) attr(a,title,it's,\") endstart(a)"},
        {"<a href = \"x\" >", "start(a) attr(a,href,x,\") endstart(a)"},
        {"<a\thref=x\r\nname=y\n>", "start(a) attr(a,href,x,) attr(a,name,y,) endstart(a)"},
        {"<a ismap href=x>", "start(a) attr(a,ismap,,) attr(a,href,x,) endstart(a)"},
        {"<td nowrap>", "start(td) attr(td,nowrap,,) endstart(td)"},
        {"<a href=>", "start(a) attr(a,href,,) endstart(a)"},
        {"<a href=x.htm\">", "start(a) attr(a,href,x.htm\",) endstart(a)"},
        {"<a href=\"x\"name=y>", "start(a) attr(a,href,x,\") attr(a,name,y,) endstart(a)"},
        {"<a href=a/b/>", "start(a) attr(a,href,a/b/,) endstart(a)"},
        {"</a junk=\"x\">", "end(a)"},
        {"x<b>y", "text(x) start(b) endstart(b) text(y)"},
        {"<!DOCTYPE html>", "start(!DOCTYPE) attr(!DOCTYPE,html,,) endstart(!DOCTYPE)"},
        {"<>", "start() endstart()"},
    });
    RunCases("quote in a tag name ignores the tag", {
        {"<a\"b href=x>text", "text(text)"},
        {"<a'b>x</a>", "text(x) end(a)"},
        {"</a\"b>x", "text(x)"},
    });
}

TEST(XmlParser, EmptyElements) {
    RunCases("empty", {
        {"<br/>", "start(br) endstart(br) end(br)"},
        {"<img src=x />", "start(img) attr(img,src,x,) endstart(img) end(img)"},
        {"<input checked />", "start(input) attr(input,checked,,) endstart(input) end(input)"},
        // A '/' not directly followed by '>' ends the parse; what came before stays.
        {"<p>a</p><br/ >tail", "start(p) endstart(p) text(a) end(p) start(br)", XmlParser::kMalformed},
        {"<br / >", "start(br)", XmlParser::kMalformed},
        {"<a/b>", "start(a)", XmlParser::kMalformed},
    });
}

TEST(XmlParser, Comments) {
    RunCases("comments", {
        {"<!-- x -->", "comment( x )"},
        {"<!--x-->after", "comment(x) text(after)"},
        {"<!---->after", "text(after)"},
        {"<!-->after", "text(after)"},
        {"<!--->after", "text(after)"},
        {"<!-- a->b -->", "comment( a->b )"},
        {"<!-- a -- b -->", "comment( a -- b )"},
        {"<!-- a --->", "comment( a -)"},
        {"<!-- a > b -->", "comment( a > b )"},
        {"<!-- <a href=x> -->", "comment( <a href=x> )"},
        {"<!-- open", "comment( open)"},
        {"<!-- x --", "comment( x --)"},
        {"<!-- x -- >", "comment( x -- >)"},
        {"<!-x>", "start(!-x) endstart(!-x)"},
    });
}

TEST(XmlParser, UnterminatedInputKeepsWhatCameBefore) {
    RunCases("unterminated", {
        {"<b>x</b><a href=\"x.htm>Link</a>", "start(b) endstart(b) text(x) end(b) start(a)"},
        {"<a href=x", "start(a)"},
        {"<a href", "start(a)"},
        {"text<", "text(text)"},
        {"<a", ""},
        {"</a", ""},
    });
}

TEST(XmlParser, BinaryBytes) {
    using namespace std::string_literals;
    XmlTrace t;
    EXPECT_EQ(t.run("a\0b<b>"s), "text(a\\x00b) start(b) endstart(b)");
    EXPECT_EQ(t.run("<a\0b x=\0>"s), "start(a\\x00b) attr(a\\x00b,x,\\x00,) endstart(a\\x00b)");
    EXPECT_EQ(t.run("\xff\xfe<\xe0>\x80"), "text(\\xff\\xfe) start(\\xe0) endstart(\\xe0) text(\\x80)");
}

TEST(XmlParser, RawContentEndsAtItsClosingTag) {
    RunCases("raw", {
        {"<script src=s.js>var a='<a href=x>';</script><a href=y>",
         "start(script) attr(script,src,s.js,) endstart(script) raw(var a='<a href=x>';</script>) start(a) attr(a,href,y,) endstart(a)"},
        {"<script>x</SCRIPT><b>", "start(script) endstart(script) raw(x</SCRIPT>) start(b) endstart(b)"},
        // The byte that breaks a partial match may itself begin the closing tag.
        {"<script>a<</script><b>", "start(script) endstart(script) raw(a<</script>) start(b) endstart(b)"},
        {"<script>a</scr</script>b", "start(script) endstart(script) raw(a</scr</script>) text(b)"},
        {"<script>a</script >b", "start(script) endstart(script) raw(a</script >b)"},
        {"<script>never closed", "start(script) endstart(script) raw(never closed)"},
    }, "script");
}

TEST(XmlParser, Offsets) {
    XmlTrace t;
    t.withOffsets = true;
    EXPECT_EQ(t.run("<a href=\"x.htm\">"), "start(a) attr(a,href,x.htm,\")@3/9 endstart(a)");
    EXPECT_EQ(t.run("ab<a  href = x>"), "text(ab) start(a) attr(a,href,x,)@6/13 endstart(a)");
    EXPECT_EQ(t.run("<a href=\"\">"), "start(a) attr(a,href,,\")@3/9 endstart(a)");
}

TEST(XmlParser, HandlerResultStopsTheParse) {
    XmlTrace t;
    t.stopOnText = 7;
    int r = 0;
    EXPECT_EQ(t.run("<a>one<b>two", &r), "start(a) endstart(a) text(one)");
    EXPECT_EQ(r, 7);

    XmlTrace refuse;
    refuse.accept = false;
    EXPECT_EQ(refuse.run("<a href=x>t</a>"), "text(t)");
}

namespace {

// Counts events without keeping them, for large inputs.
class Counter : public XmlParser {
public:
    size_t starts = 0, ends = 0, attrs = 0, texts = 0, comments = 0, textBytes = 0, commentBytes = 0;
    size_t longestChunk = 0;
    std::string lastAttr;

    int run(std::string_view input) {
        imwstream in(input);
        return parse(in);
    }

protected:
    int startTag(std::string_view) override { ++starts; return 0; }
    int endStartTag(std::string_view) override { return 0; }
    int attribute(std::string_view, std::string_view name, std::string_view value, char) override {
        ++attrs;
        lastAttr = std::string(name) + "=" + std::string(value);
        return 0;
    }
    int endTag(std::string_view) override { ++ends; return 0; }
    int text(std::string_view b) override { ++texts; textBytes += b.size(); chunk(b); return 0; }
    int comment(std::string_view b) override { ++comments; commentBytes += b.size(); chunk(b); return 0; }
    int rawByte(char) override { return 0; }

private:
    void chunk(std::string_view b) { longestChunk = std::max(longestChunk, b.size()); }
};

}  // namespace

TEST(XmlParser, TextAndCommentsComeInChunks) {
    Counter c;
    ASSERT_EQ(c.run(std::string(2500, 'x') + "<b>"), 0);
    EXPECT_EQ(c.texts, 3u);
    EXPECT_EQ(c.textBytes, 2500u);
    EXPECT_EQ(c.longestChunk, XmlParser::kChunk);

    // The held-back closing hyphens never reach the handler, whatever the
    // chunk boundary.
    Counter h;
    ASSERT_EQ(h.run("<!--" + std::string(2000, '-') + ">"), 0);
    EXPECT_EQ(h.commentBytes, 1998u);
    EXPECT_EQ(h.comments, 2u);
    Counter e;
    ASSERT_EQ(e.run("<!--" + std::string(1023, 'a') + "--->"), 0);
    EXPECT_EQ(e.comments, 1u);
    EXPECT_EQ(e.commentBytes, 1024u);
}

TEST(XmlParser, LargeInputStaysBounded) {
    const size_t big = 10u << 20;
    {
        Counter c;  // one 10 MB line of text between two links
        ASSERT_EQ(c.run("<a href=x>" + std::string(big, 'y') + "<a href=z>"), 0);
        EXPECT_EQ(c.textBytes, big);
        EXPECT_LE(c.longestChunk, XmlParser::kChunk);
        EXPECT_EQ(c.attrs, 2u);
        EXPECT_EQ(c.lastAttr, "href=z");
    }
    {
        Counter c;  // an unterminated quote running 10 MB: never complete
        EXPECT_EQ(c.run("<a href=x><a href=\"" + std::string(big, 'q')), 0);
        EXPECT_EQ(c.attrs, 1u);
        EXPECT_EQ(c.lastAttr, "href=x");
    }
    {
        Counter c;
        EXPECT_EQ(c.run("<a href=x><" + std::string(big, 'n')), 0);
        EXPECT_EQ(c.attrs, 1u);
    }
    {
        Counter c;  // an unterminated comment
        ASSERT_EQ(c.run("<!--" + std::string(big, 'c')), 0);
        EXPECT_EQ(c.commentBytes, big);
        EXPECT_LE(c.longestChunk, XmlParser::kChunk);
    }
    {
        Counter c;  // 100000 attributes on one tag
        std::string s = "<a";
        for (int i = 0; i < 100000; ++i) s += " x" + std::to_string(i) + "=1";
        ASSERT_EQ(c.run(s + " href=last>"), 0);
        EXPECT_EQ(c.attrs, 100001u);
        EXPECT_EQ(c.lastAttr, "href=last");
    }
    {
        Counter c;  // deep nesting
        std::string s;
        for (int i = 0; i < 100000; ++i) s += "<div>";
        s += "x";
        for (int i = 0; i < 100000; ++i) s += "</div>";
        ASSERT_EQ(c.run(s), 0);
        EXPECT_EQ(c.starts, 100000u);
        EXPECT_EQ(c.ends, 100000u);
    }
}

TEST(XmlParser, RandomBytesNeverBreakIt) {
    using namespace std::string_literals;
    const std::string alphabet = "<>/=\"' \t\r\n!-abcAB\0\xff"s;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        std::string s(64 * 1024, ' ');
        for (char& ch : s)
            ch = (rng() & 3) ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
        Counter c;
        int r = c.run(s);
        EXPECT_TRUE(r == 0 || r == XmlParser::kMalformed) << "seed " << seed << " result " << r;
        EXPECT_LE(c.longestChunk, XmlParser::kChunk) << "seed " << seed;
    }
}

TEST(XmlParser, ReadsAFileAcrossBufferRefills) {
    auto path = std::filesystem::temp_directory_path() / "zb-xmlparser-refill.htm";
    std::string page = std::string(1020, ' ') + "<a href=\"across.htm\">x</a>";
    {
        ofwstream out(path.string().c_str());
        ASSERT_TRUE(out.good());
        ASSERT_TRUE(out.write(page));
        ASSERT_EQ(out.close(), 0);
    }
    XmlTrace t;
    t.withOffsets = true;
    ifwstream in(path.string().c_str());
    ASSERT_TRUE(in.good());
    ASSERT_EQ(t.parse(in), 0);
    EXPECT_NE(t.trace.find("attr(a,href,across.htm,\")@1023/1029"), std::string::npos) << t.trace;
    in.close();
    std::filesystem::remove(path);
}

TEST(XmlParser, TextRunsAcrossReadBlocks) {
    // The stream is read in blocks; neither the chunks of text nor the
    // offsets may depend on where a block ends.
    Counter c;
    ASSERT_EQ(c.run("<b>" + std::string(5000, 'x') + "<i>"), 0);
    EXPECT_EQ(c.texts, 5u);  // 4 x 1024 + 904
    EXPECT_EQ(c.textBytes, 5000u);
    EXPECT_EQ(c.longestChunk, XmlParser::kChunk);

    XmlTrace t;
    t.withOffsets = true;
    std::string page = std::string(XmlParser::kBlock - 5, ' ') + "<a href=x>";
    t.run(page);
    size_t at = XmlParser::kBlock - 5 + 3;
    EXPECT_NE(t.trace.find("attr(a,href,x,)@" + std::to_string(at) + "/" + std::to_string(at + 5)), std::string::npos)
        << t.trace.substr(t.trace.size() - 60);
}

TEST(XmlParser, OverLongTokensAreDroppedAndTheParseGoesOn) {
    const std::string longValue(XmlParser::kMaxValue + 1, 'v');
    const std::string longName(XmlParser::kMaxName + 1, 'n');
    struct Row {
        std::string page;
        std::string lastAttr;
        size_t attrs;
    };
    const Row rows[] = {
        {"<a data-x=\"" + longValue + "\" href=after>", "href=after", 1},
        {"<a data-x='" + longValue + "'><a href=after>", "href=after", 1},
        {"<a data-x=" + longValue + " href=after>", "href=after", 1},
        {"<a " + longName + "=1 href=after>", "href=after", 1},
        {"<a " + longName + "><a href=after>", "href=after", 1},
        {"<" + longName + " href=no><a href=after>", "href=after", 1},
        // Exactly at the maximum the value is kept whole.
        {"<a href=\"" + std::string(XmlParser::kMaxValue, 'w') + "\">", "href=" + std::string(XmlParser::kMaxValue, 'w'), 1},
    };
    for (const Row& r : rows) {
        Counter c;
        EXPECT_EQ(c.run(r.page), 0) << r.page.substr(0, 30);
        EXPECT_EQ(c.attrs, r.attrs) << r.page.substr(0, 30);
        EXPECT_EQ(c.lastAttr, r.lastAttr) << r.page.substr(0, 30);
    }
}
