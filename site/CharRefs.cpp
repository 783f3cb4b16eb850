#include "site/CharRefs.h"

#include "platform/CodePages.h"
#include "platform/Text.h"

namespace html {
namespace {

// Sorted by name. "Aelig" is the spelling older pages use for the
// capital; the standard "AElig" is there as well, so that it does not fall
// through to the lower-case table and come out as the small letter.
constexpr NamedChar kCapitalised[] = {
    {"AElig", 198}, {"Aacute", 193}, {"Acirc", 194}, {"Aelig", 198}, {"Agrave", 192},
    {"Aring", 197}, {"Atilde", 195}, {"Auml", 196}, {"Ccedil", 199}, {"ETH", 208}, {"Eacute", 201},
    {"Ecirc", 202}, {"Egrave", 200}, {"Euml", 203}, {"Iacute", 205}, {"Icirc", 206},
    {"Igrave", 204}, {"Iuml", 207}, {"Ntilde", 209}, {"Oacute", 211}, {"Ocirc", 212},
    {"Ograve", 210}, {"Oslash", 216}, {"Otilde", 213}, {"Ouml", 214}, {"THORN", 222},
    {"Uacute", 218}, {"Ucirc", 219}, {"Ugrave", 217}, {"Uuml", 220}, {"Yacute", 221},
};

constexpr NamedChar kLowerCase[] = {
    {"aacute", 225}, {"acirc", 226}, {"acute", 180}, {"aelig", 230}, {"agrave", 224}, {"amp", 38},
    {"apos", 39}, {"aring", 229}, {"atilde", 227}, {"auml", 228}, {"brvbar", 166}, {"ccedil", 231},
    {"cedil", 184}, {"cent", 162}, {"copy", 169}, {"curren", 164}, {"deg", 176}, {"divide", 247},
    {"eacute", 233}, {"ecirc", 234}, {"egrave", 232}, {"eth", 240}, {"euml", 235}, {"frac12", 189},
    {"frac14", 188}, {"frac34", 190}, {"gt", 62}, {"iacute", 237}, {"icirc", 238}, {"iexcl", 161},
    {"igrave", 236}, {"iquest", 191}, {"iuml", 239}, {"laquo", 171}, {"lt", 60}, {"macr", 175},
    {"micro", 181}, {"middot", 183}, {"nbsp", 160}, {"not", 172}, {"ntilde", 241}, {"oacute", 243},
    {"ocirc", 244}, {"ograve", 242}, {"ordf", 170}, {"ordm", 186}, {"oslash", 248}, {"otilde", 245},
    {"ouml", 246}, {"para", 182}, {"plusmn", 177}, {"pound", 163}, {"quot", 34}, {"raquo", 187},
    {"reg", 174}, {"sect", 167}, {"shy", 173}, {"sup1", 185}, {"sup2", 178}, {"sup3", 179},
    {"szlig", 223}, {"thorn", 254}, {"times", 215}, {"uacute", 250}, {"ucirc", 251},
    {"ugrave", 249}, {"uml", 168}, {"uuml", 252}, {"yacute", 253}, {"yen", 165}, {"yuml", 255},
};

constexpr size_t kMaxLowerName = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The entry with the longest name that text begins with, or null.
const NamedChar* LongestMatch(std::span<const NamedChar> table, std::string_view text) {
    const NamedChar* best = nullptr;
    size_t bestLen = 0;
    if (text.empty()) return nullptr;
    for (const NamedChar& e : table) {
        if (e.name[0] != text[0]) continue;  // most names fail here, unmeasured
        std::string_view name(e.name);
        if (name.size() > bestLen && text.substr(0, name.size()) == name) {
            best = &e;
            bestLen = name.size();
        }
    }
    return best;
}

bool IsWindows1252Only(uint32_t v) {
    switch (v) {
    case 0x0152: case 0x0153: case 0x0160: case 0x0161: case 0x0178: case 0x017D: case 0x017E:
    case 0x0192: case 0x02C6: case 0x02DC: case 0x2013: case 0x2014: case 0x2018: case 0x2019:
    case 0x201A: case 0x201C: case 0x201D: case 0x201E: case 0x2020: case 0x2021: case 0x2022:
    case 0x2026: case 0x2030: case 0x2039: case 0x203A: case 0x20AC: case 0x2122:
        return true;
    default:
        return false;
    }
}

// Decodes the reference behind the '&' at in[0]: appends its byte and
// returns the bytes it took, or 0 when it is none.
size_t DecodeOne(std::string_view in, AStr& out) {
    size_t i = 1;
    if (i < in.size() && in[i] == '#') {
        ++i;
        if (i >= in.size() || !IsDigit(in[i])) return 0;
        uint32_t v = 0;
        for (; i < in.size() && IsDigit(in[i]); ++i)
            if (v <= 0x10FFFF) v = v * 10 + static_cast<uint32_t>(in[i] - '0');
        out += static_cast<char>(CharFromNumber(v));
    } else {
        std::string_view rest = in.substr(1);
        const NamedChar* e = nullptr;
        if (!rest.empty() && rest[0] >= 'A' && rest[0] <= 'Z') e = LongestMatch(kCapitalised, rest);
        if (e == nullptr) {
            char lower[kMaxLowerName];
            size_t n = 0;
            for (; n < kMaxLowerName && n < rest.size() && IsAlnum(rest[n]); ++n)
                lower[n] = rest[n] >= 'A' && rest[n] <= 'Z' ? static_cast<char>(rest[n] - 'A' + 'a') : rest[n];
            e = LongestMatch(kLowerCase, std::string_view(lower, n));
        }
        if (e == nullptr) return 0;
        i += std::string_view(e->name).size();
        out += static_cast<char>(e->byte);
    }
    if (i < in.size() && in[i] == ';') ++i;
    return i;
}

}  // namespace

std::span<const NamedChar> CapitalisedCharNames() { return kCapitalised; }
std::span<const NamedChar> LowerCaseCharNames() { return kLowerCase; }

unsigned char CharFromNumber(uint32_t v) {
    unsigned char b;
    if (v <= 255)
        b = static_cast<unsigned char>(v);
    else if ((v >= 0x0401 && v <= 0x0491) || v == 0x2116)
        b = codepage::FromUnicode(1251, v);
    else if (IsWindows1252Only(v))
        b = codepage::FromUnicode(1252, v);
    else
        b = codepage::FromUnicode(platform::AnsiCodePage(), v);
    // A zero byte would end the text early wherever it goes.
    return b != 0 ? b : '?';
}

void DecodeCharRefs(std::string_view in, AStr& out) {
    size_t from = 0;
    for (size_t i = 0; i < in.size();) {
        if (in[i] != '&') {
            ++i;
            continue;
        }
        out.append(in.substr(from, i - from));
        size_t n = DecodeOne(in.substr(i), out);
        if (n == 0) {
            out += '&';
            n = 1;
        }
        i += n;
        from = i;
    }
    out.append(in.substr(from));
}

AStr DecodeCharRefs(std::string_view in) {
    AStr out;
    DecodeCharRefs(in, out);
    return out;
}

}  // namespace html
