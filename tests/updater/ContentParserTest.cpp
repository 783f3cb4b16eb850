// The content description reader: the grammar's rules byte by byte, the
// tree it builds, and the canonical form written and read back.
#include <gtest/gtest.h>

#include <string>

#include "framework/mwstream.h"
#include "updater/ContentParser.h"

namespace {

int parse(const std::string& text, ObjNode& root) {
    imwstream in(text);
    ContentParser parser(&root);
    return parser.Parse(in);
}

// title, "=version" when there is one, "[children]": A=12[B,C]
std::string dump(const ObjNode& parent) {
    std::string out;
    for (const ObjNode* n = parent.firstChild(); n; n = n->nextSibling()) {
        if (!out.empty()) out += ",";
        out += n->prop().title;
        if (!n->prop().version.empty()) out += "=" + n->prop().version;
        if (n->firstChild()) out += "[" + dump(*n) + "]";
    }
    return out;
}

struct Case {
    const char* what;
    const char* input;
    int result;
    const char* tree;
};

const Case kCases[] = {
    // quoting and end tags
    {"single and double quotes, bare end", "<TREE TITLE='A' VERSION=\"12\"></>", 0, "A=12"},
    {"end tag naming the element", "<TREE TITLE='A' VERSION=\"12\"></TREE>", 0, "A=12"},
    {"names without regard to case", "<tree Title=A vErSiOn=3></Tree>", 0, "A=3"},
    {"empty-element form without attributes ends one", "<TREE TITLE=A><TREE TITLE=B></><TREE/><TREE TITLE=C></>", 0,
     "A[B],C"},
    {"slash after a quoted title is an attribute", "<TREE TITLE=\"A\" /><TREE TITLE=B></></>", 0, "A[B]"},
    {"end tag at the root stays at the root", "</></><TREE TITLE=A></>", 0, "A"},
    {"end tag name is not compared", "<TREE TITLE=A><TREE TITLE=B></A></Z><TREE TITLE=C></>", 0, "A[B],C"},
    // values
    {"quoted and bare pieces join", "<TREE TITLE=\"x\"y></>", 0, "xy"},
    {"a blank ends a bare value", "<TREE TITLE=x y></>", 0, "x"},
    {"the other quote inside quotes is a byte", "<TREE TITLE=\"it's\"></>", 0, "it's"},
    {"blanks and > inside quotes are kept", "<TREE TITLE=\"a > b\r\n\"></>", 0, "a > b\r\n"},
    {"a tab belongs to its neighbour", "<TREE TITLE=a\tVERSION=2></>", 0, "a\tVERSION=2"},
    {"entities stay as they are", "<TREE TITLE=\"&amp;\"></>", 0, "&amp;"},
    {"blanks around the equals sign", "<TREE TITLE = \"A\"\r\n VERSION =\n5 ></>", 0, "A=5"},
    {"first of two titles", "<TREE TITLE=A title=B></>", 0, "A"},
    {"unknown attributes are ignored", "<TREE SIZE=9 TITLE=A DATE=x flag></>", 0, "A"},
    {"empty title counts as one", "<TREE TITLE=\"\"></>", 0, ""},
    // comments and text
    {"hyphens inside a comment", "<!-- a -- b - > c --><TREE TITLE=A></>", 0, "A"},
    {"text and comments between elements", "x<TREE TITLE=A>text<!--c-->more</>tail", 0, "A"},
    {"a comment that closes at once", "<!--><TREE TITLE=A></>", 0, "A"},
    // refusals and errors
    {"no attributes", "<TREE TITLE=A><TREE></>", -1, "A"},
    {"no title", "<TREE TITLE=A></><TREE VERSION=1></>", -1, "A"},
    {"another element", "<TREE TITLE=A></><ITEM TITLE=B></>", -1, "A"},
    {"an XML declaration is another element", "<?xml version=\"1.0\"?><TREE TITLE=A></>", -1, ""},
    {"a document type is another element", "<!DOCTYPE tree><TREE TITLE=A></>", -1, ""},
    {"space after <", "< TREE TITLE=A></>", -2, ""},
    {"quote in a tag name", "<TR\"EE TITLE=A></>", -2, ""},
    {"stray byte after the end slash", "<TREE TITLE=A></ >", -2, "A"},
    {"line feed after < gives a nameless element", "<\nTITLE=A><TREE TITLE=B></>", 0, "B"},
    // input that ends early
    {"empty document", "", 0, ""},
    {"ends inside a tag", "<TREE TITLE=A></><TREE TIT", 0, "A"},
    {"ends inside a quoted value", "<TREE TITLE=\"A", 0, ""},
    {"ends inside a comment", "<TREE TITLE=A></><!-- never", 0, "A"},
    {"tree open at the end stays", "<TREE TITLE=A><TREE TITLE=B>", 0, "A[B]"},
};

TEST(ContentParser, GrammarCases) {
    for (const Case& c : kCases) {
        ObjNode root;
        EXPECT_EQ(c.result, parse(c.input, root)) << c.what;
        EXPECT_EQ(c.tree, dump(root)) << c.what;
    }
}

TEST(ContentParser, FieldsOfAParsedNode) {
    ObjNode root;
    ASSERT_EQ(0, parse("<TREE TITLE=G CONTENTURL=http://h/g.xml><TREE TITLE=P VERSION=3.5 PRODUCTURL=http://h/p>"
                       "</></>",
                       root));
    const ObjNode* g = root.firstChild();
    ASSERT_TRUE(g && g->firstChild());
    EXPECT_EQ("http://h/g.xml", g->prop().contentUrl);
    EXPECT_EQ(0, g->prop().versionNumber) << "no version: a group";
    const ObjectProp& p = g->firstChild()->prop();
    EXPECT_EQ("3.5", p.version);
    EXPECT_EQ(3, p.versionNumber);
    EXPECT_EQ("http://h/p", p.productUrl);
    EXPECT_TRUE(p.newVersion.empty() && p.lastSeen.empty());
    EXPECT_EQ(0, p.newVersionNumber);
    EXPECT_EQ(0, p.lastSeenNumber);
}

TEST(ContentParser, ACallbackValueStopsTheReader) {
    struct Stopper : XmlParser {
        int comments = 0;
        int OnComment(const char* text, size_t n) override {
            ++comments;
            return std::string(text, n) == " stop " ? 7 : 0;
        }
    } p;
    const std::string text = "<!-- go --><!-- stop --><!-- never -->";
    imwstream in(text);
    EXPECT_EQ(7, p.Parse(in));
    EXPECT_EQ(2, p.comments);
}

TEST(ContentParser, EventsOfOneTag) {
    struct Recorder : XmlParser {
        std::string log;
        int OnTagName(const char* s, size_t n) override { return log += "name:" + std::string(s, n) + ";", 0; }
        int OnEndTagName(const char* s, size_t n) override { return log += "endname:" + std::string(s, n) + ";", 0; }
        int OnTagClosed(const char* s, size_t n) override { return log += "closed:" + std::string(s, n) + ";", 0; }
        int OnAttribute(const char* a, size_t an, const char* v, size_t vn) override {
            return log += "attr:" + std::string(a, an) + "=" + std::string(v, vn) + ";", 0;
        }
        int OnStartElement(const char* s, size_t n, const XmlAttr* attrs, size_t count) override {
            log += "start:" + std::string(s, n) + "/" + std::to_string(count) + ";";
            return attrs[count].name == nullptr && attrs[count].value == nullptr ? 0 : 99;
        }
        int OnEndElement(const char* s, size_t n) override { return log += "end:" + std::string(s, n) + ";", 0; }
        int OnText(const char* s, size_t n) override { return log += "text:" + std::string(s, n) + ";", 0; }
        int OnComment(const char* s, size_t n) override { return log += "comment:" + std::string(s, n) + ";", 0; }
    } p;
    const std::string text = "hi<a x='1' y>t<!--c--></a>end";
    imwstream in(text);
    EXPECT_EQ(0, p.Parse(in));
    EXPECT_EQ("text:hi;name:a;attr:x=1;attr:y=;closed:a;start:a/2;text:t;comment:c;endname:a;end:a;text:end;", p.log);
}

TEST(ContentParser, NestsDeeplyWithoutExhaustingTheStack) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<TREE TITLE=x>";
    auto root = std::make_unique<ObjNode>();
    EXPECT_EQ(0, parse(deep, *root));
    int depth = 0;
    for (const ObjNode* n = root->firstChild(); n; n = n->firstChild()) ++depth;
    EXPECT_EQ(100000, depth);
    root.reset();  // destroying the chain must not recurse
}

