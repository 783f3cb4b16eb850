#include "site/Charsets.h"

namespace charset {
namespace {

struct Row {
    std::string_view name;
    int codePage;
};

constexpr Row kTable[] = {
    {"windows-1252", kWindows}, {"windows-1251", kWindows}, {"koi8-r", kKoi8},
    {"koi8-u", kKoi8},          {"ibm866", kDos},           {"iso8859-5", kFourth},
};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool IsSeparator(char c) { return c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

int CodePageOfName(std::string_view name) {
    for (const Row& r : kTable)
        if (EqualNoCase(r.name, name)) return r.codePage;
    return kUnknown;
}

std::string_view NameOfCodePage(int codePage) {
    if (codePage == kWindows) return "windows-1251";
    for (const Row& r : kTable)
        if (r.codePage == codePage) return r.name;
    return {};
}

std::string_view CharsetParameter(std::string_view s) {
    // The media type itself is a first token without '=' and is passed over.
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsSeparator(s[i])) ++i;
        size_t nameStart = i;
        while (i < s.size() && s[i] != '=' && !IsSeparator(s[i])) ++i;
        std::string_view name = s.substr(nameStart, i - nameStart);
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        std::string_view value;
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
            if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                char q = s[i++];
                size_t end = s.find(q, i);
                if (end == std::string_view::npos) end = s.size();
                value = s.substr(i, end - i);
                i = end + 1;
            } else {
                size_t start = i;
                while (i < s.size() && !IsSeparator(s[i])) ++i;
                value = s.substr(start, i - start);
            }
        }
        if (EqualNoCase(name, "charset")) return value;
    }
    return {};
}

}  // namespace charset
