#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TraceSupport.h"
#include "site/HtmlTables.h"

using sitetest::HtmlTrace;

namespace {

// The numbering written down independently of the tables: a name's number
// is its place in these lists, from 1. The tree file stores these numbers.
const std::vector<std::string> kTagOrder = {
    "a", "abbr", "acronym", "address", "applet", "area", "b", "base", "basefont", "bdo", "bgsound",
    "big", "blink", "blockquote", "body", "br", "button", "caption", "center", "cite", "code",
    "col", "colgroup", "comment", "dd", "del", "dfn", "dir", "div", "dl", "dt", "em", "embed",
    "fieldset", "font", "form", "frame", "frameset", "h1", "h2", "h3", "h4", "h5", "h6", "head",
    "hr", "html", "i", "iframe", "image", "img", "input", "ins", "isindex", "kbd", "label",
    "legend", "li", "link", "listing", "map", "marquee", "menu", "meta", "nobr", "noframes",
    "noscript", "object", "ol", "optgroup", "option", "p", "param", "plaintext", "pre", "q", "s",
    "samp", "script", "select", "small", "span", "strike", "strong", "style", "sub", "sup",
    "table", "tbody", "td", "textarea", "tfoot", "th", "thead", "title", "tr", "tt", "u", "ul",
    "var", "wbr", "xmp",
};

const std::vector<std::string> kAttributeOrder = {
    "abbr", "accept", "acceptcharset", "accesskey", "action", "align", "alink", "alt", "archive",
    "axis", "background", "balance", "behavior", "bgcolor", "bgproperties", "border",
    "bordercolor", "bordercolordark", "bordercolorlight", "bottommargin", "cellpadding",
    "cellspacing", "char", "charoff", "charset", "checked", "cite", "class", "classid", "clear",
    "code", "codebase", "codetype", "color", "cols", "colspan", "compact", "content", "coords",
    "data", "datafld", "dataformatas", "datapagesize", "datasrc", "datetime", "declare", "defer",
    "dir", "direction", "disabled", "dynsrc", "enctype", "event", "face", "for", "frame",
    "frameborder", "framespacing", "headers", "height", "href", "hreflang", "hspace", "http-equiv",
    "id", "ismap", "label", "lang", "language", "leftmargin", "link", "longdesc", "loop", "lowsrc",
    "marginheight", "marginwidth", "maxlength", "media", "method", "methods", "multiple", "name",
    "nohref", "noresize", "noshade", "nowrap", "object", "onblur", "onchange", "onclick",
    "ondbclick", "onfocus", "onkeydown", "onkeypress", "onkeyup", "onload", "onmousedown",
    "onmousemove", "onmouseout", "onmouseover", "onmouseup", "onreset", "onselect", "onsubmit",
    "onunload", "profile", "prompt", "readonly", "rel", "rev", "rightmargin", "rows", "rowspan",
    "rules", "scheme", "scope", "scroll", "scrollamount", "scrolldelay", "scrolling", "selected",
    "shape", "size", "span", "src", "standby", "start", "style", "summary", "tabindex", "target",
    "text", "title", "topmargin", "truespeed", "type", "units", "url", "urn", "usemap", "valign",
    "value", "valuetype", "version", "vlink", "volume", "vspace", "width", "wrap",
};

void ExpectTable(std::span<const html::NamedNumber> table, const std::vector<std::string>& order,
                 uint16_t (*lookup)(std::string_view)) {
    ASSERT_EQ(table.size(), order.size());
    for (size_t i = 1; i < table.size(); ++i)
        EXPECT_LT(std::string_view(table[i - 1].name), std::string_view(table[i].name)) << "unsorted at " << table[i].name;
    for (size_t i = 0; i < order.size(); ++i) {
        const std::string& name = order[i];
        EXPECT_EQ(lookup(name), i + 1) << name;
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(lookup(upper), i + 1) << upper;
        EXPECT_LE(name.size(), html::kMaxTableName) << name;
        EXPECT_EQ(lookup(name + "x"), 0) << name;
    }
}

}  // namespace

TEST(HtmlTables, EveryNameHasItsNumber) {
    EXPECT_EQ(kTagOrder.size(), html::kTagCount);
    EXPECT_EQ(kAttributeOrder.size(), html::kAttributeCount);
    ExpectTable(html::Tags(), kTagOrder, html::TagNumber);
    ExpectTable(html::Attributes(), kAttributeOrder, html::AttributeNumber);
}