TEST(ContentParser, CanonicalFormByteForByte) {
    ObjNode top;
    top.prop().title = "Root";
    ObjNode* g = top.append(ObjNode::group("Zelko", "http://h/zrenewer/zelko.xml"));
    g->append(ObjNode::product("Brask", "033000", 33000, "http://h/brask"));
    g->append(ObjNode::product("Say \"hi\"", "2", 2, ""));
    ObjNode* sub = g->append(ObjNode::group("Tools", ""));
    sub->append(ObjNode::product("Pad", "1", 1, "http://h/pad"));
    const std::string expected =
        "<TREE TITLE=\"Root\" >\r\n"
        "  <TREE TITLE=\"Zelko\" CONTENTURL=\"http://h/zrenewer/zelko.xml\" >\r\n"
        "    <TREE TITLE=\"Brask\" VERSION=\"033000\" PRODUCTURL=\"http://h/brask\" ></>\r\n"
        "    <TREE TITLE=\"Say \"'\"'\"hi\"'\"'\"\" VERSION=\"2\" ></>\r\n"
        "    <TREE TITLE=\"Tools\" >\r\n"
        "      <TREE TITLE=\"Pad\" VERSION=\"1\" PRODUCTURL=\"http://h/pad\" ></>\r\n"
        "    </>\r\n"
        "  </>\r\n"
        "</>\r\n";
    EXPECT_EQ(expected, CanonicalDescription(top));

    ObjNode back;
    ASSERT_EQ(0, parse(expected, back));
    EXPECT_EQ("Root[Zelko[Brask=033000,Say \"hi\"=2,Tools[Pad=1]]]", dump(back));
    EXPECT_EQ(expected, CanonicalDescription(*back.firstChild()));
}

TEST(ContentParser, HandEditedDescriptions) {
    ObjNode root;
    const char* text =
        "<?-- hand-edited, with comments and odd spacing -->\n"
        "<!-- the maker's products -->\n"
        "<tree title=\"All\">\n"
        "\t<Tree Title=Zelko ContentUrl=http://h/z.xml Owner=\"someone\">\n"
        "  <!-- <TREE TITLE=Hidden> -->\n"
        "\t\t<TREE TITLE=\"Brask\" VERSION=34 PRODUCTURL='http://h/b?a=1&b=2'/>\n"
        "\t\t<TREE TITLE=Renewer VERSION=2.10/>\n"
        "\t</tree>\n"
        "</tree>\n";
    // The first line is no comment: "<?--" starts an element named "?--".
    EXPECT_EQ(-1, parse(text, root));
    EXPECT_EQ("", dump(root));

    ObjNode second;
    EXPECT_EQ(0, parse(std::string(text).substr(std::string(text).find('\n') + 1), second));
    // "/>" after a quoted value is an attribute, so Brask stays open; after
    // a bare value the "/" is part of the value.
    EXPECT_EQ("All[Zelko[Brask=34[Renewer=2.10/]]]", dump(second));
}

}  // namespace
