#include "site/HtmlTables.h"

#include <algorithm>
#include <array>

namespace html {
namespace {

// Sorted by name (byte order) for bisection; the numbers are the element's
// and attribute's place in the program's own numbering, which the tree
// file stores, so an entry may be added only with a new number at the end.
constexpr NamedNumber kTags[] = {
    {"a", 1}, {"abbr", 2}, {"acronym", 3}, {"address", 4}, {"applet", 5}, {"area", 6}, {"b", 7},
    {"base", 8}, {"basefont", 9}, {"bdo", 10}, {"bgsound", 11}, {"big", 12}, {"blink", 13},
    {"blockquote", 14}, {"body", 15}, {"br", 16}, {"button", 17}, {"caption", 18}, {"center", 19},
    {"cite", 20}, {"code", 21}, {"col", 22}, {"colgroup", 23}, {"comment", 24}, {"dd", 25},
    {"del", 26}, {"dfn", 27}, {"dir", 28}, {"div", 29}, {"dl", 30}, {"dt", 31}, {"em", 32},
    {"embed", 33}, {"fieldset", 34}, {"font", 35}, {"form", 36}, {"frame", 37}, {"frameset", 38},
    {"h1", 39}, {"h2", 40}, {"h3", 41}, {"h4", 42}, {"h5", 43}, {"h6", 44}, {"head", 45},
    {"hr", 46}, {"html", 47}, {"i", 48}, {"iframe", 49}, {"image", 50}, {"img", 51}, {"input", 52},
    {"ins", 53}, {"isindex", 54}, {"kbd", 55}, {"label", 56}, {"legend", 57}, {"li", 58},
    {"link", 59}, {"listing", 60}, {"map", 61}, {"marquee", 62}, {"menu", 63}, {"meta", 64},
    {"nobr", 65}, {"noframes", 66}, {"noscript", 67}, {"object", 68}, {"ol", 69}, {"optgroup", 70},
    {"option", 71}, {"p", 72}, {"param", 73}, {"plaintext", 74}, {"pre", 75}, {"q", 76}, {"s", 77},
    {"samp", 78}, {"script", 79}, {"select", 80}, {"small", 81}, {"span", 82}, {"strike", 83},
    {"strong", 84}, {"style", 85}, {"sub", 86}, {"sup", 87}, {"table", 88}, {"tbody", 89},
    {"td", 90}, {"textarea", 91}, {"tfoot", 92}, {"th", 93}, {"thead", 94}, {"title", 95},
    {"tr", 96}, {"tt", 97}, {"u", 98}, {"ul", 99}, {"var", 100}, {"wbr", 101}, {"xmp", 102},
};

constexpr NamedNumber kAttributes[] = {
    {"abbr", 1}, {"accept", 2}, {"acceptcharset", 3}, {"accesskey", 4}, {"action", 5}, {"align", 6},
    {"alink", 7}, {"alt", 8}, {"archive", 9}, {"axis", 10}, {"background", 11}, {"balance", 12},
    {"behavior", 13}, {"bgcolor", 14}, {"bgproperties", 15}, {"border", 16}, {"bordercolor", 17},
    {"bordercolordark", 18}, {"bordercolorlight", 19}, {"bottommargin", 20}, {"cellpadding", 21},
    {"cellspacing", 22}, {"char", 23}, {"charoff", 24}, {"charset", 25}, {"checked", 26},
    {"cite", 27}, {"class", 28}, {"classid", 29}, {"clear", 30}, {"code", 31}, {"codebase", 32},
    {"codetype", 33}, {"color", 34}, {"cols", 35}, {"colspan", 36}, {"compact", 37},
    {"content", 38}, {"coords", 39}, {"data", 40}, {"datafld", 41}, {"dataformatas", 42},
    {"datapagesize", 43}, {"datasrc", 44}, {"datetime", 45}, {"declare", 46}, {"defer", 47},
    {"dir", 48}, {"direction", 49}, {"disabled", 50}, {"dynsrc", 51}, {"enctype", 52},
    {"event", 53}, {"face", 54}, {"for", 55}, {"frame", 56}, {"frameborder", 57},
    {"framespacing", 58}, {"headers", 59}, {"height", 60}, {"href", 61}, {"hreflang", 62},
    {"hspace", 63}, {"http-equiv", 64}, {"id", 65}, {"ismap", 66}, {"label", 67}, {"lang", 68},
    {"language", 69}, {"leftmargin", 70}, {"link", 71}, {"longdesc", 72}, {"loop", 73},
    {"lowsrc", 74}, {"marginheight", 75}, {"marginwidth", 76}, {"maxlength", 77}, {"media", 78},
    {"method", 79}, {"methods", 80}, {"multiple", 81}, {"name", 82}, {"nohref", 83},
    {"noresize", 84}, {"noshade", 85}, {"nowrap", 86}, {"object", 87}, {"onblur", 88},
    {"onchange", 89}, {"onclick", 90}, {"ondbclick", 91}, {"onfocus", 92}, {"onkeydown", 93},
    {"onkeypress", 94}, {"onkeyup", 95}, {"onload", 96}, {"onmousedown", 97}, {"onmousemove", 98},
    {"onmouseout", 99}, {"onmouseover", 100}, {"onmouseup", 101}, {"onreset", 102},
    {"onselect", 103}, {"onsubmit", 104}, {"onunload", 105}, {"profile", 106}, {"prompt", 107},
    {"readonly", 108}, {"rel", 109}, {"rev", 110}, {"rightmargin", 111}, {"rows", 112},
    {"rowspan", 113}, {"rules", 114}, {"scheme", 115}, {"scope", 116}, {"scroll", 117},
    {"scrollamount", 118}, {"scrolldelay", 119}, {"scrolling", 120}, {"selected", 121},
    {"shape", 122}, {"size", 123}, {"span", 124}, {"src", 125}, {"standby", 126}, {"start", 127},
    {"style", 128}, {"summary", 129}, {"tabindex", 130}, {"target", 131}, {"text", 132},
    {"title", 133}, {"topmargin", 134}, {"truespeed", 135}, {"type", 136}, {"units", 137},
    {"url", 138}, {"urn", 139}, {"usemap", 140}, {"valign", 141}, {"value", 142},
    {"valuetype", 143}, {"version", 144}, {"vlink", 145}, {"volume", 146}, {"vspace", 147},
    {"width", 148}, {"wrap", 149},
};

// The names as views, made at compile time: bisection then compares
// without measuring each name again.
template <size_t N>
constexpr std::array<std::string_view, N> Views(const NamedNumber (&table)[N]) {
    std::array<std::string_view, N> v{};
    for (size_t i = 0; i < N; ++i) v[i] = table[i].name;
    return v;
}

constexpr auto kTagNames = Views(kTags);
constexpr auto kAttributeNames = Views(kAttributes);

// For each first letter, the range of table entries that begin with it.
struct Buckets {
    uint8_t begin[27];  // begin['z' - 'a' + 1] is the table's end
};

template <size_t N>
constexpr Buckets MakeBuckets(const std::array<std::string_view, N>& names) {
    static_assert(N < 256);
    Buckets b{};
    size_t i = 0;
    for (int letter = 0; letter < 26; ++letter) {
        while (i < N && names[i][0] < 'a' + letter) ++i;
        b.begin[letter] = static_cast<uint8_t>(i);
    }
    b.begin[26] = static_cast<uint8_t>(N);
    return b;
}

constexpr Buckets kTagBuckets = MakeBuckets(kTagNames);
constexpr Buckets kAttributeBuckets = MakeBuckets(kAttributeNames);

template <size_t N>
uint16_t Find(const NamedNumber (&table)[N], const std::array<std::string_view, N>& names, const Buckets& buckets,
              std::string_view name) {
    char lower[kMaxTableName + 1];
    if (name.empty() || name.size() > kMaxTableName) return 0;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower[0] < 'a' || lower[0] > 'z') return 0;  // every name begins with a letter
    std::string_view key(lower, name.size());
    auto first = names.begin() + buckets.begin[lower[0] - 'a'];
    auto last = names.begin() + buckets.begin[lower[0] - 'a' + 1];
    auto it = std::lower_bound(first, last, key);
    return it != last && *it == key ? table[it - names.begin()].number : 0;
}

}  // namespace

std::span<const NamedNumber> Tags() { return kTags; }
std::span<const NamedNumber> Attributes() { return kAttributes; }

uint16_t TagNumber(std::string_view name) { return Find(kTags, kTagNames, kTagBuckets, name); }
uint16_t AttributeNumber(std::string_view name) { return Find(kAttributes, kAttributeNames, kAttributeBuckets, name); }

}  // namespace html