TEST(HtmlTables, UnknownNamesAreZero) {
    for (const char* name : {"", "blah", "aa", "zzz", "0", "!--", "!doctype", "a-", "\xc0", "scripts", "verylongnamethatisnotthere"}) {
        EXPECT_EQ(html::TagNumber(name), 0) << name;
        EXPECT_EQ(html::AttributeNumber(name), 0) << name;
    }
}

TEST(HtmlTables, NumbersTheExtractorActsOn) {
    struct { const char* name; uint16_t number; } tags[] = {
        {"a", html::TagA}, {"applet", html::TagApplet}, {"base", html::TagBase}, {"body", html::TagBody},
        {"form", html::TagForm}, {"frame", html::TagFrame}, {"head", html::TagHead}, {"image", html::TagImage},
        {"img", html::TagImg}, {"input", html::TagInput}, {"link", html::TagLink}, {"meta", html::TagMeta},
        {"script", html::TagScript}, {"style", html::TagStyle}, {"title", html::TagTitle},
    }, attrs[] = {
        {"action", html::AttrAction}, {"alt", html::AttrAlt}, {"archive", html::AttrArchive},
        {"background", html::AttrBackground}, {"cite", html::AttrCite}, {"code", html::AttrCode},
        {"codebase", html::AttrCodebase}, {"content", html::AttrContent}, {"href", html::AttrHref},
        {"http-equiv", html::AttrHttpEquiv}, {"ismap", html::AttrIsmap}, {"lowsrc", html::AttrLowsrc},
        {"name", html::AttrName}, {"rel", html::AttrRel}, {"src", html::AttrSrc}, {"style", html::AttrStyle},
        {"url", html::AttrUrl}, {"usemap", html::AttrUsemap},
    };
    for (auto& t : tags) EXPECT_EQ(html::TagNumber(t.name), t.number) << t.name;
    for (auto& a : attrs) EXPECT_EQ(html::AttributeNumber(a.name), a.number) << a.name;
}

TEST(HtmlParser, NamesBecomeNumbers) {
    HtmlTrace t;
    EXPECT_EQ(t.run("<A HREF=\"x.htm\">Link</A>"), "start(1) attr(1,61,x.htm,\") endstart(1) text(Link) end(1)");
    EXPECT_EQ(t.run("<blah foo=1><!--c--></blah>"), "start(0) attr(0,0,1,) endstart(0) comment(c) end(0)");
    EXPECT_EQ(t.run("<br/>"), "start(16) endstart(16) end(16)");
}

TEST(HtmlParser, ModeBitsSkipContent) {
    struct Row {
        unsigned mode;
        const char* input;
        const char* trace;
    } rows[] = {
        {HtmlParser::SkipScript, "<script src=s.js><a href=in></script><a href=out>",
         "start(79) attr(79,125,s.js,) endstart(79) start(1) attr(1,61,out,) endstart(1)"},
        {0, "<script><a href=in></script>", "start(79) endstart(79) start(1) attr(1,61,in,) endstart(1) end(79)"},
        {HtmlParser::SkipScript, "<APPLET code=a.class>x</applet>y", "start(5) attr(5,31,a.class,) endstart(5) text(y)"},
        {HtmlParser::SkipScript, "<style>a</style>", "start(85) endstart(85) text(a) end(85)"},
        {HtmlParser::SkipStyle, "<style>@import 'x';</style>y", "start(85) endstart(85) text(y)"},
        {HtmlParser::SkipStyle, "<script>a</script>", "start(79) endstart(79) text(a) end(79)"},
        // A self-closed element has no content to skip; without the blank the
        // '/' belongs to the unquoted value and the element is not empty.
        {HtmlParser::SkipScript | HtmlParser::SkipStyle, "<script src=s.js/><a href=y>",
         "start(79) attr(79,125,s.js/,) endstart(79)"},
        {HtmlParser::SkipScript | HtmlParser::SkipStyle, "<script src=\"s.js\"/><a href=y>",
         "start(79) attr(79,125,s.js,\") endstart(79) end(79) start(1) attr(1,61,y,) endstart(1)"},
        {HtmlParser::SkipScript | HtmlParser::SkipStyle, "<script src=s.js /><a href=y>",
         "start(79) attr(79,125,s.js,) endstart(79) end(79) start(1) attr(1,61,y,) endstart(1)"},
    };
    for (const Row& r : rows) {
        HtmlTrace t(r.mode);
        EXPECT_EQ(t.run(r.input), r.trace) << r.mode << " " << r.input;
    }
}
